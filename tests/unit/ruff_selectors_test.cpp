#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "knowledge/ruff.hpp"

namespace tarnvik::ruff {
namespace {

tool::Release at(std::string_view release) {
    if (const std::optional<tool::Release> found = RUFF.release_named(release)) return *found;
    ADD_FAILURE() << "no release " << release;
    return 0;
}

TEST(RuffSelector, MatchesTheExactTextOnly) {
    ASSERT_TRUE(selector("E501"));
    EXPECT_EQ(selector("E501")->selector, "E501");
    for (std::string_view text : {"e501", " E501", "E501 ", "E50 1", "", "E5011"}) {
        EXPECT_FALSE(selector(text)) << text;
    }
    EXPECT_TRUE(selector("line-too-long"));
    EXPECT_FALSE(selector("LINE-TOO-LONG"));
}

TEST(RuffSelector, TellingRows) {
    using Ranges = std::vector<std::pair<std::string_view, std::string_view>>;
    struct Case {
        std::string_view selector;
        Ranges releases;
        RuleStatus status;
        std::string_view since, removed;  // "" for position 0
    };
    const Case cases[] = {
        {"A", {{"0.1.0", "0.16.9"}}, RuleStatus::None, "", ""},
        {"ALL", {{"0.1.0", "0.16.9"}}, RuleStatus::None, "", ""},
        {"NURSERY", {{"0.1.0", "0.1.15"}}, RuleStatus::None, "", ""},
        {"E501", {{"0.1.0", "0.16.9"}}, RuleStatus::Stable, "0.1.0", ""},
        {"A004", {{"0.5.6", "0.16.9"}}, RuleStatus::Stable, "0.8.0", ""},
        {"AIR303", {{"0.8.4", "0.11.2"}, {"0.14.11", "0.16.9"}}, RuleStatus::Stable, "0.16.0", ""},
        {"S404", {{"0.1.12", "0.16.9"}}, RuleStatus::Preview, "", ""},
        {"ANN101", {{"0.1.0", "0.7.4"}}, RuleStatus::Deprecated, "0.2.0", "0.8.0"},
        {"PD901", {{"0.1.0", "0.12.12"}}, RuleStatus::Deprecated, "0.12.0", "0.13.0"},
        {"PLR1701", {{"0.1.0", "0.4.10"}}, RuleStatus::Removed, "", "0.5.0"},
        {"RUF035", {{"0.7.4", "0.9.10"}}, RuleStatus::Removed, "", "0.10.0"},
        {"TCH001", {{"0.1.0", "0.7.4"}}, RuleStatus::None, "", ""},
        {"line-too-long", {{"0.15.20", "0.16.9"}}, RuleStatus::None, "", ""},
    };
    for (const Case& c : cases) {
        const std::optional<SelectorRow> row = selector(c.selector);
        ASSERT_TRUE(row) << c.selector;
        Ranges releases;
        for (const tool::ReleaseRange& range : row->releases) {
            releases.emplace_back(RUFF.release(range.first), RUFF.release(range.last));
        }
        EXPECT_EQ(releases, c.releases) << c.selector;
        EXPECT_EQ(row->status, c.status) << c.selector;
        EXPECT_EQ(row->since, c.since.empty() ? 0 : at(c.since)) << c.selector;
        EXPECT_EQ(row->removed, c.removed.empty() ? 0 : at(c.removed)) << c.selector;
    }
}

TEST(RuffSelector, TableComposition) {
    EXPECT_EQ(selectors().size(), 2462u);
    EXPECT_EQ(REDIRECTS.size(), 103u);
    auto count = [](RuleStatus status) {
        return std::ranges::count_if(selectors(),
                                     [&](const SelectorRow& row) { return row.status == status; });
    };
    EXPECT_EQ(count(RuleStatus::Stable), 812);
    EXPECT_EQ(count(RuleStatus::Preview), 140);
    EXPECT_EQ(count(RuleStatus::Deprecated), 9);
    EXPECT_EQ(count(RuleStatus::Removed), 8);
    EXPECT_EQ(count(RuleStatus::None), 1493);
}

TEST(RuffRedirect, MapsOldSelectorsExactly) {
    EXPECT_EQ(redirect("TCH001"), "TC001");
    EXPECT_EQ(redirect("TC001"), std::nullopt);
    EXPECT_EQ(redirect("U016"), "UP016");
    EXPECT_FALSE(selector("UP016"));  // a target need not be a known selector
    for (std::string_view text : {"tch001", "TCH00", "TCH001 ", ""}) {
        EXPECT_EQ(redirect(text), std::nullopt) << text;
    }
}

TEST(RuffSelector, PredicatesAtARelease) {
    const SelectorRow air303 = *selector("AIR303");
    EXPECT_TRUE(air303.accepted_in(at("0.11.2")));
    EXPECT_FALSE(air303.accepted_in(at("0.11.3")));
    EXPECT_FALSE(air303.accepted_in(at("0.14.10")));
    EXPECT_TRUE(air303.accepted_in(at("0.14.11")));
    EXPECT_TRUE(air303.preview_in(at("0.15.0")));
    EXPECT_FALSE(air303.preview_in(at("0.16.0")));

    const SelectorRow ann101 = *selector("ANN101");
    EXPECT_FALSE(ann101.deprecated_in(at("0.1.15")));
    EXPECT_TRUE(ann101.deprecated_in(at("0.2.0")));
    EXPECT_TRUE(ann101.deprecated_in(at("0.7.4")));
    EXPECT_FALSE(ann101.deprecated_in(at("0.8.0")));
    EXPECT_FALSE(ann101.preview_in(at("0.1.0")));
    EXPECT_FALSE(selector("PLR1701")->deprecated_in(at("0.4.0")));
}

TEST(RuffSelectsOnlyPreviewRules, AllRulesUnderTheSelectorMustBePreview) {
    struct Case {
        std::string_view selector, release;
        bool expected;
    };
    const Case cases[] = {
        {"S404", "0.1.12", true},            // a preview rule from its first release
        {"S404", "0.16.9", true},            // and still in preview
        {"S404", "0.1.11", false},           // not a rule yet
        {"E501", "0.16.9", false},           // stable
        {"A004", "0.7.4", true},             // preview before 0.8.0
        {"A004", "0.8.0", false},            // stable from 0.8.0
        {"ANN101", "0.1.5", false},          // deprecated rules are never "only preview"
        {"ALL", "0.16.9", false},            // a group
        {"line-too-long", "0.16.9", false},  // a rule name selects no row with a status
        {"TCH001", "0.5.0", false},          // a former code
        {"AIR3", "0.1.0", false},            // no rule under the prefix yet
        {"AIR3", "0.15.0", false},           // AIR301 is stable by then
        {"DOC", "0.16.9", true},             // only preview rules under it
        {"E2", "0.16.9", true},              // the preview pycodestyle rules
        {"E", "0.16.9", false},              // E501 among them is stable
        {"e2", "0.16.9", false},             // byte-wise prefixes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(selects_only_preview_rules(c.selector, at(c.release)), c.expected)
            << c.selector << " at " << c.release;
    }
}

}  // namespace
}  // namespace tarnvik::ruff
