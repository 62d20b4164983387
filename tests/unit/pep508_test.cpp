#include "pep508.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace tarnvik::pep508 {

void PrintTo(const Error& error, std::ostream* out) {
    *out << '"' << error.message << "\" at " << error.offset << '+' << error.length;
}

namespace {

const Error* error_of(const std::variant<Requirement, Error>& parsed) {
    return std::get_if<Error>(&parsed);
}

TEST(Requirement, AcceptsTheExamplesOfTheStandard) {
    const char* const accepted[] = {
        "A",
        "A.B-C_D",
        "aa",
        "name",
        "name<=1",
        "name>=3",
        "name>=3,<2",
        "name@http://foo.com",
        "name [fred,bar] @ http://foo.com ; python_version=='2.7'",
        "name[quux, strange];python_version<'2.7' and platform_version=='2'",
        "name; os_name=='a' or os_name=='b'",
        "name; os_name=='a' and os_name=='b' or os_name=='c'",
        "name; os_name=='a' and (os_name=='b' or os_name=='c')",
        "name; os_name=='a' or os_name=='b' and os_name=='c'",
        "name; (os_name=='a' or os_name=='b') and os_name=='c'",
        "requests [security,tests] >= 2.8.1, == 2.8.* ; python_version < \"2.7\"",
        "pip @ "
        "https://github.com/pypa/pip/archive/1.3.1.zip#sha1=da9234ee9982d4bbb3c72346a6de940a148e"
        "a686",
    };
    for (const char* text : accepted)
        EXPECT_EQ(error_of(parse_requirement(text)), nullptr) << text;
}

TEST(Requirement, AcceptsNamesExtrasAndVersionParts) {
    const char* const accepted[] = {
        "  foo  ",
        "Foo_Bar.baz[Ex-1,ex_2] >= 1",
        "foo[]",
        "foo [ bar , baz ] ( >= 1 )",
        "foo==1.0.*",
        "foo (==1.0)",
        "foo(>=1,<2)",
        "foo ===1.0",
        "foo~=1.4.2",
        "foo!=1.0",
        "foo >= 1.0 , < 2.0",
        "foo\t>=1.0\n",
        "foo[bar]>=1; extra == 'baz'",
        "foo (>=1.0) ; python_version < '3'",
        "foo ; python_version < '3'",
        "foo;python_version<'3'",
    };
    for (const char* text : accepted)
        EXPECT_EQ(error_of(parse_requirement(text)), nullptr) << text;
}

TEST(Requirement, AcceptsDirectReferences) {
    const char* const accepted[] = {
        "foo @ file:///tmp/foo-1.0-py3-none-any.whl",
        "foo@https://example.com/foo.whl",
        "foo @ git+https://github.com/org/foo.git@v1.0",
        "foo[bar] @ https://example.com/foo.whl ; python_version >= '3.8'",
        "foo @ https://example.com/foo.whl\t;\tpython_version >= '3.8'",
        "foo @ https://example.com/foo.whl;python_version>='3.8'",  // all of it is the URL
        "foo @ file:///${PROJECT_ROOT}/libs/foo",
    };
    for (const char* text : accepted)
        EXPECT_EQ(error_of(parse_requirement(text)), nullptr) << text;
}

TEST(Marker, AcceptsEveryVariableOperatorAndQuote) {
    const char* const markers[] = {
        "python_version >= \"3.6\" and sys_platform == \"win32\"",
        "platform_machine in 'x86_64 AMD64'",
        "'linux' in sys_platform",
        "python_version not in '2.6 2.7'",
        "python_version not \t in '2.6 2.7'",
        "implementation_name == 'cpython' and implementation_version >= '3.7'",
        "python_full_version ~= '3.8.1'",
        "platform_release != '5.0'",
        "platform_system === 'Linux'",
        "platform_python_implementation > 'A' or os_name < 'z' or os_name <= 'z'",
        "extra == 'test'",
        "os.name == 'posix' and sys.platform == 'linux'",
        ("platform.version == '1' and platform.machine == 'x' and "
         "platform.python_implementation == 'x'"),
        "python_implementation == 'CPython'",
        "'tests' in extras or 'dev' in dependency_groups",
        "os_name=='a'and os_name=='b'",
        "(os_name=='a')and(os_name=='b')",
        "((((os_name == 'a'))))",
        "python_version >= 'not a version'",  // what a comparison means is not judged
        "os_name == \"it's\"",
        "os_name == ''",
    };
    for (const char* marker : markers) {
        std::string text = std::string("name; ") + marker;
        EXPECT_EQ(error_of(parse_requirement(text)), nullptr) << text;
    }
}

struct Rejected {
    const char* text;
    const char* message;
    std::size_t offset;
    std::size_t length;
};

void expect_rejected(const Rejected& c) {
    auto parsed = parse_requirement(c.text);
    const Error* error = error_of(parsed);
    ASSERT_NE(error, nullptr) << c.text;
    EXPECT_EQ(*error, (Error{c.message, c.offset, c.length})) << c.text;
}

TEST(Requirement, RejectsBadNamesAndExtras) {
    const Rejected cases[] = {
        {"", "empty requirement", 0, 0},
        {"   ", "empty requirement", 0, 3},
        {"-foo", "expected package name starting with a letter or digit, found `-`", 0, 1},
        {"@ https://x.org", "expected package name starting with a letter or digit, found `@`", 0,
         1},
        {"é", "expected package name starting with a letter or digit, found `é`", 0, 2},
        {"\xE2\x82x", "expected package name starting with a letter or digit, found `\xE2\x82`", 0,
         2},  // a truncated sequence
        {"\xF8\x80\x80\x80", "expected package name starting with a letter or digit, found `\xF8`",
         0, 1},  // no sequence starts with this byte
        {"foo-", "package name must end with a letter or digit, not `-`", 3, 1},
        {"foo. >=1", "package name must end with a letter or digit, not `.`", 3, 1},
        {"foo[", "missing closing `]`", 3, 1},
        {"foo[bar", "missing closing `]`", 3, 1},
        {"foo[bar,", "missing closing `]`", 3, 1},
        {"foo[bar,]", "expected extra name starting with a letter or digit, found `]`", 8, 1},
        {"foo[,bar]", "expected extra name starting with a letter or digit, found `,`", 4, 1},
        {"foo[bar baz]", "expected `,` or `]` after an extra name, found `b`", 8, 1},
        {"foo[bar-]", "extra name must end with a letter or digit, not `-`", 7, 1},
        {"not a requirement!", "expected one of `@`, `(`, `<`, `=`, `>`, `~`, `!`, `;`, found `a`",
         4, 1},
        {"foo bar", "expected one of `@`, `(`, `<`, `=`, `>`, `~`, `!`, `;`, found `b`", 4, 1},
    };
    for (const Rejected& c : cases)
        expect_rejected(c);
}

TEST(Requirement, RejectsBadVersionParts) {
    const Rejected cases[] = {
        {"foo>=1.0,", "empty version specifier", 9, 0},
        {"foo>=1.0, ,<2", "empty version specifier", 10, 0},
        {"foo ()", "empty version specifier", 5, 0},
        {"foo (>=1.0", "missing closing `)`", 4, 1},
        {"foo (>=1.0) bar", "expected `;` or the end of the requirement, found `b`", 12, 1},
    };
    for (const Rejected& c : cases)
        expect_rejected(c);
}

TEST(Requirement, PassesOnTheSpecifierParsersMessageWithTheSpecifiersSpan) {
    struct Case {
        const char* text;
        const char* specifier;
        std::size_t offset;
    };
    const Case cases[] = {
        {"foo >=", ">=", 4},
        {"foo >=1.0, <2x ; os_name == 'a'", "<2x", 11},
        {"foo (== 1.0 , >=abc)", ">=abc", 14},
        {"foo ==1.0+local.*", "==1.0+local.*", 4},
    };
    for (const Case& c : cases) {
        auto expected = pep440::parse_specifier(c.specifier);
        ASSERT_TRUE(std::holds_alternative<pep440::Error>(expected)) << c.specifier;
        std::string message = std::get<pep440::Error>(expected).message;
        expect_rejected({c.text, message.c_str(), c.offset, std::string_view(c.specifier).size()});
    }
}

TEST(Requirement, RejectsBadDirectReferences) {
    const Rejected cases[] = {
        {"foo @", "expected a URL after `@`, found end of input", 5, 0},
        {"foo @   ", "expected a URL after `@`, found end of input", 8, 0},
        {"foo @ ; os_name == 'a'", "relative URL without a base", 6, 1},
        {"foo @ ./local/path", "relative URL without a base", 6, 12},
        {"foo @ https://:80/x.whl", "empty host", 6, 17},
        {"foo @ https://x.org:99999/x.whl", "invalid port number", 6, 25},
        {"foo @ https://exa mple.com", "expected `;` or the end of the requirement, found `m`", 18,
         1},
        {"foo @ https://x.org/a.whl; os_name == 'a'",
         "missing space before `;`, the end of the URL is ambiguous", 25, 1},
        {"foo @ https://x.org/a.whl# os_name == 'a'",
         "missing space before `#`, the end of the URL is ambiguous", 25, 1},
        {"foo @ https://x.org/a.whl >=1.0", "expected `;` or the end of the requirement, found `>`",
         26, 1},
    };
    for (const Rejected& c : cases)
        expect_rejected(c);
}

TEST(Marker, RejectsBadSyntaxAtTheFaultyToken) {
    const Rejected cases[] = {
        {"foo;", "expected a quoted string or a marker variable, found end of input", 4, 0},
        {"foo; ", "expected a quoted string or a marker variable, found end of input", 5, 0},
        {"foo; python_version",
         "expected a marker operator (such as `>=` or `not in`), found end of input", 19, 0},
        {"foo; python_version >= ",
         "expected a quoted string or a marker variable, found end of input", 23, 0},
        {"foo; python_version >= '3", "missing closing quote `'`", 23, 1},
        {"foo; python_version >= \"3'", "missing closing quote `\"`", 23, 1},
        {"foo; python_version => '3'",
         "expected a marker operator (such as `>=` or `not in`), found `=>`", 20, 2},
        {"foo; python_version = '3'",
         "expected a marker operator (such as `>=` or `not in`), found `=`", 20, 1},
        {"foo; python_version is '3'",
         "expected a marker operator (such as `>=` or `not in`), found `is`", 20, 2},
        {"foo; python_version notin '3'",
         "expected a marker operator (such as `>=` or `not in`), found `notin`", 20, 5},
        {"foo; python_version not '3'", "expected `in` after `not`, found `'`", 24, 1},
        {"foo; python_version not", "expected white space after `not`, found end of input", 23, 0},
        {"foo; python-version == '3'",
         "expected a quoted string or a marker variable, found `python-version`", 5, 14},
        {"foo; platform.release == '3'",
         "expected a quoted string or a marker variable, found `platform.release`", 5, 16},
        {"foo; == '3'", "expected a quoted string or a marker variable, found `=`", 5, 1},
        {"foo; os_name == 'a' and",
         "expected a quoted string or a marker variable, found end of input", 23, 0},
        {"foo; (os_name == 'a'", "expected `)`, found end of input", 20, 0},
        {"foo; os_name == 'a')", "expected `and`, `or` or the end of the marker, found `)`", 19, 1},
        {"foo; os_name == 'a' xor os_name == 'b'",
         "expected `and`, `or` or the end of the marker, found `x`", 20, 1},
        {"foo; os_name == 'a' andos_name == 'b'",
         "expected `and`, `or` or the end of the marker, found `a`", 20, 1},
        {"foo; os_name == 'a' ; os_name == 'b'",
         "expected `and`, `or` or the end of the marker, found `;`", 20, 1},
    };
    for (const Rejected& c : cases)
        expect_rejected(c);
}

TEST(Marker, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string deep = "foo; " + std::string(100000, '(');
    auto parsed = parse_requirement(deep);
    const Error* error = error_of(parsed);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->message, "too many nested parentheses in marker");
    std::string fine = "foo; " + std::string(50, '(') + "os_name == 'a'" + std::string(50, ')');
    EXPECT_EQ(error_of(parse_requirement(fine)), nullptr);
}

TEST(Requirement, KeepsItsParts) {
    auto parsed = parse_requirement(" Foo.Bar [ x , Y ] ( >=1.0 , <2 ) ;  os_name == 'nt' ");
    ASSERT_TRUE(std::holds_alternative<Requirement>(parsed));
    const Requirement& requirement = std::get<Requirement>(parsed);
    EXPECT_EQ(requirement.name, "Foo.Bar");
    EXPECT_EQ(requirement.extras, (std::vector<std::string_view>{"x", "Y"}));
    ASSERT_EQ(requirement.specifiers.size(), 2u);
    EXPECT_EQ(requirement.specifiers[0].op, pep440::Operator::GreaterThanEqual);
    EXPECT_EQ(requirement.specifiers[1].op, pep440::Operator::LessThan);
    EXPECT_FALSE(requirement.url);
    EXPECT_EQ(requirement.marker, "os_name == 'nt'");

    auto direct = parse_requirement("foo @ https://x.org/foo.whl ; extra == 'a'");
    ASSERT_TRUE(std::holds_alternative<Requirement>(direct));
    EXPECT_EQ(std::get<Requirement>(direct).url, "https://x.org/foo.whl");
    EXPECT_TRUE(std::get<Requirement>(direct).specifiers.empty());
}

TEST(Requirement, ArbitraryBytesGiveAnErrorInsideTheText) {
    constexpr char ALPHABET[] = "ab1-_.[],;()@<=>~!'\" \t\xC3\xA9\xFF";
    const std::string alphabet(ALPHABET, sizeof ALPHABET);  // the final NUL byte included
    std::string text;
    for (std::size_t i = 0; i < 20000; ++i) {
        text.push_back(alphabet[(i * 7919 + i / 13) % alphabet.size()]);
        if (text.size() > 40) text.erase(0, 17);
        auto parsed = parse_requirement(text);
        if (const Error* error = error_of(parsed)) {
            EXPECT_LE(error->offset + error->length, text.size()) << text;
            EXPECT_FALSE(error->message.empty());
        }
    }
}

}  // namespace
}  // namespace tarnvik::pep508
