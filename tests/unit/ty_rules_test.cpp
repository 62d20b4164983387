#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include "knowledge/ty.hpp"

namespace tarnvik::ty {
namespace {

tool::Release at(std::string_view release) {
    if (const std::optional<tool::Release> found = TY.release_named(release)) return *found;
    ADD_FAILURE() << "no release " << release;
    return 0;
}

TEST(TyRule, MatchesNamesExactly) {
    EXPECT_EQ(rules().size(), 142u);
    ASSERT_TRUE(rule("unresolved-import"));
    EXPECT_EQ(rule("unresolved-import")->name, "unresolved-import");
    EXPECT_EQ(rules().front().name, "abstract-and-final-method");
    EXPECT_EQ(rule("zero-stepsize-in-slice")->name, rules().back().name);
    for (std::string_view name : {"Unresolved-Import", "unresolved-imports", "unresolved_import",
                                  "unresolved", "", "zzz"}) {
        EXPECT_FALSE(rule(name)) << name;
    }
    EXPECT_EQ(RULE_DOCS, "https://docs.astral.sh/ty/reference/rules/");
}

TEST(TyRule, ReleasesThatKnowEachRule) {
    struct Case {
        std::string_view name, first, last;
    };
    const Case cases[] = {
        {"possibly-unresolved-reference", "0.0.2", "0.0.84"},
        {"non-subscriptable", "0.0.2", "0.0.7"},
        {"not-subscriptable", "0.0.8", "0.0.84"},
        {"conflicting-argument-forms", "0.0.2", "0.0.48"},
        {"abstract-and-final-method", "0.0.64", "0.0.84"},
        {"all", "0.0.21", "0.0.84"},
        {"truthiness-test-of-iterable", "0.0.83", "0.0.84"},
    };
    for (const Case& c : cases) {
        const Rule row = *rule(c.name);
        ASSERT_EQ(row.releases.size(), 1u) << c.name;
        EXPECT_EQ(TY.release(row.releases[0].first), c.first) << c.name;
        EXPECT_EQ(TY.release(row.releases[0].last), c.last) << c.name;
    }
    const auto everywhere = std::ranges::count_if(rules(), [](const Rule& row) {
        return row.releases.size() == 1 && row.releases[0].first == 0 &&
               row.releases[0].last == TY.newest();
    });
    EXPECT_EQ(everywhere, 79);
    // How the ty checks word a rule missing at some allowed release.
    EXPECT_EQ(tool::removed_before(rule("non-subscriptable")->releases, at("0.0.10")), at("0.0.8"));
    EXPECT_EQ(tool::added_after(rule("abstract-and-final-method")->releases, at("0.0.50")),
              at("0.0.64"));
}

}  // namespace
}  // namespace tarnvik::ty
