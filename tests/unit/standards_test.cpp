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
    }
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

}  // namespace
}  // namespace tarnvik::standards
