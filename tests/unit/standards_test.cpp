#include "tarnvik/standards.hpp"

#include <gtest/gtest.h>

namespace tarnvik::standards {
namespace {

TEST(NormalizeName, GivesTheNormalForm) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"Foo.Bar__baz", "foo-bar-baz"},
        {"ruff", "ruff"},
        {"RUFF", "ruff"},
        {"a", "a"},
        {"A-_.-b", "a-b"},
        {"uv_build", "uv-build"},
        {"zope.interface", "zope-interface"},
        {"9", "9"},
        {"Django2", "django2"},
    };
    for (auto [name, normal] : cases) {
        auto result = normalize_name(name);
        ASSERT_TRUE(std::holds_alternative<std::string>(result)) << name;
        EXPECT_EQ(std::get<std::string>(result), normal) << name;
        // The comparison without a copy agrees, and a prefix or a longer form is not equal.
        EXPECT_TRUE(has_normal_form(name, normal)) << name;
        EXPECT_FALSE(has_normal_form(name, normal.substr(0, normal.size() - 1))) << name;
        EXPECT_FALSE(has_normal_form(name, std::string(normal) + "x")) << name;
    }
    EXPECT_FALSE(has_normal_form("-foo", "foo"));
    EXPECT_FALSE(has_normal_form("foo_", "foo"));
    EXPECT_FALSE(has_normal_form("", "a"));
}

TEST(NormalizeName, RejectsInvalidNamesWithoutSpan) {
    const std::string_view cases[] = {"",    "-foo", "foo-", "_foo", "foo.", "foo bar",
                                      "föo", " foo", "foo!", ".",    "a/b"};
    for (auto name : cases) {
        auto result = normalize_name(name);
        ASSERT_TRUE(std::holds_alternative<Error>(result)) << name;
        EXPECT_FALSE(std::get<Error>(result).span) << name;
        EXPECT_FALSE(std::get<Error>(result).message.empty()) << name;
    }
}

TEST(CheckVersion, ParsesTheUntrimmedText) {
    for (auto text : {"1.0", " 1.0 ", "v2!1.0rc1.post2.dev3+abc", "1.0-1"}) {
        EXPECT_FALSE(check_version(text)) << text;
    }
    const std::pair<std::string_view, std::string_view> failures[] = {
        {"", "empty version"},
        {"1.0.*", "wildcards are not allowed in a version"},
        {"\xE2\x80\x83"
         "1.0",
         "expected version to start with a number"},  // em space
        {">=1.0", "expected version to start with a number"},
    };
    for (auto [text, message] : failures) {
        EXPECT_EQ(check_version(text), (Error{std::nullopt, std::string(message)})) << text;
    }
}

TEST(CheckSpecifiers, AcceptsNonEmptyLists) {
    for (auto text : {">=1.0, <2", "==1.*", " ~=1.4.5 ", ">=1.0,<2,!=1.5"}) {
        EXPECT_FALSE(check_specifiers(text)) << text;
    }
}

TEST(CheckSpecifiers, LocatesTheFailingSpecifier) {
    struct Case {
        std::string_view text;
        std::optional<Span> span;
        std::string_view message;
    };
    const Case cases[] = {
        {"", std::nullopt, "expected at least one version specifier"},
        {"   ", std::nullopt, "expected at least one version specifier"},
        {"\xC2\xA0", std::nullopt, "expected at least one version specifier"},
        {">=1.0,", Span{6, 6}, "empty version specifier"},
        {" , >=1", Span{1, 1}, "empty version specifier"},
        {">=1.0,,<2", Span{6, 6}, "empty version specifier"},
        {">=1.0, <2x", Span{7, 10}, "unexpected `x` after version `2`"},
        {"1.0", Span{0, 3},
         "expected a comparison operator (`~=`, `==`, `!=`, `<=`, `>=`, `<`, `>` or `===`)"},
        {">=1.0,\xC2\xA0 <=1.0+x ", Span{9, 16}, "operator `<=` cannot take a local version"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(check_specifiers(c.text), (Error{c.span, std::string(c.message)})) << c.text;
    }
}

TEST(AllowedVersions, TakesAVersionOrASpecifierList) {
    struct Case {
        std::string_view text;
        std::vector<std::string_view> inside, outside;
    };
    const Case cases[] = {
        {" 0.5.0 ", {"0.5.0", "0.5", "0.5.0+local"}, {"0.5.1", "0.4", "0.5.0.post1"}},
        {">=0.4,<0.6", {"0.4", "0.5.9"}, {"0.6", "0.3", "0.6a1"}},
        {"==0.5.*", {"0.5.0", "0.5.9"}, {"0.6"}},
    };
    for (const Case& c : cases) {
        auto result = allowed_versions(c.text);
        ASSERT_TRUE(std::holds_alternative<VersionSet>(result)) << c.text;
        const auto& set = std::get<VersionSet>(result);
        for (auto v : c.inside)
            EXPECT_TRUE(set.contains(v)) << c.text << " " << v;
        for (auto v : c.outside)
            EXPECT_FALSE(set.contains(v)) << c.text << " " << v;
    }
    EXPECT_EQ(std::get<Error>(allowed_versions("")),
              (Error{std::nullopt, "expected at least one version specifier"}));
    EXPECT_EQ(std::get<Error>(allowed_versions(">=1,")),
              (Error{Span{4, 4}, "empty version specifier"}));
}

TEST(AllowsPythonMinor, JudgesReleaseNumbersOnly) {
    struct Case {
        std::string_view specifiers;
        std::uint64_t major, minor;
        std::optional<bool> allowed;
    };
    const Case cases[] = {
        {">=3.9", 3, 8, false},
        {">=3.9", 3, 13, true},
        {"==3.10.*", 3, 10, true},
        {"==3.10.*", 3, 11, false},
        {"<3.12", 3, 12, false},
        {"<3.12", 3, 11, true},
        {">3.8", 3, 8, true},
        {">=3.9rc1", 3, 8, false},
        {"~=3.8", 3, 12, true},
        {"~=3.8", 4, 0, false},
        {"!=3.9", 3, 9, true},
        {"==3.9", 3, 9, true},
        {">=3.8, <3.10", 3, 10, false},
        {"", 3, 1, true},
        {">=3,<4", 4, 0, false},
        {"not valid", 3, 9, std::nullopt},
        {">=3.9,", 3, 9, std::nullopt},
        {">=3.9", 3, UINT64_MAX, true},
        {"<3.9", 3, UINT64_MAX, false},
        {"<4", UINT64_MAX, UINT64_MAX, false},
        {">=4", UINT64_MAX, UINT64_MAX, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(allows_python_minor(c.specifiers, c.major, c.minor), c.allowed)
            << c.specifiers << " " << c.major << "." << c.minor;
    }
}

// Arbitrary bytes, built from the characters the grammars care about, always give an answer.
TEST(StandardsInput, AnyBytesGiveAnAnswer) {
    const std::string_view alphabet[] = {"0",
                                         "9",
                                         ".",
                                         "*",
                                         "!",
                                         "+",
                                         "-",
                                         "_",
                                         "a",
                                         "rc",
                                         "post",
                                         "dev",
                                         "v",
                                         " ",
                                         ",",
                                         "=",
                                         "<",
                                         ">",
                                         "~",
                                         "\xC2\xA0",
                                         "\xFF",
                                         "\xE2\x80",
                                         "18446744073709551615"};
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (std::uint32_t n = next() % 12; n > 0; --n)
            text += alphabet[(next() >> 8) % std::size(alphabet)];
        (void)check_version(text);
        (void)check_specifiers(text);
        (void)allowed_versions(text);
        (void)allows_python_minor(text, 3, 9);
        (void)normalize_name(text);
        EXPECT_FALSE(VersionSet::full().contains(text) && check_version(text)) << text;
    }
}

}  // namespace
}  // namespace tarnvik::standards
