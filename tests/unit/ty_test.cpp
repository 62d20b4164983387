#include "rules/ty.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checked_findings.hpp"
#include "knowledge/ty.hpp"
#include "rules/suggestion_cache.hpp"
#include "tool_pass.hpp"

namespace tarnvik::rules::ty {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

using testing_support::checked;

const std::string DOCS_HELP =
    " | help: ty ignores rules it does not know; see https://docs.astral.sh/ty/reference/rules/";

TEST(TyPass, RuleNames) {
    struct Case {
        std::string toml;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"[tool.ty.rules]\npossibly-unresolved-reference = \"error\"\n", {}},
        {"[tool.ty.rules]\nunresolved-imports = \"ignore\"\nzzz = \"warn\"\n",
         {"warning invalid-value `unresolved-imports`: unknown rule `unresolved-imports` | help: "
          "did you mean `unresolved-import`? | fix unsafe: `unresolved-imports` -> "
          "`unresolved-import`",
          "warning invalid-value `zzz`: unknown rule `zzz`" + DOCS_HELP}},
        // Names compare exactly; no rename onto a rule the table sets already.
        {"[tool.ty.rules]\nunresolved-import = \"warn\"\n\"Unresolved-Import\" = \"ignore\"\n",
         {"warning invalid-value `\"Unresolved-Import\"`: unknown rule `Unresolved-Import` | help: "
          "did you mean `unresolved-import`?"}},
        // Not a table: the walk reports it, not the rule check.
        {"[tool.ty]\nrules = \"error\"\n",
         {"error invalid-type `\"error\"`: `tool.ty.rules` must be a table, found a string"}},
        // A name an older release knew is no suggestion for the newest.
        {"[tool.ty.rules]\nnon-subscriptabel = \"warn\"\n",
         {"warning invalid-value `non-subscriptabel`: unknown rule `non-subscriptabel` | help: did "
          "you mean `not-subscriptable`? | fix unsafe: `non-subscriptabel` -> "
          "`not-subscriptable`"}},
    };
    for (const Case& c : cases)
        EXPECT_THAT(checked(c.toml), ElementsAreArray(c.expected)) << c.toml;
}

// Only a version spelt "3." and a number is compared with `requires-python`.
TEST(TyPass, PythonVersionShapes) {
    const std::string project =
        "[project]\nname = \"p\"\nversion = \"1\"\nrequires-python = \">=3.9\"\n";
    EXPECT_THAT(checked(project + "[tool.ty.environment]\npython-version = \"3.9\"\n"), IsEmpty());
    for (const std::string value : {"\"3\"", "\"3.\"", "\"3.x\"", "\"3.12.1\"", "\"3.+\"", "3.12",
                                    "\"3.99999999999999999999\""}) {
        const std::string toml =
            project + "[tool.ty.environment]\npython-version = " + value + "\n";
        for (const std::string& line : checked(toml))
            EXPECT_THAT(line, ::testing::Not(::testing::HasSubstr("requires-python"))) << toml;
    }
}

TEST(TyPass, UncheckedWithoutAKnownRelease) {
    const lock::Lock unknown = testing_support::uv_lock(testing_support::locking("ty", {"1.0.0"}));
    EXPECT_THAT(checked("[tool.ty]\n", &unknown),
                ElementsAre("warning unknown-version `ty`: tarnvik does not know ty 1.0.0, so it "
                            "did not check `[tool.ty]` | help: tarnvik knows ty 0.0.2 to 0.0.84; "
                            "a newer tarnvik may know it"));
    EXPECT_THAT(checked("[tool]\nty = []\n"), IsEmpty());
}

// Every different unknown rule is searched at most once, and only the first few at all.
TEST(TyPass, ManyUnknownRulesAreCheckedQuickly) {
    std::string rules;
    std::vector<std::string> names;
    for (const ::tarnvik::ty::Rule rule : ::tarnvik::ty::rules()) {
        if (names.size() == SuggestionCache::SEARCHES + 4) break;
        if (!::tarnvik::tool::holds(rule.releases, ::tarnvik::ty::TY.newest())) continue;
        names.push_back(std::string(rule.name) + "x");
        rules += names.back() + " = \"warn\"\n";
    }
    for (int i = 0; i < 20000; ++i)
        rules += "r" + std::to_string(i) + " = \"warn\"\n";
    const CheckResult result = check_with_lock("[tool.ty.rules]\n" + rules, nullptr);
    ASSERT_EQ(result.diagnostics.size(), names.size() + 20000);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(result.diagnostics[i].fix.has_value(), i < SuggestionCache::SEARCHES) << names[i];
    }
}

}  // namespace
}  // namespace tarnvik::rules::ty
