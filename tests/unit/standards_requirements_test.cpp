#include <gtest/gtest.h>

#include "tarnvik/standards.hpp"

namespace tarnvik::standards {
namespace {

TEST(CheckRequirement, ErrorSpansStayInsideTheText) {
    struct Case {
        const char* text;
        Span span;
    };
    const Case cases[] = {
        {"", {0, 0}},
        {"foo>=1.0,", {9, 9}},
        {"foo[", {3, 4}},
        {"foo;", {4, 4}},
        {"foo; os_name == 'a", {16, 17}},
        {"foo @", {5, 5}},
        {"foo @ nowhere", {6, 13}},
        {"not a requirement!", {4, 5}},
    };
    for (const Case& c : cases) {
        std::optional<Error> error = check_requirement(c.text);
        ASSERT_TRUE(error) << c.text;
        EXPECT_EQ(error->span, c.span) << c.text;
        EXPECT_FALSE(error->message.empty());
    }
    EXPECT_EQ(check_requirement("foo @ nowhere")->message, "relative URL without a base");
    EXPECT_EQ(check_requirement("requests[security]>=2.8.1; python_version < '3'"), std::nullopt);
}

TEST(RequirementName, IsTheNormalFormForEveryValidRequirement) {
    struct Case {
        const char* text;
        std::optional<std::string> name;
    };
    const Case cases[] = {
        {"ruff", "ruff"},
        {"Foo.Bar__baz[x]>=1", "foo-bar-baz"},
        {"Foo_Bar @ https://example.com/foo_bar.whl", "foo-bar"},
        {"uv-build (>=0.7) ; python_version >= '3.8'", "uv-build"},
        {"not a requirement!", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(requirement_name(c.text), c.name) << c.text;
}

TEST(RequiredVersions, GivesTheNameAndTheSetOfItsSpecifiers) {
    std::optional<RequiredVersions> plain = required_versions("ruff");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->name, "ruff");
    EXPECT_FALSE(plain->versions);

    std::optional<RequiredVersions> bounded =
        required_versions("Ruff>=0.5; python_version >= '3.9'");
    ASSERT_TRUE(bounded);
    EXPECT_EQ(bounded->name, "ruff");
    ASSERT_TRUE(bounded->versions);
    EXPECT_TRUE(bounded->versions->contains(std::string_view("0.5")));
    EXPECT_TRUE(bounded->versions->contains(std::string_view("1.0")));
    EXPECT_FALSE(bounded->versions->contains(std::string_view("0.4.9")));

    std::optional<RequiredVersions> both = required_versions("uv_build[x] (>=0.7.2, <0.8)");
    ASSERT_TRUE(both && both->versions);
    EXPECT_EQ(both->name, "uv-build");
    EXPECT_TRUE(both->versions->contains(std::string_view("0.7.19")));
    EXPECT_FALSE(both->versions->contains(std::string_view("0.8.0")));
    EXPECT_FALSE(both->versions->contains(std::string_view("0.7.1")));

    EXPECT_FALSE(required_versions("ruff @ https://example.com/ruff.whl"));
    EXPECT_FALSE(required_versions("not a requirement!"));
    EXPECT_FALSE(required_versions("ruff>=0.5,"));
}

// Passing over requirements on other packages must not change which ones are found.
TEST(RequiredVersions, OnAPackageAgreesWithTheFullParse) {
    const std::string_view texts[] = {
        "ruff",
        "Ruff>=0.5",
        "  RUFF ; python_version > '3'",
        "ruff_",
        "ruff-lsp>=1",
        "ruf",
        "r-u-f-f",
        "ruff.",
        "ruff[x]",
        "ruff @ https://x",
        "uv_build>=0.7",
        "UV__Build",
        "uv.-build<1",
        "uv-build-x",
        "",
        "  ",
        "\truff>=1",
        "ruff>=0.5,",
        "uv-build\xC2\xA0>=1",
        "-ruff",
    };
    for (std::string_view package : {"ruff", "uv-build"}) {
        for (std::string_view text : texts) {
            std::optional<RequiredVersions> full = required_versions(text);
            const bool expected = full && full->name == package;
            EXPECT_EQ(required_versions(text, package).has_value(), expected)
                << package << " in `" << text << "`";
        }
    }
}

}  // namespace
}  // namespace tarnvik::standards
