#include "render/render.hpp"
#include "render/render_diagnostic.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

#include "tarnvik/text.hpp"

namespace tarnvik::cli {
namespace {

using nlohmann::json;

// The reference vectors: the layouts of the library's own tests, then the edge cases of line
// ends and of the short start of a multi-line span worked out from its layout rules.
json load_cases() {
    json cases = json::array();
    for (const char* file : {"cases.json", "edge-cases.json"}) {
        std::ifstream in(std::string(TARNVIK_SOURCE_DIR "/tests/data/rendering/") + file);
        json file_cases = json::parse(in)["cases"];
        cases.insert(cases.end(), file_cases.begin(), file_cases.end());
    }
    return cases;
}

Level level_of(const std::string& name) {
    if (name == "warning") return Level::Warning;
    if (name == "help") return Level::Help;
    if (name == "note") return Level::Note;
    return Level::Error;
}

std::string optional_text(const json& value) {
    return value.is_null() ? std::string() : value.get<std::string>();
}

// Every reference vector of the rustc layout, rendered without colour.
TEST(Render, MatchesReferenceLayouts) {
    json cases = load_cases();
    ASSERT_EQ(cases.size(), 66u);
    for (const json& c : cases) {
        SCOPED_TRACE(c["name"].get<std::string>());
        std::string source = c["source"];
        Report report;
        report.level = level_of(c["level"]);
        report.title = c["title"];
        report.id = optional_text(c["id"]);
        if (!c["path"].is_null()) report.path = c["path"].get<std::string>();
        report.source = source;
        for (const json& a : c["annotations"]) {
            report.annotations.push_back(
                {Span{a["start"], a["end"]}, a["kind"] == "primary", optional_text(a["label"])});
        }
        for (const json& m : c["messages"]) {
            report.messages.push_back({level_of(m["level"]), m["text"]});
        }
        RenderOptions options;
        if (!c["term_width"].is_null()) options.width = c["term_width"];
        EXPECT_EQ(render(report, options) + "\n", c["expected"].get<std::string>());
    }
}

}  // namespace
}  // namespace tarnvik::cli

namespace tarnvik::cli {
namespace {

constexpr std::string_view PYPROJECT =
    "[project]\n"
    "name = \"demo\"\n"
    "version = \"1.0\"\n"
    "licence = \"MIT\"\n";

std::size_t offset_of(std::string_view needle) {
    return PYPROJECT.find(needle);
}

Span span_of(std::string_view needle) {
    return {offset_of(needle), offset_of(needle) + needle.size()};
}

std::string strip_escapes(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\x1b') {
            while (i < text.size() && text[i] != 'm')
                ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

struct DiagnosticCase {
    std::string_view name;
    Diagnostic diagnostic;
    std::string_view expected;
};

// What the check run prints for a diagnostic: the level and code name in the title, the
// primary span unlabelled, each label as a context span in order, help before note.
TEST(RenderDiagnostic, LaysOutTitleSpansAndMessages) {
    const DiagnosticCase cases[] = {
        {"plain error",
         Diagnostic::error("unknown key `licence`", span_of("licence"), Code::UnknownKey),
         "error[unknown-key]: unknown key `licence`\n"
         " --> pyproject.toml:4:1\n"
         "  |\n"
         "4 | licence = \"MIT\"\n"
         "  | ^^^^^^^"},
        {"warning with help and note",
         Diagnostic::warning("old form", span_of("\"1.0\""), Code::DeprecatedMetadata)
             .with_note("b")
             .with_help("a"),
         "warning[deprecated-metadata]: old form\n"
         " --> pyproject.toml:3:11\n"
         "  |\n"
         "3 | version = \"1.0\"\n"
         "  |           ^^^^^\n"
         "  |\n"
         "  = help: a\n"
         "  = note: b"},
        {"two labels in order",
         Diagnostic::error("clash", span_of("licence"), Code::DuplicateName)
             .with_label(offset_of("name"), offset_of("name") + 4, "first")
             .with_label(offset_of("version"), offset_of("version") + 7, "second"),
         "error[duplicate-name]: clash\n"
         " --> pyproject.toml:4:1\n"
         "  |\n"
         "2 | name = \"demo\"\n"
         "  | ---- first\n"
         "3 | version = \"1.0\"\n"
         "  | ------- second\n"
         "4 | licence = \"MIT\"\n"
         "  | ^^^^^^^"},
    };
    for (const DiagnosticCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(render_diagnostic(c.diagnostic, PYPROJECT, "pyproject.toml", false), c.expected);
    }
}

// The origin names the file exactly as displayed, "../" prefixes included.
TEST(RenderDiagnostic, OriginUsesDisplayName) {
    Diagnostic d = Diagnostic::error("x", span_of("name"), Code::InvalidValue);
    std::string text = render_diagnostic(d, PYPROJECT, "../../pyproject.toml", false);
    EXPECT_NE(text.find(" --> ../../pyproject.toml:2:1\n"), std::string::npos);
}

// A byte order mark is part of the checked text and is shown, zero width, where it stands.
TEST(RenderDiagnostic, KeepsByteOrderMark) {
    Diagnostic d = Diagnostic::error("bom", Span{0, 3}, Code::ByteOrderMark);
    EXPECT_EQ(render_diagnostic(d, "\xEF\xBB\xBF[project]\n", "pyproject.toml", false),
              "error[byte-order-mark]: bom\n"
              " --> pyproject.toml:1:1\n"
              "  |\n"
              "1 | \xEF\xBB\xBF[project]\n"
              "  | ^");
}

// Colour adds escape sequences and changes no character; without colour there is none, and
// control characters of the file never reach the terminal raw.
TEST(RenderDiagnostic, ColourOnlyWhenAsked) {
    std::string source = "a = \"\x1b[31m\"\n";
    Diagnostic d = Diagnostic::error("bad", Span{4, 11}, Code::InvalidValue)
                       .with_label(0, 1, "here")
                       .with_help("h")
                       .with_note("n");
    std::string plain = render_diagnostic(d, source, "pyproject.toml", false);
    std::string styled = render_diagnostic(d, source, "pyproject.toml", true);
    EXPECT_EQ(plain.find('\x1b'), std::string::npos);
    EXPECT_NE(styled.find("\x1b[1m\x1b[91merror[invalid-value]"), std::string::npos);
    EXPECT_EQ(strip_escapes(styled), plain);
    EXPECT_NE(plain.find("\xe2\x90\x9b[31m"), std::string::npos);  // U+241B, the ESC picture
}

// Whatever the spans, rendering ends with text: spans past the end, reversed or in an empty
// source never crash.
TEST(RenderDiagnostic, OddSpansStillRender) {
    const std::pair<std::string_view, Span> cases[] = {
        {"", Span{0, 0}},           {"", Span{0, 5}},        {"abc", Span{2, 1}},
        {"abc\n", Span{4, 4}},      {"abc\n", Span{3, 100}}, {"\xff\xfe", Span{0, 2}},
        {"a\r\nb\r\n", Span{1, 5}},
    };
    for (const auto& [source, span] : cases) {
        Diagnostic d = Diagnostic::error("x", span, Code::InvalidToml);
        EXPECT_EQ(render_diagnostic(d, source, "p", false).rfind("error[invalid-toml]: x", 0), 0u);
    }
}

}  // namespace
}  // namespace tarnvik::cli

namespace tarnvik::cli {
namespace {

// Random reports over awkward text (multi-byte and wide characters, tabs, CR LF, control
// characters, cut UTF-8) with spans anywhere, reversed or past the end, at narrow and wide
// widths: rendering always ends, with the title first.
TEST(Render, AnyInputRenders) {
    const std::string_view pieces[] = {
        "a",    " ",    "\t",       "\n",  "\r\n", "\xe4\xb8\x96", "\xf0\x9f\xa6\x80",
        "\x1b", "\xff", "\xe2\x82", "[x]", "=",    "\"s\"",        "\n\n\n"};
    std::uint32_t state = 12345;
    auto next = [&](std::uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return bound == 0 ? 0u : (state >> 8) % bound;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string source;
        for (std::uint32_t n = next(40); n > 0; --n)
            source += pieces[next(std::size(pieces))];
        Report report;
        report.level = next(2) ? Level::Error : Level::Warning;
        report.title = "t";
        report.path = "p";
        report.source = source;
        for (std::uint32_t n = 1 + next(4); n > 0; --n) {
            auto bound = static_cast<std::uint32_t>(source.size() + 3);
            report.annotations.push_back(
                {Span{next(bound), next(bound)}, next(2) == 0, next(2) ? "label" : ""});
        }
        if (next(2)) report.messages.push_back({Level::Note, "n\nm"});
        RenderOptions options{next(2) ? 140u : 1u + next(30), next(2) == 0};
        std::string text = render(report, options);
        ASSERT_NE(text.find("t"), std::string::npos) << "round " << round;
    }
}

}  // namespace
}  // namespace tarnvik::cli

namespace tarnvik::cli {
namespace {

// Characters and columns before a byte offset: wide characters take two columns, tabs four,
// and a character cut by the offset counts one replacement per byte.
TEST(LineColumns, CountsBeforeAnOffset) {
    const std::string_view text =
        "a\t\xe4\xb8\x96"
        "b";  // a, tab, U+4E16 (wide), b
    LineColumns columns = LineColumns::of(text);
    EXPECT_EQ(columns.chars(), 4u);
    EXPECT_EQ(columns.width(), 1u + 4u + 2u + 1u);
    const std::tuple<std::size_t, std::size_t, std::size_t> cases[] = {
        {0, 0, 0}, {1, 1, 1}, {2, 2, 5}, {3, 3, 6}, {4, 4, 7}, {5, 3, 7}, {6, 4, 8}, {99, 4, 8},
    };
    for (auto [offset, chars, width] : cases) {
        EXPECT_EQ(columns.before(offset), std::make_pair(chars, width)) << "offset " << offset;
    }
}

// A long line, measured by the kept places and read on from them, gives the places that
// adding up every character's bytes and columns gives, for every character, column and byte.
TEST(LineColumns, LongLineAgreesWithCountingEveryCharacter) {
    const std::string_view pieces[] = {
        "a", "\t", "\xe4\xb8\x96", "\xe2\x80\x8b", "\xf0\x9f\xa6\x80", "\x1b"};
    std::string text;
    for (std::size_t i = 0; i < 300; ++i)
        text += pieces[(i * 7 + i / 5) % std::size(pieces)];
    std::vector<std::size_t> bytes, columns;
    for (std::size_t i = 0, column = 0; i <= text.size();) {
        bytes.push_back(i);
        columns.push_back(column);
        if (i == text.size()) break;
        column += display_width(text::next_scalar(text, i));
    }
    LineColumns measured = LineColumns::of(text);
    ASSERT_EQ(measured.chars(), bytes.size() - 1);
    ASSERT_EQ(measured.width(), columns.back());
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        EXPECT_EQ(measured.at(k).byte, bytes[k]) << k;
        EXPECT_EQ(measured.at(k).column, columns[k]) << k;
        EXPECT_EQ(measured.before(bytes[k]), std::make_pair(k, columns[k])) << k;
        if (k + 1 < bytes.size() && bytes[k + 1] - bytes[k] > 1) {
            EXPECT_EQ(measured.before(bytes[k] + 1), std::make_pair(k + 1, columns[k] + 1)) << k;
        }
    }
    for (std::size_t column = 0; column <= columns.back() + 1; ++column) {
        auto from = std::lower_bound(columns.begin(), columns.end() - 1, column);
        EXPECT_EQ(measured.first_from(column), static_cast<std::size_t>(from - columns.begin()));
        auto ending = std::upper_bound(columns.begin() + 1, columns.end(), column);
        EXPECT_EQ(measured.ending_by(column),
                  static_cast<std::size_t>(ending - (columns.begin() + 1)));
    }
}

// Offsets past a line's text count the line end, except where a span on one line ends; past
// the whole text they fall on the last line.
TEST(SourceIndex, LocatesOffsets) {
    SourceIndex index("ab\ncd\n");
    using L = std::pair<Loc, Loc>;
    EXPECT_EQ(index.locate(0, 2), (L{{1, 0, 0}, {1, 2, 2}}));
    EXPECT_EQ(index.locate(1, 4), (L{{1, 1, 1}, {2, 1, 1}}));
    EXPECT_EQ(index.locate(6, 6), (L{{2, 3, 2}, {2, 3, 2}}));
    EXPECT_EQ(index.locate(3, 6), (L{{2, 0, 0}, {2, 2, 2}}));
    EXPECT_EQ(index.locate(1, 6), (L{{1, 1, 1}, {2, 3, 3}}));
    EXPECT_EQ(SourceIndex("a\r\nb").locate(0, 2), (L{{1, 0, 0}, {1, 1, 1}}));
    EXPECT_EQ(SourceIndex("").locate(0, 0), (L{{1, 0, 0}, {1, 0, 0}}));
}

}  // namespace
}  // namespace tarnvik::cli

namespace tarnvik::cli {
namespace {

// Whether the text holds no control character but line ends and, only when `color`, the SGR
// sequences of the colour sheet; and no C1 control or text direction control.
bool terminal_safe(std::string_view text, bool color) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\x1b') {
            if (!color || i + 1 >= text.size() || text[i + 1] != '[') return false;
            std::size_t end = text.find_first_not_of("0123456789;", i + 2);
            if (end == std::string_view::npos || text[end] != 'm') return false;
            i = end;
        } else if ((byte < 0x20 && byte != '\n') || byte == 0x7F) {
            return false;
        } else if (byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            return false;  // U+0080-U+009F
        } else if (text.substr(i, 2) == "\xe2\x80" && i + 2 < text.size() &&
                   static_cast<unsigned char>(text[i + 2]) >= 0xAA &&
                   static_cast<unsigned char>(text[i + 2]) <= 0xAE) {
            return false;  // U+202A-U+202E
        }
    }
    return true;
}

// Text from a hostile file in every place a report shows it: nothing reaches the terminal as
// a control character, in colour or not.
TEST(RenderHostileText, NoControlCharacterReachesTheTerminal) {
    const std::string_view hostile[] = {
        "\x1b]0;pwned\x07",
        "\x1b[31mred",
        "a\x1b",
        "\x9b"
        "31m",
        "\xc2\x9b"
        "31m",
        "x\xe2\x80\xaey",
        "\x7f\x08\r",
        "a\r\nb\nc",
        "\t\x1b[2J",
    };
    for (std::string_view text : hostile) {
        SCOPED_TRACE(testing::PrintToString(std::string(text)));
        std::string source = "key = 1\n" + std::string(text) + "\nlast = 2\n";
        Report report;
        report.title = std::string(text);
        report.id = std::string(text);
        report.path = std::string(text);
        report.source = source;
        report.annotations.push_back({Span{0, 3}, true, std::string(text)});
        report.annotations.push_back({Span{8, 8 + text.size()}, false, std::string(text)});
        report.annotations.push_back({Span{2, source.size() - 2}, false, std::string(text)});
        report.messages.push_back({Level::Help, std::string(text)});
        report.messages.push_back({Level::Note, std::string(text)});
        for (bool color : {false, true}) {
            EXPECT_TRUE(terminal_safe(render(report, RenderOptions{140, color}), color))
                << render(report, RenderOptions{140, color});
        }
    }
}

// A title is drawn like a source line: control characters as their pictures, tabs as four
// spaces, text direction controls as U+FFFD, U+200D dropped; its later lines line up after the
// "error[code]: " prefix.
TEST(RenderHostileText, TitleIsNormalizedLikeSourceLines) {
    Report report;
    report.id = "unknown-key";
    report.title =
        "key `\x1b]0;x\x07`\tand \x7f\n"
        "bidi \xe2\x80\xae, joiner a\xe2\x80\x8d"
        "b\r\n"
        "end";
    EXPECT_EQ(render(report, RenderOptions{}),
              "error[unknown-key]: key `\xe2\x90\x9b]0;x\xe2\x90\x87`    and \xe2\x90\xa1\n"
              "                    bidi \xef\xbf\xbd, joiner ab\n"
              "                    end");
}

// Labels and help and note lines show control characters as pictures, and the origin's path too.
TEST(RenderHostileText, LabelsMessagesAndPathAreVisible) {
    Report report;
    report.title = "t";
    report.path = "p\x1b[0m";
    report.source = "abc\n";
    report.annotations.push_back({Span{0, 1}, true, ""});
    report.annotations.push_back({Span{2, 3}, false, "l\x07"});
    report.messages.push_back({Level::Help, "h\x1b"});
    report.messages.push_back({Level::Note, "n\x08\nm"});
    EXPECT_EQ(render(report, RenderOptions{}),
              "error: t\n"
              " --> p\xe2\x90\x9b[0m:1:1\n"
              "  |\n"
              "1 | abc\n"
              "  | ^ - l\xe2\x90\x87\n"
              "  |\n"
              "  = help: h\xe2\x90\x9b\n"
              "  = note: n\xe2\x90\x88\n"
              "          m");
}

// The colour sheet: warnings bold yellow, the level of a help or note line bold without a
// colour, and the space before the arrow outside its style.
TEST(RenderColour, UsesTheDefaultSheet) {
    Report report;
    report.level = Level::Warning;
    report.id = "w";
    report.title = "t";
    report.path = "p";
    report.source = "abc\n";
    report.annotations.push_back({Span{0, 1}, true, ""});
    report.messages.push_back({Level::Help, "h"});
    report.messages.push_back({Level::Note, "n"});
    EXPECT_EQ(render(report, RenderOptions{140, true}),
              "\x1b[1m\x1b[33mwarning[w]\x1b[0m\x1b[1m: t\x1b[0m\n"
              " \x1b[1m\x1b[94m--> \x1b[0mp:1:1\n"
              "  \x1b[1m\x1b[94m|\x1b[0m\n"
              "\x1b[1m\x1b[94m1\x1b[0m \x1b[1m\x1b[94m|\x1b[0m abc\n"
              "  \x1b[1m\x1b[94m|\x1b[0m \x1b[1m\x1b[33m^\x1b[0m\n"
              "  \x1b[1m\x1b[94m|\x1b[0m\n"
              "  \x1b[1m\x1b[94m= \x1b[0m\x1b[1mhelp\x1b[0m: h\n"
              "  \x1b[1m\x1b[94m= \x1b[0m\x1b[1mnote\x1b[0m: n");
}

}  // namespace
}  // namespace tarnvik::cli

namespace tarnvik::cli {
namespace {

Report one_span_report(std::string_view source, Span span) {
    Report report;
    report.title = "t";
    report.path = "p";
    report.source = source;
    report.annotations.push_back({span, true, ""});
    return report;
}

std::vector<std::string> rows_of(const std::string& text) {
    std::vector<std::string> rows;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        rows.push_back(text.substr(start, end - start));
    rows.push_back(text.substr(start));
    return rows;
}

// A long line whose span sits near its start is cut where the terminal ends, at 140 columns.
TEST(RenderLongLines, CutAtTheFullWidth) {
    std::string source = "a = \"" + std::string(300, 'x') + "\"\n";
    std::vector<std::string> rows = rows_of(render(one_span_report(source, {4, 10}), {}));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[3].size(), 140u);
    EXPECT_TRUE(rows[3].ends_with("xxx...")) << rows[3];
}

// The middle of a span is elided only when it is wider than twice the code window.
TEST(RenderLongLines, ElidesOnlySpansWiderThanTwiceTheWindow) {
    const std::pair<std::size_t, bool> cases[] = {
        {136, false}, {200, false}, {272, false}, {273, true}, {400, true}};
    for (auto [width, elided] : cases) {
        std::string source = "a = \"" + std::string(width, 'x') + "\"\n";
        std::vector<std::string> rows =
            rows_of(render(one_span_report(source, {5, 5 + width}), {}));
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(rows[4].find("^...^") != std::string::npos, elided) << width << rows[4];
    }
}

// The "..." of an elided span, in the source line and under it, has the line numbers' style.
TEST(RenderLongLines, ElisionMarksHaveTheLineNumberStyle) {
    std::string source = "a = \"" + std::string(400, 'x') + "\"\n";
    std::vector<std::string> rows =
        rows_of(render(one_span_report(source, {5, 405}), RenderOptions{140, true}));
    ASSERT_EQ(rows.size(), 5u);
    const std::string mark = "\x1b[1m\x1b[94m...\x1b[0m";
    EXPECT_NE(rows[3].find("xxx" + mark + "xxx"), std::string::npos) << rows[3];
    EXPECT_NE(rows[4].find("^\x1b[0m" + mark + "\x1b[1m\x1b[91m^"), std::string::npos) << rows[4];
}

// A multi-line span starts with "/" exactly when the characters drawn before it, as many as
// the columns it starts at, are white space: tabs are four spaces; a zero-width character
// counts no column, so it passes alone and not before a space; a wide space counts two columns
// and so takes the span's own first character in.
TEST(RenderMultiline, ShortStartOnlyAfterWhiteSpace) {
    const std::pair<std::string_view, bool> cases[] = {
        {"[a\n", true},
        {"  [a\n", true},
        {"\t\t[a\n", true},
        {"\tx\t[a\n", false},
        {"x [a\n", false},
        {"\xef\xbb\xbf[a\n", true},
        {"\xe2\x80\x8d[a\n", true},
        {"\xe2\x80\x8b\xe2\x80\x8b[a\n", true},
        {"\xef\xbb\xbf [a\n", false},
        {" \xef\xbb\xbf[a\n", true},
        {"\xc2\xa0[a\n", true},
        {"\xe3\x80\x80[a\n", false},
        {"\xe3\x80\x80 [a\n", false},
        {"\x0b[a\n", false},
    };
    for (auto [first, short_start] : cases) {
        std::string source = std::string(first) + "b]\n";
        std::size_t start = source.find('[');
        std::vector<std::string> rows =
            rows_of(render(one_span_report(source, {start, source.size() - 1}), {}));
        ASSERT_GE(rows.size(), 4u);
        EXPECT_EQ(rows[3].starts_with("1 | /"), short_start) << first;
    }
}

}  // namespace
}  // namespace tarnvik::cli
