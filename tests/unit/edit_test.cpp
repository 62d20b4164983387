#include "tarnvik/edit.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tarnvik/document.hpp"
#include "tarnvik/parse.hpp"

namespace tarnvik {
namespace {

struct StringCase {
    std::string value;
    std::string token;  // the string the value replaces
    std::string expected;
};

// A value is written in the kind of the string it replaces when that kind holds it without an
// escape, else as a basic string with escapes; it never becomes a bare word.
TEST(EditTomlString, KeepsTheKindOfTheTokenWhenItHoldsTheValueAsItIs) {
    const std::vector<StringCase> cases = {
        {"UP", R"("U")", R"("UP")"},
        {"UP", R"("\U00000055")", R"("UP")"},
        {"test", R"("t\u0073et")", R"("test")"},
        {"a\"b\\c", R"("x")", R"("a\"b\\c")"},
        {"UP", "'U'", "'UP'"},
        {"it's", "'its'", R"("it's")"},
        {"UP", R"("""U""")", R"("""UP""")"},
        {"a\"b", R"("""U""")", R"("a\"b")"},
        {"UP", "'''\nU'''", "'''UP'''"},
        {"it's", "'''its'''", R"("it's")"},
        // Control characters are escaped in every kind; other characters stay as they are.
        {"a\tb\x7f\n", "'x'", R"("a\u0009b\u007F\u000A")"},
        {"caf\u00e9", "'x'", "'caf\u00e9'"},
        // What looks like another type is still a string; a bare key gives a basic string.
        {"2024", "2025", R"("2024")"},
        {"true", "tset", R"("true")"},
        {"", "''", "''"},
        {"x", "", R"("x")"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(edit::toml_string(c.value, c.token), c.expected) << c.token;
}

TEST(EditReplaceString, ReplacesTheWholeTokenAndKeepsTheRangeInTheText) {
    const std::string text = R"(x = ["\U00000055"])";
    EXPECT_EQ(edit::replace_string(text, {5, 17}, "UP").content, R"("UP")");
    EXPECT_EQ(edit::replace_string(text, {5, 17}, "UP").range, (Span{5, 17}));
    EXPECT_EQ(edit::replace_string(text, {15, 99}, "UP").range, (Span{15, text.size()}));
}

struct RemoveCase {
    std::string text;
    std::vector<std::string> elements;  // found in order in `text`, giving their spans
    std::size_t position;
    std::string expected;
};

std::vector<Span> spans_of(const std::string& text, const std::vector<std::string>& elements) {
    std::vector<Span> spans;
    std::size_t from = text.find('[') + 1;
    for (const auto& element : elements) {
        const std::size_t at = text.find(element, from);
        spans.push_back(Span{at, at + element.size()});
        from = at + element.size();
    }
    return spans;
}

std::string removed(const std::string& text, std::span<const Span> spans, std::size_t position) {
    const std::vector<Edit> edits = edit::remove_entry(text, spans, position);
    for (const Edit& edit : edits)
        EXPECT_EQ(edit.content, "") << text;
    return edit::splice(text, edits);
}

TEST(EditRemoveEntry, DeletesElementWithSeparatorCommentAndLine) {
    const std::vector<RemoveCase> cases = {
        {R"(x = ["a", "b", "c"])", {R"("a")", R"("b")", R"("c")"}, 0, R"(x = ["b", "c"])"},
        {R"(x = ["a", "b", "c"])", {R"("a")", R"("b")", R"("c")"}, 1, R"(x = ["a", "c"])"},
        {R"(x = ["a", "b", "c"])", {R"("a")", R"("b")", R"("c")"}, 2, R"(x = ["a", "b"])"},
        {R"(x = ["a"])", {R"("a")"}, 0, "x = []"},
        {R"(x = ["a",])", {R"("a")"}, 0, "x = []"},
        {R"(x = ["a" , "b"])", {R"("a")", R"("b")"}, 1, R"(x = ["a"])"},
        // One element per line, trailing commas: the whole line goes, comment included.
        {"x = [\n  \"a\",\n  \"b\",  # why\n  \"c\",\n]\n",
         {R"("a")", R"("b")", R"("c")"},
         1,
         "x = [\n  \"a\",\n  \"c\",\n]\n"},
        {"x = [\n  \"a\",\n  \"b\",\n]\n", {R"("a")", R"("b")"}, 0, "x = [\n  \"b\",\n]\n"},
        {"x = [\n\t\"a\",\n\t\"b\",\n]\n", {R"("a")", R"("b")"}, 1, "x = [\n\t\"a\",\n]\n"},
        {"x = [0, \"a\",\n]\n", {"0", R"("a")"}, 1, "x = [0,\n]\n"},
        {"x = [\r\n  \"a\",\r\n  \"b\",\r\n]\r\n",
         {R"("a")", R"("b")"},
         0,
         "x = [\r\n  \"b\",\r\n]\r\n"},
        // No trailing comma after the last element: the comma before it goes instead, and the
        // comment after that comma stays with the element it follows.
        {"x = [\n  \"a\",\n  \"b\"\n]\n", {R"("a")", R"("b")"}, 1, "x = [\n  \"a\"\n]\n"},
        {"x = [\n  \"a\",  # formatter\n  \"b\"\n]\n",
         {R"("a")", R"("b")"},
         1,
         "x = [\n  \"a\"  # formatter\n]\n"},
        // A comment line before the element and its own comment: only its own goes.
        {"x = [\n  \"a\",\n  # why b\n  \"b\"  # b's\n]\n",
         {R"("a")", R"("b")"},
         1,
         "x = [\n  \"a\"\n  # why b\n]\n"},
        // The text ends right after the comma.
        {"x = [\"a\",", {R"("a")"}, 0, "x = ["},
        {"x = [\n\"a\", # c", {R"("a")"}, 0, "x = [\n"},
        // A comment on a line that still holds another element, or the bracket, stays.
        {"x = [\"E501\", \"ANN101\", # keep these two\n]\n",
         {R"("E501")", R"("ANN101")"},
         1,
         "x = [\"E501\",  # keep these two\n]\n"},
        {"x = [\"a\", \"b\"  # c\n]\n", {R"("a")", R"("b")"}, 1, "x = [\"a\"  # c\n]\n"},
        {"x = [\"a\", # c", {R"("a")"}, 0, "x = [ # c"},
        {"x = [ \"a\"  # c\n  , \"b\"]\n", {R"("a")", R"("b")"}, 0, "x = [   # c\n  \"b\"]\n"},
    };
    for (const auto& c : cases) {
        const std::vector<Span> spans = spans_of(c.text, c.elements);
        EXPECT_EQ(removed(c.text, spans, c.position), c.expected)
            << c.text << " position " << c.position;
    }
}

TEST(EditRemoveEntry, PositionOutsideTheListChangesNothing) {
    const std::vector<Span> spans = {{5, 8}};
    EXPECT_TRUE(edit::remove_entry(R"(x = ["a"])", spans, 1).empty());
}

// Generated arrays: every layout with or without a trailing comma, comment lines before the
// elements' lines, comments ending those lines, comments by the brackets, LF or CRLF. A comment
// ending a line is an element's own only when the element is alone on that line.
enum class Layout { OneLine, OnePerLine, TwoPerLine, LeadingCommas, AfterBracket };

struct GeneratedArray {
    std::string text;
    std::vector<std::string> elements;
    std::vector<std::string> comments;            // in source order
    std::vector<std::optional<std::string>> own;  // the comment ending a line it is alone on
};

GeneratedArray generate(Layout layout, std::size_t count, unsigned options) {
    const bool trailing = options & 1, crlf = options & 2, lines = options & 4, ends = options & 8,
               brackets = options & 16;
    const std::string newline = crlf ? "\r\n" : "\n";
    const std::size_t per_line = layout == Layout::OneLine      ? count
                                 : layout == Layout::TwoPerLine ? 2
                                                                : 1;
    const bool leading = layout == Layout::LeadingCommas;
    // The first element follows the opening bracket on its line, the others have one each.
    const bool after_bracket = layout == Layout::AfterBracket;
    GeneratedArray out{"x = [", {}, {}, {}};
    auto comment = [&](const std::string& text) {
        out.text += "  " + text;
        out.comments.push_back(text);
    };
    if (brackets && !after_bracket) comment("# open");
    if (layout != Layout::OneLine && !after_bracket) out.text += newline;
    for (std::size_t i = 0; i < count; ++i) {
        const bool first_on_line = i % per_line == 0, last = i + 1 == count;
        const bool last_on_line = last || (i + 1) % per_line == 0;
        const bool starts_line = first_on_line && !(after_bracket && i == 0);
        if (starts_line && lines) comment("# before " + std::to_string(i));
        if (starts_line && lines) out.text += newline;
        out.text += !first_on_line                              ? ", "
                    : layout == Layout::OneLine || !starts_line ? ""
                    : leading && i > 0                          ? "  , "
                                                                : "  ";
        const std::string kinds[] = {"\"e#\"", "10#", "[\"n#\", #]", "{ k = \"t#\" }"};
        std::string element = kinds[i % 4];
        std::ranges::replace(element, '#', static_cast<char>('0' + i));
        out.elements.push_back(element);
        out.text += element;
        out.own.emplace_back();
        if ((last_on_line && !last && !leading) || (last && trailing && !leading)) out.text += ",";
        if (!last_on_line || layout == Layout::OneLine) continue;
        if (ends) comment("# after " + std::to_string(i));
        if (ends && starts_line) out.own.back() = out.comments.back();
        out.text += newline;
    }
    if (leading && trailing) out.text += "  ," + newline;
    if (brackets) comment("# close");
    if (brackets) out.text += newline;
    out.text += "]" + newline;
    return out;
}

std::vector<std::string> comments_in(std::string_view text) {
    std::vector<std::string> comments;
    for (std::size_t at = text.find('#'); at != std::string_view::npos; at = text.find('#', at + 1))
        comments.emplace_back(text.substr(at, text.find_first_of("\r\n", at) - at));
    return comments;
}

std::vector<std::string> parsed_elements(const std::string& text) {
    auto [document, errors] = parse::parse(text);
    EXPECT_TRUE(errors.empty()) << errors.front().message;
    const document::Value* array = document::value_of(&document, "x");
    std::vector<std::string> elements;
    for (const document::Value& element :
         array && array->as_array() ? *array->as_array() : document::Array{})
        elements.emplace_back(
            text.substr(element.span.start, element.span.end - element.span.start));
    return elements;
}

TEST(EditRemoveEntry, EveryLayoutKeepsWhatOtherElementsOwn) {
    for (Layout layout : {Layout::OneLine, Layout::OnePerLine, Layout::TwoPerLine,
                          Layout::LeadingCommas, Layout::AfterBracket}) {
        // One line has no room for comments.
        for (unsigned options = 0; options < (layout == Layout::OneLine ? 4U : 32U); ++options) {
            for (std::size_t count = 1; count <= 5; ++count) {
                const GeneratedArray array = generate(layout, count, options);
                const std::vector<Span> spans = spans_of(array.text, array.elements);
                for (std::size_t position = 0; position < count; ++position) {
                    SCOPED_TRACE(array.text + "removing " + std::to_string(position));
                    const std::string result = removed(array.text, spans, position);
                    std::vector<std::string> elements = array.elements;
                    elements.erase(elements.begin() + static_cast<std::ptrdiff_t>(position));
                    EXPECT_EQ(parsed_elements(result), elements);
                    std::vector<std::string> comments = array.comments;
                    if (array.own[position]) std::erase(comments, *array.own[position]);
                    EXPECT_EQ(comments_in(result), comments);
                    // No blank line or trailing blank is left, and every line break stays whole.
                    for (std::string_view stray : {" \r", " \n", "\n\r", "\n\n"})
                        EXPECT_EQ(result.find(stray), std::string::npos) << stray;
                    EXPECT_EQ(std::ranges::count(result, '\r'),
                              (options & 2) ? std::ranges::count(result, '\n') : 0);
                }
            }
        }
    }
}

struct SpliceCase {
    std::string text;
    std::vector<Edit> edits;
    std::string expected;
};

TEST(EditSplice, AppliesEditsInRangeOrder) {
    const std::vector<SpliceCase> cases = {
        {"abc", {}, "abc"},
        {"abc", {{"X", {1, 2}}}, "aXc"},
        {"abc", {{"", {0, 3}}}, ""},
        {"abc", {{"X", {1, 1}}}, "aXbc"},
        {"abcdef", {{"Y", {4, 5}}, {"X", {1, 2}}}, "aXcdYf"},
        // Insertion at the start of a replaced range, given after it, still comes first.
        {"abc", {{"Y", {1, 2}}, {"X", {1, 1}}}, "aXYc"},
        // Two insertions at one offset keep their order.
        {"abc", {{"X", {1, 1}}, {"Y", {1, 1}}}, "aXYbc"},
        {"abc", {{"X", {3, 3}}}, "abcX"},
        // Out-of-range offsets are clamped rather than read past the text.
        {"abc", {{"X", {2, 9}}}, "abX"},
        {"abc", {{"X", {7, 9}}}, "abcX"},
        // Overlapping edits of one fix: the overlapped bytes are neither kept twice nor read.
        {"abcdef", {{"X", {1, 4}}, {"Y", {2, 5}}}, "aXYf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(edit::splice(c.text, c.edits), c.expected) << c.text;
}

}  // namespace
}  // namespace tarnvik
