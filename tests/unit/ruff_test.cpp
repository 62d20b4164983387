#include "rules/ruff.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checked_findings.hpp"
#include "knowledge/ruff.hpp"
#include "rules/suggestion_cache.hpp"
#include "tool_pass.hpp"

namespace tarnvik::rules::ruff {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using testing_support::checked;

// A dependency group requiring Ruff, which decides the allowed releases.
std::string requiring(const std::string& requirement) {
    return "[dependency-groups]\ndev = [\"" + requirement + "\"]\n";
}

struct Case {
    std::string toml;
    std::vector<std::string> expected;
};

void expect_checked(const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_THAT(checked(c.toml), ElementsAreArray(c.expected)) << c.toml;
}

const std::string MOVE = "linter settings at the top level of `[tool.ruff]` are deprecated";
const std::string MOVE_HELP =
    " | help: move them to `[tool.ruff.lint]`, such as `[tool.ruff.lint] select = [...]`";
const std::string BY_NAME =
    "error invalid-value `\"line-too-long\"`: selecting rules by name, like `line-too-long`, needs "
    "preview | help: use the rule's code, or set `preview = true` in `[tool.ruff.lint]`";
const std::string PREVIEW_ONLY =
    " selects only preview rules, so it has no effect without "
    "preview | help: set `preview = true` in `[tool.ruff.lint]` to "
    "enable them";
const std::string TARGET_HELP =
    " only in preview | help: Ruff warns that support is under development; set `preview = true` "
    "in `[tool.ruff]`, or target an earlier version";

TEST(RuffPass, TopLevelLinterSettingsMoveUnderLint) {
    expect_checked({
        // A quoted key and a table header move too; other settings stay.
        {"[tool.ruff]\n\"select\" = [\"E\"]\nline-length = 88\n[tool.ruff.isort]\n",
         {"warning deprecated-setting `\"select\"`: " + MOVE +
          " | label `isort`: also a linter "
          "setting" +
          MOVE_HELP +
          " | fix safe: `\"select\"` -> `lint.\"select\"` `isort` -> "
          "`lint.isort`"}},
        // A `lint` key, even an empty table, would clash with the moved keys.
        {"[tool.ruff]\nselect = [\"E\"]\n[tool.ruff.lint]\n",
         {"warning deprecated-setting `select`: " + MOVE + MOVE_HELP}},
        // The move frees `select` by taking `lint`: a rename onto `select` would leave a linter
        // setting at the top level again, and once `lint` is a key it could not move.
        {"[tool.ruff]\nselect = [\"E\"]\nSelect = [\"F\"]\n",
         {"warning deprecated-setting `select`: " + MOVE + MOVE_HELP +
              " | fix safe: `select` -> `lint.select`",
          "error unknown-key `Select`: unknown key `Select` in `[tool.ruff]` | help: did you mean "
          "`select`?"}},
        {"[tool.ruff]\nSelect = [\"F\"]\n[tool.ruff.lint]\n",
         {"error unknown-key `Select`: unknown key `Select` in `[tool.ruff]` | help: did you mean "
          "`select`?"}},
        // Before 0.2.0 the top level is the place for them.
        {"[tool.ruff]\nselect = [\"E\"]\n" + requiring("ruff<0.2"), {}},
    });
}

TEST(RuffPass, SelectorsOfRemovedAndRemappedRules) {
    expect_checked({
        // No fix where some allowed release lacks the new code: 0.7 knows no `TC001`, and no
        // release knows `UP016`. The remap is tried before the removal.
        {"[tool.ruff.lint]\nselect = [\"TCH001\"]\nignore = [\"U016\", \"PLR1701\"]\n" +
             requiring("ruff>=0.7"),
         {"warning deprecated-setting `\"TCH001\"`: Ruff remaps the rule code `TCH001` to `TC001` "
          "| help: use `TC001`",
          "warning deprecated-setting `\"U016\"`: Ruff remaps the rule code `U016` to `UP016` | "
          "help: use `UP016`",
          "warning deprecated-setting `\"PLR1701\"`: Ruff remaps the rule code `PLR1701` to "
          "`SIM101` | help: use `SIM101` | fix safe: `\"PLR1701\"` -> `\"SIM101\"`"}},
        // The comment stays on the line `E501` keeps.
        {"[tool.ruff.lint]\nignore = [\"E501\", \"PLR1706\", # two\n]\nselect = [\"PLR1706\"]\n",
         {"warning ineffective-setting `\"PLR1706\"`: Ruff removed the rule `PLR1706` in 0.2.0, so "
          "this has no effect | help: remove it | fix safe: `\"PLR1706\",` -> ``",
          "error unsupported-feature `\"PLR1706\"`: no Ruff version the project allows supports "
          "the rule selector `PLR1706` | help: Ruff removed it in 0.2.0"}},
        // The removal keeps the comment of the element before, and its comma goes instead.
        {"[tool.ruff.lint]\nignore = [\n    \"E501\",  # formatter\n    \"ANN101\"\n]\n" +
             requiring("ruff>=0.8"),
         {"warning ineffective-setting `\"ANN101\"`: Ruff removed the rule `ANN101` in 0.8.0, so "
          "this has no effect | help: remove it | fix safe: `,` -> `` `    \"ANN101\"\n` -> ``"}},
        // Releases that still have the rule would apply it again without the entry.
        {"[tool.ruff.lint]\nignore = [\"PLR1706\"]\n" + requiring("ruff>=0.1.14"),
         {"warning ineffective-setting `\"PLR1706\"`: Ruff removed the rule `PLR1706` in 0.2.0, so "
          "this has no effect | help: remove it"}},
        // Per-file lists; a code that left and came back is not gone for good.
        {"[tool.ruff.lint.per-file-ignores]\n\"t/*\" = [\"A004\", \"AIR303\"]\n" +
             requiring("ruff>=0.5.0,<0.14.11"),
         {"warning unsupported-feature `\"A004\"`: some Ruff versions the project allows do not "
          "support the rule selector `A004` | label `\"ruff>=0.5.0,<0.14.11\"`: allows versions "
          "without it | help: Ruff added it in 0.5.6; require `ruff>=0.5.6`",
          "warning unsupported-feature `\"AIR303\"`: some Ruff versions the project allows do not "
          "support the rule selector `AIR303` | label `\"ruff>=0.5.0,<0.14.11\"`: allows versions "
          "without it | help: Ruff added it in 0.8.4; require `ruff>=0.8.4`"}},
    });
}

TEST(RuffPass, UnknownSelectorsAndTheirSuggestion) {
    // Codes of the same length first, then in byte order, whatever their distance; a character
    // beyond ASCII is one edit.
    expect_checked({
        {"[tool.ruff.lint]\nselect = [\"E5011\", \"E503\", \"e501\", \"E50\u00e9\"]\n",
         {"error invalid-value `\"E5011\"`: unknown rule selector `E5011` | help: did you mean "
          "`E501`? | fix unsafe: `\"E5011\"` -> `\"E501\"`",
          "error invalid-value `\"E503\"`: unknown rule selector `E503` | help: did you mean "
          "`E203`? | fix unsafe: `\"E503\"` -> `\"E203\"`",
          "error invalid-value `\"e501\"`: unknown rule selector `e501` | help: did you mean "
          "`E101`? | fix unsafe: `\"e501\"` -> `\"E101\"`",
          "error invalid-value `\"E50\u00e9\"`: unknown rule selector `E50\u00e9` | help: did you "
          "mean `E501`? | fix unsafe: `\"E50\u00e9\"` -> `\"E501\"`"}},
        // A literal that does not spell the selector plainly is written anew.
        {"[tool.ruff.lint]\nignore = [\"\", \"zzzzzzzz\", \"TCH\\u0030\\u0030\\u0031\"]\n",
         {"error invalid-value `\"\"`: unknown rule selector `` | help: did you mean `A`? | fix "
          "unsafe: `\"\"` -> `\"A\"`",
          "error invalid-value `\"zzzzzzzz\"`: unknown rule selector `zzzzzzzz`",
          "warning deprecated-setting `\"TCH\\u0030\\u0030\\u0031\"`: Ruff remaps the rule code "
          "`TCH001` to `TC001` | help: use `TC001` | fix safe: `\"TCH\\u0030\\u0030\\u0031\"` -> "
          "`\"TC001\"`"}},
        // Linter preview in 0.16.0 and later only warns.
        {"[tool.ruff.lint]\npreview = true\nselect = [\"E5011\"]\n" + requiring("ruff>=0.16"),
         {"warning invalid-value `\"E5011\"`: unknown rule selector `E5011` | help: did you mean "
          "`E501`? | fix unsafe: `\"E5011\"` -> `\"E501\"`"}},
    });
    EXPECT_THAT(checked("[tool.ruff.lint]\npreview = true\nselect = [\"E5011\"]\n" +
                        requiring("ruff>=0.15")),
                ElementsAre(::testing::StartsWith("error invalid-value")));
}

TEST(RuffPass, DeprecatedRulesNamesAndPreviewOnlySelectors) {
    const std::string removed = " | help: remove it; Ruff removed it in 0.8.0";
    expect_checked({
        {"[tool.ruff.lint]\nextend-select = [\"ANN101\"]\nignore = [\"ANN101\"]\n" +
             requiring("ruff>=0.2.0,<0.8"),
         {"warning deprecated-setting `\"ANN101\"`: Ruff deprecates the rule `ANN101`" + removed}},
        {"[tool.ruff.lint]\npreview = true\nextend-select = [\"ANN101\"]\n" +
             requiring("ruff>=0.2.0,<0.8"),
         {"error invalid-value `\"ANN101\"`: Ruff does not allow selecting the deprecated rule "
          "`ANN101` with preview" +
          removed}},
        // Deprecated in only some allowed releases: a warning even with preview.
        {"[tool.ruff.lint]\npreview = true\nselect = [\"ANN101\"]\n" +
             requiring("ruff>=0.1.1,<0.8"),
         {"warning deprecated-setting `\"ANN101\"`: Ruff deprecates the rule `ANN101`" + removed}},
        {"[tool.ruff.lint]\nselect = [\"line-too-long\", \"S404\", \"E\", \"DOC\"]\n"
         "ignore = [\"S404\"]\n",
         {BY_NAME, "warning ineffective-setting `\"S404\"`: `S404`" + PREVIEW_ONLY,
          "warning ineffective-setting `\"DOC\"`: `DOC`" + PREVIEW_ONLY}},
        {"[tool.ruff.lint]\npreview = true\nselect = [\"line-too-long\", \"S404\"]\n", {}},
        // Ruff's own preview counts for the linter unless `lint.preview` is a boolean.
        {"[tool.ruff]\npreview = true\n[tool.ruff.lint]\nignore = [\"line-too-long\"]\n", {}},
        {"[tool.ruff]\npreview = true\n[tool.ruff.lint]\npreview = false\n"
         "ignore = [\"line-too-long\"]\n",
         {BY_NAME}},
    });
}

TEST(RuffPass, OutputFormatAndTargetVersion) {
    const std::string py314 = "[tool.ruff]\ntarget-version = \"py314\"\n";
    const std::string window = requiring("ruff>=0.11.8,<0.13");
    expect_checked({
        {"[tool.ruff]\noutput-format = \"text\"\n" + requiring("ruff<0.2"), {}},
        {py314 + window,
         {"warning unsupported-feature `\"py314\"`: Ruff 0.12.5 supports `py314`" + TARGET_HELP}},
        {"[tool.ruff]\npreview = true\ntarget-version = \"py314\"\n" + window, {}},
        {py314 + "[tool.ruff.lint]\npreview = true\n" + window,
         {"warning unsupported-feature `\"py314\"`: Ruff 0.12.5 supports `py314`" + TARGET_HELP}},
        {"[tool.ruff]\ntarget-version = \"py315\"\n",
         {"warning unsupported-feature `\"py315\"`: Ruff 0.16.9 supports `py315`" + TARGET_HELP}},
        {py314 + requiring("ruff>=0.13"), {}},
        {"[tool]\nruff = 1\n", {}},
    });
    // Only a target spelt "py3" and a number is compared with `requires-python`.
    for (const std::string value : {"\"py3\"", "\"py3+\"", "\"py3x12\"", "\"py+312\"", "312",
                                    "\"py399999999999999999999\""}) {
        const std::string toml =
            "[project]\nname = \"p\"\nversion = \"1\"\nrequires-python = "
            "\">=3.9\"\n[tool.ruff]\ntarget-version = " +
            value + "\n";
        for (const std::string& line : checked(toml))
            EXPECT_THAT(line, ::testing::Not(::testing::HasSubstr("requires-python"))) << toml;
    }
}

// Made-up selectors by the many thousand cost little: each different one is searched for a
// suggestion at most once, and only the first few are searched at all.
TEST(RuffPass, HostileSelectorsAreCheckedQuickly) {
    std::vector<std::string> near;  // a code and one more character: each has a suggestion
    for (const ::tarnvik::ruff::SelectorRow row : ::tarnvik::ruff::selectors()) {
        if (row.selector.size() == 4 && row.accepted_in(::tarnvik::ruff::RUFF.newest()) &&
            near.size() < SuggestionCache::SEARCHES + 6) {
            near.push_back(std::string(row.selector) + "Z");
        }
    }
    std::string select;
    for (const std::string& selector : near)
        select += "\"" + selector + "\", ";
    select += "\"" + near.front() + "\", ";
    for (int i = 0; i < 10000; ++i)
        select += "\"Q" + std::to_string(i) + "Q\", ";
    const std::string huge(1'000'000, 'E');
    const CheckResult result =
        check_with_lock("[tool.ruff.lint]\nselect = [" + select + "\"" + huge + "\"]\n", nullptr);
    ASSERT_EQ(result.diagnostics.size(), near.size() + 1 + 10000 + 1);
    for (std::size_t i = 0; i < near.size(); ++i) {
        EXPECT_EQ(result.diagnostics[i].help.has_value(), i < SuggestionCache::SEARCHES) << near[i];
    }
    // A repeated selector keeps the suggestion it got.
    EXPECT_EQ(result.diagnostics[near.size()].help, result.diagnostics[0].help);
    EXPECT_FALSE(result.diagnostics.back().help);

    // Removing many rules of one long line: each removal looks no further than its neighbours.
    std::string ignore;
    for (int i = 0; i < 50000; ++i)
        ignore += "\"PLR1706\", ";
    const CheckResult removals =
        check_with_lock("[tool.ruff.lint]\nignore = [" + ignore + "]\n", nullptr);
    ASSERT_EQ(removals.diagnostics.size(), 50000u);
    ASSERT_TRUE(removals.diagnostics.back().fix);
    EXPECT_EQ(removals.diagnostics.back().fix->edits[0].range.size(),
              std::string_view("\"PLR1706\", ").size());
}

}  // namespace
}  // namespace tarnvik::rules::ruff
