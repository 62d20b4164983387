// Our TOML conformance set: documents that TOML 1.0 or 1.1 accepts, with the document they
// make, and documents that both versions reject, grouped by feature.
#include <gtest/gtest.h>

#include "tarnvik/parse.hpp"
#include "toml_dump.hpp"

namespace tarnvik::parse {
namespace {

struct Valid {
    std::string text;
    std::string document;  // see toml_dump.hpp
};

void accepts(const std::vector<Valid>& cases) {
    for (const Valid& c : cases) {
        auto [document, diagnostics] = parse(c.text);
        EXPECT_TRUE(diagnostics.empty()) << c.text << "\n-> " << diagnostics[0].message;
        EXPECT_EQ(test::dump(document), c.document) << c.text;
        auto strict = parse_strict(c.text);
        ASSERT_TRUE(std::holds_alternative<document::Table>(strict)) << c.text;
        EXPECT_EQ(test::dump(std::get<document::Table>(strict)), c.document) << c.text;
    }
}

void rejects(const std::vector<std::string>& cases) {
    for (const std::string& text : cases) {
        auto [document, diagnostics] = parse(text);
        EXPECT_FALSE(diagnostics.empty()) << text;
        for (const Diagnostic& d : diagnostics) {
            EXPECT_LE(d.span.end, text.size()) << text;
            EXPECT_FALSE(d.message.empty()) << text;
            EXPECT_FALSE(d.message.ends_with(".")) << d.message;
        }
        EXPECT_TRUE(std::holds_alternative<ParseError>(parse_strict(text))) << text;
    }
}

TEST(Conformance, BasicStrings) {
    accepts({
        {R"(s = "plain")", R"({s="plain"})"},
        {R"(s = "")", R"({s=""})"},
        {R"(s = "tab\there")", "{s=\"tab\there\"}"},
        {R"(s = "\b\f\n\r\"\\")", "{s=\"\b\f\n\r\"\\\"}"},
        {R"(s = "\u00e9\U0001F600")", "{s=\"\xC3\xA9\xF0\x9F\x98\x80\"}"},
        {R"(s = "\e[0m")", "{s=\"\x1b[0m\"}"},                                    // TOML 1.1
        {R"(s = "\x41\xe9\x00")", std::string("{s=\"A\xC3\xA9") + '\0' + "\"}"},  // TOML 1.1
        {"s = \"caf\xC3\xA9 \t ok\"", "{s=\"caf\xC3\xA9 \t ok\"}"},
        {R"(s = "# not a comment")", R"({s="# not a comment"})"},
    });
    rejects({
        R"(s = "\q")",
        R"(s = "\x4")",
        R"(s = "\xZZ")",
        R"(s = "\u00")",
        R"(s = "\uD800")",
        R"(s = "\U00110000")",
        R"(s = "\ ")",
        "s = \"unterminated",
        "s = \"line\nbreak\"",
        "s = \"nul\x01\"",
        "s = \"del\x7f\"",
        "s = \"cr\rx\"",
        "s = \"crlf\r\nx\"",
        R"(s = "\uDFFF")",
        R"(s = "\U0000D800")",
        R"(s = "trailing\)",
    });
}

// Long string content is scanned in blocks of sixteen and words of eight bytes: a special
// character is found at every offset within a block, a word, and the bytes after them.
TEST(Conformance, SpecialCharactersAtEveryOffsetOfLongStrings) {
    for (std::size_t before = 0; before < 48; ++before) {
        const std::string pad(before, 'x');
        const std::string tail(13, 'y');
        accepts({
            {"s = \"" + pad + "\\\"" + tail + "\"", "{s=\"" + pad + "\"" + tail + "\"}"},
            {"s = \"" + pad + "\t" + tail + "\"", "{s=\"" + pad + "\t" + tail + "\"}"},
            {"s = '" + pad + "\"\\" + tail + "'", "{s=\"" + pad + "\"\\" + tail + "\"}"},
            {"s = \"" + pad + "\"", "{s=\"" + pad + "\"}"},
        });
        rejects({
            "s = \"" + pad + "\x01" + tail + "\"",
            "s = \"" + pad + "\x7f" + tail + "\"",
            "s = '" + pad + "\x1f" + tail + "'",
            "s = \"" + pad + "\n" + tail + "\"",
        });
    }
}

TEST(Conformance, MultiLineBasicStrings) {
    accepts({
        {"s = \"\"\"\nfirst\nsecond\"\"\"", "{s=\"first\nsecond\"}"},
        {"s = \"\"\"\r\nfirst\"\"\"", "{s=\"first\"}"},
        {"s = \"\"\"one \\\n    two \\\n\n  three\"\"\"", "{s=\"one two three\"}"},
        {"s = \"\"\"end \\   \n  x\"\"\"", "{s=\"end x\"}"},
        {"s = \"\"\"a\\\r\n  b\"\"\"", "{s=\"ab\"}"},
        {"s = \"\"\"a \"quoted\" \"\" b\"\"\"", "{s=\"a \"quoted\" \"\" b\"}"},
        {"s = \"\"\"\"one\"\"\"\"", "{s=\"\"one\"\"}"},
        {"s = \"\"\"two\"\"\"\"\"", "{s=\"two\"\"\"}"},
        {"s = \"\"\"\"\"\"", "{s=\"\"}"},
        {"s = \"\"\"tab\\tand \\e\"\"\"", "{s=\"tab\tand \x1b\"}"},
    });
    rejects({
        "s = \"\"\"unterminated",
        "s = \"\"\"six\"\"\"\"\"\"",
        "s = \"\"\"bad \\ x\"\"\"",
        "s = \"\"\"nul\x01\"\"\"",
        "s = \"\"\"lone\rcr\"\"\"",
    });
}

TEST(Conformance, LiteralStrings) {
    accepts({
        {R"(s = 'C:\Users\x')", R"({s="C:\Users\x"})"},
        {R"(s = '')", R"({s=""})"},
        {"s = '''\nraw \\n\n'''", "{s=\"raw \\n\n\"}"},
        {"s = ''''quoted'''''", "{s=\"'quoted''\"}"},
        {"s = 'tab\there'", "{s=\"tab\there\"}"},
    });
    rejects({
        "s = 'unterminated",
        "s = 'line\nbreak'",
        "s = 'nul\x01'",
        "s = '''six''''''",
        "s = '''unterminated",
        "s = '''nul\x02'''",
    });
}

TEST(Conformance, Integers) {
    accepts({
        {"i = 0", "{i=0}"},
        {"i = +99", "{i=99}"},
        {"i = -17", "{i=-17}"},
        {"i = -0", "{i=-0}"},
        {"i = 1_000_000", "{i=1000000}"},
        {"i = 0xDEAD_beef", "{i=0xDEADbeef}"},
        {"i = 0o755", "{i=0o755}"},
        {"i = 0b1101_0110", "{i=0b11010110}"},
        {"i = 0x00ff", "{i=0x00ff}"},
    });
    rejects({
        "i = 0123",
        "i = 1__000",
        "i = 1_",
        "i = _1",
        "i = +0x1F",
        "i = 0X1F",
        "i = 0x",
        "i = 0xG",
        "i = 0o8",
        "i = 0b2",
        "i = 0b_1",
        "i = 1-2",
        "i = ++1",
        "i = 12abc",
        "i = 00",
        "i = -01",
    });
}

TEST(Conformance, Floats) {
    accepts({
        {"f = 3.1415", "{f=f:3.1415}"},
        {"f = -0.01", "{f=f:-0.01}"},
        {"f = 5e+22", "{f=f:5e+22}"},
        {"f = 1E06", "{f=f:1e+06}"},
        {"f = -2E-2", "{f=f:-0.02}"},
        {"f = 6.626e-34", "{f=f:6.626e-34}"},
        {"f = 224_617.445_991", "{f=f:224617}"},
        {"f = 0.0", "{f=f:0}"},
        {"f = +inf", "{f=f:inf}"},
        {"f = -inf", "{f=f:-inf}"},
        {"f = nan", "{f=f:nan}"},
        {"f = 1e1000", "{f=f:inf}"},
        {"f = 123e-5", "{f=f:0.00123}"},
        {"f = 1000e-3", "{f=f:1}"},
        {"f = +nan", "{f=f:nan}"},
        {"f = 0e0", "{f=f:0}"},
    });
    rejects({
        "f = .5",
        "f = 5.",
        "f = 1e",
        "f = 1e+",
        "f = 1._5",
        "f = 1.5_",
        "f = 01.5",
        "f = 1.2.3",
        "f = inf1",
        "f = Inf",
        "f = NaN",
        "f = 1e_5",
        "f = -01.5",
        "f = 1234-5",
    });
}

TEST(Conformance, Booleans) {
    accepts({{"t = true\nf = false", "{t=true, f=false}"}});
    rejects({"b = True", "b = FALSE", "b = truex", "b = t"});
}

TEST(Conformance, DatesAndTimes) {
    accepts({
        {"d = 1979-05-27T07:32:00Z", "{d=d:1979-05-27T07:32:00Z}"},
        {"d = 1979-05-27t07:32:00z", "{d=d:1979-05-27t07:32:00z}"},
        {"d = 1979-05-27T00:32:00.999999-07:00", "{d=d:1979-05-27T00:32:00.999999-07:00}"},
        {"d = 1979-05-27 07:32:00+05:30", "{d=d:1979-05-27 07:32:00+05:30}"},
        {"d = 1979-05-27T07:32:00", "{d=d:1979-05-27T07:32:00}"},
        {"d = 1979-05-27", "{d=d:1979-05-27}"},
        {"d = 07:32:00", "{d=d:07:32:00}"},
        {"d = 00:32:00.5", "{d=d:00:32:00.5}"},
        {"d = 2000-02-29", "{d=d:2000-02-29}"},
        {"d = 1990-12-31T23:59:60Z", "{d=d:1990-12-31T23:59:60Z}"},
        {"d = 07:32", "{d=d:07:32}"},                          // TOML 1.1
        {"d = 1979-05-27T07:32Z", "{d=d:1979-05-27T07:32Z}"},  // TOML 1.1
        {"d = 1979-05-27 07:32", "{d=d:1979-05-27 07:32}"},    // TOML 1.1
        {"d = [1979-05-27, 07:32:00]", "{d=[d:1979-05-27, d:07:32:00]}"},
    });
    rejects({
        "d = 1979-13-27",
        "d = 1979-00-27",
        "d = 1979-05-32",
        "d = 1979-02-30",
        "d = 1900-02-29",
        "d = 1979-5-27",
        "d = 79-05-27",
        "d = 1979-05-27T",
        "d = 1979-05-27T24:00:00",
        "d = 1979-05-27T07:60:00",
        "d = 1979-05-27T07:32:61",
        "d = 1979-05-27T07:32:00.",
        "d = 1979-05-27T07:32:00+24:00",
        "d = 1979-05-27T07:32:00+05",
        "d = 1979-05-27X07:32:00",
        "d = 07:32:00Z",
        "d = 7:32:00",
        "d = 07:32:",
        "d = 1979-05-27 07",
        "d = 1979-05-27  07:32:00",
        "d = 1979-05-27T07:32:00Z07:00",
    });
}

TEST(Conformance, Keys) {
    accepts({
        {"bare_key-1 = 1", "{bare_key-1=1}"},
        {"1234 = 1", "{1234=1}"},
        {"\"127.0.0.1\" = 1", "{127.0.0.1=1}"},
        {"\"\xC3\xA9\" = 1", "{\xC3\xA9=1}"},
        {"\"\\u00e9\" = 1", "{\xC3\xA9=1}"},
        {"'' = 1", "{=1}"},
        {"\"\" = 1", "{=1}"},
        {"[\"\"]\n\"\" = 1", "{={=1}}"},
        {"a . b\t.c = 1", "{a={b={c=1}}}"},
        {"site.\"google.com\" = true", "{site={google.com=true}}"},
        {"true = 1\ninf = 2", "{true=1, inf=2}"},
        {"a.b = 1\na.c = 2\nd = 3", "{a={b=1, c=2}, d=3}"},
    });
    rejects({
        "= 1",
        "a = 1 = 2",
        "a. = 1",
        ".a = 1",
        "a..b = 1",
        "\"\"\"a\"\"\" = 1",
        "'''a''' = 1",
        "\xC3\xA9 = 1",
        "a b = 1",
        "a",
        "a\n= 1",
        "\"a\nb\" = 1",
        "a = 1 b = 2",
        "a = 1\na = 2",
    });
}

TEST(Conformance, Tables) {
    accepts({
        {"[a]", "{a={}}"},
        {"[ a . b ]\nc = 1", "{a={b={c=1}}}"},
        {"[a.\"b.c\"]\n['d']", "{a={b.c={}}, d={}}"},
        {"[x.y.z.w]\n[x]", "{x={y={z={w={}}}}}"},
        {"top = 1\n[a]\nb = 2", "{top=1, a={b=2}}"},
        {"[a]\n\n# comment\n[b] # c\nc = 1", "{a={}, b={c=1}}"},
        {"[a.b]\n[a.c]", "{a={b={}, c={}}}"},
        {"a.b = 1\n[a.c]\nd = 2", "{a={b=1, c={d=2}}}"},
        {"[a.b.c]\n[a]\nb.d = 1", "{a={b={c={}, d=1}}}"},
    });
    rejects({
        "[]",
        "[a.]",
        "[.a]",
        "[a",
        "[a]]",
        "[a] b = 1",
        "[a]\n[a]",
        "[a.b]\n[a.b]",
        "[\"\"\"a\"\"\"]",
        "a = 1\n[a]",
        "[a]\nb = 1\n[a.b]",
        "[a.b]\nc = 1\n[a]\nb.d = 2",
        "a.b = 1\n[a]",
        "[a]\n[a.b]\n[a]",
        "[a]\nb.c = 1\n[a.b]",
        "[a]\nb.c.d = 1\n[a.b.c]",
        "[a.b.c]\nz = 9\n[a]\nb.c.t = 1",
        "a = 1\na.b = 2",
        "a.b = 1\na.b.c = 2",
    });
}

TEST(Conformance, ArraysOfTables) {
    accepts({
        {"[[p]]\n[[p]]\na = 1", "{p=[{}, {a=1}]}"},
        {"[[p]]\nx = 1\n[p.q]\ny = 2\n[[p.r]]\nz = 3\n[[p.r]]",
         "{p=[{x=1, q={y=2}, r=[{z=3}, {}]}]}"},
        {"[[ p ]]\n[[ p ]]", "{p=[{}, {}]}"},
        {"[[a.b]]\n[a]\nc = 1", "{a={b=[{}], c=1}}"},
    });
    rejects({
        "[[p]",
        "[[p] ]",
        "[ [p]]",
        "[[]]",
        "p = []\n[[p]]",
        "p = [{}]\n[[p]]",
        "[p]\n[[p]]",
        "[[p]]\n[p]",
        "p = 1\n[[p]]",
        "a = [1]\n[a.b]",
        "a = [{}]\n[a.b]",
        "[[a]]\nb = 1\n[a]\nc = 2",
        "[[a.b]]\n[a]\n[[a]]",
        "[[t.arr]]\n[t]\narr.y = 2",
    });
}

TEST(Conformance, InlineTables) {
    accepts({
        {"t = {}", "{t={}}"},
        {"t = { a = 1, b = \"x\" }", "{t={a=1, b=\"x\"}}"},
        {"t = { a.b = 1, a.c = 2 }", "{t={a={b=1, c=2}}}"},
        {"t = { a = { b = { c = 1 } } }", "{t={a={b={c=1}}}}"},
        {"t = { a = [1, { b = 2 }] }", "{t={a=[1, {b=2}]}}"},
        {"t = { a = 1, }", "{t={a=1}}"},                              // TOML 1.1
        {"t = {\n  a = 1,\n  # note\n  b = 2\n}", "{t={a=1, b=2}}"},  // TOML 1.1
        {"t = { a = 1 } # c", "{t={a=1}}"},
        {"t = { a.b.c = 1, a.b.d = 2, a.e = 3 }", "{t={a={b={c=1, d=2}, e=3}}}"},
        {"t = { \"\" = 1, a = { \"\" = 2 } }", "{t={=1, a={=2}}}"},
    });
    rejects({
        "t = {",
        "t = { a = 1",
        "t = { , }",
        "t = { a = 1,, }",
        "t = { a = 1 b = 2 }",
        "t = { a = 1, a = 2 }",
        "t = { a\n= 1 }",
        "t = { a =\n1 }",
        "t = { a = {} }\nt.a.b = 1",
        "t = { a = 1 }\n[t.b]",
        "t = { a.b = 1, a = 2 }",
        "t = { a = 1 }}",
        "t = { a.b = 1 }\nt.a.c = 2",
        "t = { a = { b = 1 }, a.c = 2 }",
    });
}

TEST(Conformance, Arrays) {
    accepts({
        {"a = []", "{a=[]}"},
        {"a = [ ]", "{a=[]}"},
        {"a = [1, 2, 3]", "{a=[1, 2, 3]}"},
        {"a = [1, \"two\", 3.0, [4], { five = 5 }]", "{a=[1, \"two\", f:3, [4], {five=5}]}"},
        {"a = [\n  1,\n  2, # two\n  # between\n]", "{a=[1, 2]}"},
        {"a = [[1, 2], [\"a\"]]", "{a=[[1, 2], [\"a\"]]}"},
        {"a = [1,]", "{a=[1]}"},
    });
    rejects({
        "a = [,]",
        "a = [1,,2]",
        "a = [1 2]",
        "a = [1",
        "a = [1, 2",
        "a = [1]]",
        "a = [1, [2]",
        "a = [1, @]",
    });
}

TEST(Conformance, WhitespaceCommentsAndLineBreaks) {
    accepts({
        {"", "{}"},
        {"# only a comment", "{}"},
        {"\n\n\t \n", "{}"},
        {"a = 1\r\nb = 2\r\n", "{a=1, b=2}"},
        {"\ta\t=\t1\t# tab", "{a=1}"},
        {"a = 1 # caf\xC3\xA9 \t\x7e", "{a=1}"},
        {"a = 1 # tab\tand \xC2\x80 \xE2\x80\xAE", "{a=1}"},
        {"\xEF\xBB\xBF# bom\na = 1", "{a=1}"},
        {"a = \"x\"#no space", "{a=\"x\"}"},
    });
    rejects({
        std::string("a = 1 # nul") + '\0',
        "a = 1 # bell\x07",
        "a = 1 # escape\x1b[31m",
        "a = 1 # del\x7f",
        "a = [\n  1, # unit separator\x1f\n]",
        "t = {\n  a = 1, # \x08\n}",
        "# vertical tab\x0b",
        "# form feed\x0c",
        "# lone carriage return\r",
        "a = 1\rb = 2",
        "\x0c"
        "a = 1",
        "a = 1\x01",
        "\xEF\xBB\xBF\xEF\xBB\xBF"
        "a = 1",
    });
}

// Every control character but the tab is refused in a comment, by both parses, at the character.
TEST(Conformance, ControlCharactersInComments) {
    for (int c = 0; c <= 0x7f; ++c) {
        if (c == '\t' || c == '\n' || (c >= 0x20 && c < 0x7f)) continue;
        const std::string text = std::string("a = 1 # x") + static_cast<char>(c) + "y\nb = 2\n";
        const Span at{9, 10};
        auto [document, diagnostics] = parse(text);
        ASSERT_EQ(diagnostics.size(), 1u) << c;
        EXPECT_EQ(diagnostics[0].message, "control character in comment") << c;
        EXPECT_EQ(diagnostics[0].span, at) << c;
        EXPECT_EQ(test::dump(document), "{a=1, b=2}") << c;  // the parse goes on
        auto strict = parse_strict(text);
        ASSERT_TRUE(std::holds_alternative<ParseError>(strict)) << c;
        EXPECT_EQ(std::get<ParseError>(strict).message, "control character in comment") << c;
        EXPECT_EQ(std::get<ParseError>(strict).span, at) << c;
    }
}

}  // namespace
}  // namespace tarnvik::parse
