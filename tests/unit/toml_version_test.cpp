#include "toml_version.hpp"

#include <gtest/gtest.h>

#include "tarnvik/check.hpp"
#include "tarnvik/parse.hpp"

namespace tarnvik::toml_version {
namespace {

// "message @ text under the span" for each warning, in the order found.
std::vector<std::string> findings(std::string_view text) {
    EXPECT_TRUE(parse::parse(text).second.empty()) << text;
    std::vector<std::string> out;
    for (const Diagnostic& d : check_toml_1_1_syntax(text)) {
        EXPECT_EQ(d.severity, Severity::Warning);
        EXPECT_EQ(d.code, Code::Toml11Syntax);
        EXPECT_EQ(d.help,
                  "uv and Ruff accept TOML 1.1, but tomllib in Python 3.14 and earlier rejects it, "
                  "so build backends that use it (such as hatchling) fail on those versions");
        EXPECT_TRUE(d.labels.empty() && !d.note && !d.fix);
        out.push_back(d.message + " @ " + std::string(text.substr(d.span.start, d.span.size())));
    }
    return out;
}

struct Case {
    std::string text;
    std::vector<std::string> expected;
};

void run(const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_EQ(findings(c.text), c.expected) << c.text;
}

const std::string E = "`\\e` escape requires TOML 1.1 @ ";
const std::string X = "`\\xHH` escape requires TOML 1.1 @ ";
const std::string TIME = "time without seconds requires TOML 1.1 @ ";
const std::string COMMA = "trailing comma in inline table requires TOML 1.1 @ ";
const std::string LINES = "inline table spans multiple lines, which requires TOML 1.1 @ ";

TEST(Toml11, Escapes) {
    run({
        {R"(a = "\e")", {E + R"(\e)"}},
        {R"(a = "\x41")", {X + R"(\x41)"}},
        {R"(a = "\\e")", {}},
        {R"(a = "\\\e")", {E + R"(\e)"}},
        {R"(a = '\e')", {}},
        {R"(a = '''\x41''')", {}},
        {R"("\e" = 1)", {E + R"(\e)"}},
        {R"(a."\x41" = 1)", {X + R"(\x41)"}},
        {"a = \"\"\"\\e\"\"\"", {E + R"(\e)"}},
        {R"(a = "\x41\e")", {X + R"(\x41)", E + R"(\e)"}},
        {R"(a = ["\e", {b = "\x00"}])", {E + R"(\e)", X + R"(\x00)"}},
        {R"(a = "\u0041\t")", {}},
    });
}

TEST(Toml11, TimesWithoutSeconds) {
    run({
        {"t = 07:32", {TIME + "07:32"}},
        {"t = 07:32:00", {}},
        {"t = 07:32:00.5", {}},
        {"d = 1979-05-27T07:32Z", {TIME + "07:32"}},
        {"d = 1979-05-27 07:32", {TIME + "07:32"}},
        {"d = 1979-05-27t07:32-07:00", {TIME + "07:32"}},
        {"d = 1979-05-27 07:32:00", {}},
        {"d = 1979-05-27", {}},
        {"d = [1979-05-27T07:32:00Z, 10:15]", {TIME + "10:15"}},
        {"s = \"07:32\"", {}},
        {"n = 12", {}},
    });
}

TEST(Toml11, InlineTables) {
    run({
        {"p = { a = 1, }", {COMMA + ","}},
        {"a = [1, 2,]", {}},
        {"p = {}", {}},
        {"p = { a = 1,\n b = 2 }", {LINES + "{"}},
        {"p = {\n a = 1,\n b = 2,\n}", {LINES + "{", COMMA + ","}},
        {"p = { a = [\n 1,\n 2,\n] }", {}},
        {"p = { a = 1, # note\n}", {LINES + "{", COMMA + ","}},
        {"p = { a = { b = 1, }, }", {COMMA + ",", COMMA + ","}},
        {"p = [{ a = 1, }, { b = 2 }]", {COMMA + ","}},
        {"p = { a = 1 }\nq = { b = 2 }\n# comment\n", {}},
        {"p = { a = 1, b = [2,\n3] }", {}},
        {"p = { a = {\n b = 1 } }", {LINES + "{"}},
    });
}

TEST(Toml11, FindingsComeInSourceOrderAndTheByteOrderMarkIsSkipped) {
    const std::string text =
        "\xEF\xBB\xBF"
        "a = \"\\e\"\nt = 07:32\np = { x = 1, }\n";
    const auto found = check_toml_1_1_syntax(text);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].span, (Span{8, 10}));
    EXPECT_EQ(found[1].span, (Span{16, 21}));
    EXPECT_EQ(text.substr(found[2].span.start, 1), ",");
}

// Through the check driver: TOML 1.1 findings only for a file that parses cleanly.
TEST(Toml11, OnlyCheckedWhenTheFileParses) {
    struct Case {
        std::string text;
        std::vector<std::pair<Code, std::string>> expected;  // code and text under the span
    };
    const Case cases[] = {
        {"t = 07:32\nbroken =\n", {{Code::InvalidToml, ""}}},
        {"t = 07:32\nx = 9223372036854775808\n", {{Code::InvalidToml, "9223372036854775808"}}},
        {"t = 07:32\n", {{Code::Toml11Syntax, "07:32"}}},
        {"\xEF\xBB\xBFt = { a = 1, }\n",
         {{Code::ByteOrderMark, "\xEF\xBB\xBF"}, {Code::Toml11Syntax, ","}}},
    };
    for (const Case& c : cases) {
        const CheckResult result = check_with_lock(c.text, nullptr);
        std::vector<std::pair<Code, std::string>> found;
        for (const Diagnostic& d : result.diagnostics) {
            if (d.code == Code::InvalidToml || d.code == Code::Toml11Syntax ||
                d.code == Code::ByteOrderMark) {
                found.emplace_back(d.code, result.source.substr(d.span.start, d.span.size()));
            }
        }
        EXPECT_EQ(found, c.expected) << c.text;
    }
}

}  // namespace
}  // namespace tarnvik::toml_version
