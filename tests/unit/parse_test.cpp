#include "tarnvik/parse.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "toml_dump.hpp"

namespace tarnvik::parse {
namespace {

// "message @ source text under the span" for every diagnostic of a parse, in order.
std::vector<std::string> errors_of(std::string_view text) {
    std::vector<std::string> out;
    for (const Diagnostic& d : parse(text).second) {
        EXPECT_EQ(d.code, Code::InvalidToml);
        EXPECT_EQ(d.severity, Severity::Error);
        out.push_back(d.message + " @ " + std::string(text.substr(d.span.start, d.span.size())));
    }
    return out;
}

TEST(Parse, BuildsTheDocumentInSourceOrder) {
    struct Case {
        std::string text;
        std::string document;
    };
    const Case cases[] = {
        {"", "{}"},
        {"b = 1\na = 2", "{b=1, a=2}"},
        {"[project]\nname = \"x\"\n[tool.ruff]\nline-length = 100",
         "{project={name=\"x\"}, tool={ruff={line-length=100}}}"},
        {"a.b.c = true\na.d = false", "{a={b={c=true}, d=false}}"},
        {"[[package]]\nname = \"a\"\n[[package]]\nname = \"b\"",
         "{package=[{name=\"a\"}, {name=\"b\"}]}"},
        {"[[p]]\n[p.sub]\nx = 1\n[[p]]\n[p.sub]\nx = 2", "{p=[{sub={x=1}}, {sub={x=2}}]}"},
        {"[a.b]\nx = 1\n[a]\ny = 2", "{a={b={x=1}, y=2}}"},
        {"w = { url = \"u\", size = 3 }", "{w={url=\"u\", size=3}}"},
        {"a = [1, [2, 3], { b = 4 }]", "{a=[1, [2, 3], {b=4}]}"},
        {"\"quoted key\" = 1\n'lit' = 2\n\"\" = 3", "{quoted key=1, lit=2, =3}"},
        {"\xEF\xBB\xBF"
         "a = 1",
         "{a=1}"},
        {"a = 1 # comment\r\nb = 2\r\n", "{a=1, b=2}"},
        {"3.14 = 1", "{3={14=1}}"},
    };
    for (const Case& c : cases) {
        auto [document, diagnostics] = parse(c.text);
        EXPECT_TRUE(diagnostics.empty()) << c.text;
        EXPECT_EQ(test::dump(document), c.document) << c.text;
    }
}

TEST(Parse, KeepsSpansOfKeysAndValues) {
    const std::string text = "[tool.ruff]\n\"a b\" = 'x'\nn = [1, 2]\nt = { k = 1 }\n";
    auto [document, diagnostics] = parse(text);
    ASSERT_TRUE(diagnostics.empty());
    auto slice = [&](Span s) { return text.substr(s.start, s.size()); };
    const document::Entry* tool = document::get(document, "tool");
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(slice(tool->key_span), "tool");
    const document::Entry* ruff = document::get(*tool->value.as_table(), "ruff");
    ASSERT_NE(ruff, nullptr);
    EXPECT_EQ(slice(ruff->key_span), "ruff");
    EXPECT_EQ(slice(ruff->value.span), "[tool.ruff]");
    const document::Table& table = *ruff->value.as_table();
    ASSERT_EQ(table.entries.size(), 3u);
    EXPECT_EQ(slice(table.entries[0].key_span), "\"a b\"");
    EXPECT_EQ(table.entries[0].key, "a b");
    EXPECT_EQ(slice(table.entries[0].value.span), "'x'");
    EXPECT_EQ(slice(table.entries[1].value.span), "[1, 2]");
    EXPECT_EQ(slice(table.entries[1].value.as_array()->at(1).span), "2");
    EXPECT_EQ(slice(table.entries[2].value.span), "{ k = 1 }");
}

TEST(Parse, MissingValue) {
    EXPECT_EQ(errors_of("name ="), std::vector<std::string>{"missing value @ "});
    EXPECT_EQ(errors_of("name =   # comment\nx = 1"), std::vector<std::string>{"missing value @ "});
    EXPECT_EQ(errors_of("name =\nx = 1"), std::vector<std::string>{"missing value @ "});
    EXPECT_EQ(errors_of("name = \rx = 1"), std::vector<std::string>{"missing value @ "});
    EXPECT_EQ(errors_of("a = { b = }"), std::vector<std::string>{"expected a value @ }"});
    EXPECT_EQ(errors_of("a = @"), std::vector<std::string>{"expected a value @ @"});
}

TEST(Parse, ErrorsAtALineBreakMarkTheEndOfTheLine) {
    auto [document, diagnostics] = parse("[project\r\nname = 1\na = 1 b\n");
    ASSERT_EQ(diagnostics.size(), 2u);
    EXPECT_EQ(diagnostics[0].message, "expected `]`");
    EXPECT_EQ(diagnostics[0].span, (Span{8, 8}));
    EXPECT_EQ(diagnostics[1].message, "expected a newline");
    EXPECT_EQ(diagnostics[1].span, (Span{25, 26}));
}

TEST(Parse, DuplicateKeysAndTables) {
    struct Case {
        std::string text;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"[tool.ruff]\n[tool.ruff]\n", {"duplicate table `[tool.ruff]` @ ruff"}},
        {"[tool.ruff]  # c\nx = 1\n  [tool.ruff]  # again\n",
         {"duplicate table `[tool.ruff]` @ ruff"}},
        {"[[package]]\n[[package]]\n", {}},
        {"a = 1\na = 2", {"duplicate key `a` @ a"}},
        {"a = 1\n\"a\" = 2", {"duplicate key `\"a\"` @ \"a\""}},
        {"x = { a = 1, a = 2 }", {"duplicate key `a` @ a"}},
        {"a.b = 1\na.b = 2", {"duplicate key `b` @ b"}},
        {"a = 1\na.b = 2", {"duplicate key `a` @ a"}},
        {"a = 1\n[a]", {"duplicate table `[a]` @ a"}},
        {"a.b = 1\n[a]", {"duplicate table `[a]` @ a"}},
        {"[a]\nb.c = 1\n[a.b]", {"duplicate table `[a.b]` @ b"}},
        {"[a.b]\n[a]\nb.c = 1", {"duplicate key `b` @ b"}},
        {"a = []\n[[a]]", {"duplicate table `[[a]]` @ a"}},
        {"[[a]]\n[a]", {"duplicate table `[a]` @ a"}},
        {"a = {}\n[a.b]", {"cannot extend an inline table @ a"}},
        {"a = {b = 1}\na.c = 2", {"cannot extend an inline table @ a"}},
        {"a = [1]\n[a.b]", {"cannot extend a static array @ a"}},
        {"[a]\nb = 1\n[a.b.c]", {"duplicate table `[a.b.c]` @ b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errors_of(c.text), c.errors) << c.text;
}

// The recoverable and the strict parse agree on the one error of each text, and on where it is.
TEST(Parse, PointsAtTheKeyThatCannotBeDefined) {
    struct Case {
        std::string text;
        std::string message;
        Span span;
    };
    const Case cases[] = {
        // A key that an inline table defined already, named again by a dotted key in it.
        {R"(tab = { inner = { dog = "best" }, inner.cat = "worst" })",
         "duplicate key `inner`",
         {34, 39}},
        {"t = { a = [1], a.b = 2 }", "duplicate key `a`", {15, 16}},
        {"t = { a = { b = { c = 1 } }, a.b.d = 2 }", "duplicate key `a`", {29, 30}},
        {"t = { a = 1, a.b = 2 }", "duplicate key `a`", {13, 14}},
        // A dotted key cannot add to the last table of an array of tables.
        {"[[a.b]]\n[a]\nb.y = 2", "duplicate key `y`", {14, 15}},
        {"[[a.b]]\n[a]\nb.c.d = 1", "duplicate key `c`", {14, 15}},
        {"[[a.b]]\n[a]\nb = 1", "duplicate key `b`", {12, 13}},
        {"[[t.arr]]\n[t]\n\"arr\".'y' = 2", "duplicate key `'y'`", {20, 23}},
        // Outside an inline table, a dotted key into one would extend it.
        {"a = {b = 1}\na.c = 2", "cannot extend an inline table", {12, 13}},
    };
    for (const Case& c : cases) {
        auto [document, diagnostics] = parse(c.text);
        ASSERT_EQ(diagnostics.size(), 1u) << c.text;
        EXPECT_EQ(diagnostics[0].message, c.message) << c.text;
        EXPECT_EQ(diagnostics[0].span, c.span) << c.text;
        auto strict = parse_strict(c.text);
        ASSERT_TRUE(std::holds_alternative<ParseError>(strict)) << c.text;
        EXPECT_EQ(std::get<ParseError>(strict).message, c.message) << c.text;
        EXPECT_EQ(std::get<ParseError>(strict).span, c.span) << c.text;
    }
}

TEST(Parse, AcceptsTablesThatTomlAllowsToBeReopened) {
    const std::string cases[] = {
        "[a.b.c]\n[a]\n[a.b]",
        "[fruit]\napple.color = 'red'\n[fruit.apple.texture]\nsmooth = true",
        "[a]\nb.c = 1\nb.d = 2",
        "x = { a.b = 1, a.c = 2 }",
        "[[a]]\nb.c = 1\n[[a]]\nb.c = 2",
    };
    for (const std::string& text : cases)
        EXPECT_EQ(errors_of(text), std::vector<std::string>{}) << text;
}

TEST(RewriteMessage, Rules) {
    struct Case {
        std::string text;
        Span span;
        std::string message;
        std::string expected;
    };
    const Case cases[] = {
        {"a = \n", {3, 4}, "string values must be quoted, expected a value", "missing value"},
        {"a = \t# x", {3, 3}, "string values must be quoted", "missing value"},
        {"a = ", {4, 4}, "string values must be quoted", "missing value"},
        {"a = \r\n", {3, 3}, "string values must be quoted", "missing value"},
        {"a = abc", {4, 7}, "string values must be quoted", "string values must be quoted"},
        {"a = abc",
         {4, 7},
         "string values must be quoted, expected nothing",
         "string values must be quoted"},
        {"x = 1\n[[p.q]] # c\n", {9, 10}, "duplicate key", "duplicate table `[[p.q]]`"},
        {"[[p.q\n", {2, 3}, "duplicate key", "duplicate key `p`"},
        {"[p.q\r\n", {1, 2}, "duplicate key", "duplicate key `p`"},
        {"  [a]  \r\n", {3, 4}, "duplicate key", "duplicate table `[a]`"},
        {"'a' = 2", {0, 3}, "duplicate key", "duplicate key `'a'`"},
        {"a", {0, 1}, "duplicate key!", "duplicate key!"},
        {"a", {0, 0}, ", expected nothing", ""},
        {"a", {0, 0}, "invalid number", "invalid number"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rewrite_message(c.text, c.span, c.message), c.expected) << c.text;
    }
}

TEST(CheckIntegers, RangeOfSigned64BitIntegers) {
    struct Case {
        std::string text;
        std::vector<std::string> errors;
    };
    const std::string RANGE = "integer is out of range for a 64-bit signed integer";
    const Case cases[] = {
        {"x = 9223372036854775807", {}},
        {"x = 9223372036854775808", {RANGE + " @ 9223372036854775808"}},
        {"x = -9223372036854775808", {}},
        {"x = -9223372036854775809", {RANGE + " @ -9223372036854775809"}},
        {"x = 0x7fffffffffffffff", {}},
        {"x = 0x8000000000000000", {RANGE + " @ 0x8000000000000000"}},
        {"x = 0x0000000000000000000000001", {}},
        {"x = 0b" + std::string(64, '1'), {RANGE + " @ 0b" + std::string(64, '1')}},
        {"x = 9_223_372_036_854_775_808", {RANGE + " @ 9_223_372_036_854_775_808"}},
        {"[t]\na = [1, [99999999999999999999]]\nb.c = { d = 99999999999999999999 }",
         {RANGE + " @ 99999999999999999999", RANGE + " @ 99999999999999999999"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errors_of(c.text), c.errors) << c.text;
}

TEST(CheckIntegers, ConversionFailuresAndOverlap) {
    struct Case {
        document::Integer integer;
        std::vector<Span> listed;
        std::string message;  // empty: nothing added
    };
    const Case cases[] = {
        {{"", 10}, {}, "missing digits in integer"},
        {{"-", 10}, {}, "invalid digit in integer"},
        {{"12a", 10}, {}, "invalid digit in integer"},
        {{"12", 2}, {}, "invalid digit in integer"},
        {{"ff", 16}, {}, ""},
        {{"99999999999999999999", 10}, {{0, 12}}, ""},   // overlaps a listed error
        {{"99999999999999999999", 10}, {{12, 20}}, ""},  // overlaps at its end
        {{"99999999999999999999", 10},
         {{20, 30}},
         "integer is out of range for a 64-bit signed integer"},
        {{"99999999999999999999", 10},
         {{0, 10}},
         "integer is out of range for a 64-bit signed integer"},
    };
    for (const Case& c : cases) {
        std::vector<Diagnostic> diagnostics;
        for (Span span : c.listed)
            diagnostics.push_back(Diagnostic::error("x", span, Code::InvalidToml));
        document::Value value{c.integer, Span{10, 20}};
        check_integers(value, diagnostics);
        if (c.message.empty()) {
            EXPECT_EQ(diagnostics.size(), c.listed.size()) << c.integer.digits;
        } else {
            ASSERT_EQ(diagnostics.size(), c.listed.size() + 1) << c.integer.digits;
            EXPECT_EQ(diagnostics.back().message, c.message);
            EXPECT_EQ(diagnostics.back().span, (Span{10, 20}));
        }
    }
}

TEST(Parse, IntegerOverlappingAParserErrorIsLeftAlone) {
    // The parser's error covers the whole broken value; the big integer inside it is not checked.
    EXPECT_EQ(errors_of("a = 99999999999999999999x"),
              std::vector<std::string>{"invalid number @ 99999999999999999999x"});
}

TEST(Parse, ErrorsAreSortedBySpanAndTheParseGoesOn) {
    auto [document, diagnostics] = parse("b = 99999999999999999999\na = @\nc = 3\n[x\nd = 4");
    ASSERT_EQ(diagnostics.size(), 3u);
    EXPECT_LT(diagnostics[0].span.start, diagnostics[1].span.start);
    EXPECT_LT(diagnostics[1].span.start, diagnostics[2].span.start);
    EXPECT_EQ(test::dump(document), "{b=99999999999999999999, c=3}");
}

TEST(ParseStrict, GivesTheDocumentOrTheFirstError) {
    auto ok = parse_strict("[[package]]\nname = \"a\"\nversion = \"1\"\n");
    ASSERT_TRUE(std::holds_alternative<document::Table>(ok));
    EXPECT_EQ(test::dump(std::get<document::Table>(ok)), "{package=[{name=\"a\", version=\"1\"}]}");

    auto bad = parse_strict("a = 1\nb = \nc = @\na = 2");
    ASSERT_TRUE(std::holds_alternative<ParseError>(bad));
    EXPECT_EQ(std::get<ParseError>(bad).message, "missing value");
    EXPECT_EQ(std::get<ParseError>(bad).span, (Span{10, 10}));

    auto duplicate = parse_strict("[a]\n[a]\n");
    ASSERT_TRUE(std::holds_alternative<ParseError>(duplicate));
    EXPECT_EQ(std::get<ParseError>(duplicate).message, "duplicate table `[a]`");
}

}  // namespace
}  // namespace tarnvik::parse

namespace tarnvik::parse {
namespace {

TEST(Display, NamesLineAndColumnAndUnderlinesTheSpan) {
    struct Case {
        std::string text;
        ParseError error;
        std::string expected;
    };
    const Case cases[] = {
        {"a = 1\nb = @\n",
         {"expected a value", {10, 11}},
         "TOML parse error at line 2, column 5\n  |\n2 | b = @\n  |     ^\nexpected a value\n"},
        {"name =",
         {"missing value", {6, 6}},
         "TOML parse error at line 1, column 7\n  |\n1 | name =\n  |       ^\nmissing value\n"},
        {"\"\xC3\xA9\" = 1\n\"\xC3\xA9\" = 2",
         {"duplicate key `\"\xC3\xA9\"`", {9, 13}},
         "TOML parse error at line 2, column 1\n  |\n2 | \"\xC3\xA9\" = 2\n  | ^^^^\n"
         "duplicate key `\"\xC3\xA9\"`\n"},
        {"a = \"\xC3\xA9\", b = 1",
         {"expected a newline", {8, 9}},
         "TOML parse error at line 1, column 8\n  |\n1 | a = \"\xC3\xA9\", b = 1\n  |        ^\n"
         "expected a newline\n"},
        {"x = 12ab",
         {"invalid number", {4, 8}},
         "TOML parse error at line 1, column 5\n  |\n1 | x = 12ab\n  |     ^^^^\ninvalid number\n"},
        {"", {"m", {0, 0}}, "TOML parse error at line 1, column 1\n  |\n1 | \n  | ^\nm\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(display(c.text, c.error), c.expected) << c.text;
}

}  // namespace
}  // namespace tarnvik::parse
