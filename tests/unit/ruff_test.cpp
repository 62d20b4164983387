#include "rules/ruff.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
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
using ::testing::IsEmpty;

// The findings of a whole check, without their closing notes.
std::vector<std::string> checked(const std::string& toml, const lock::Lock* lock = nullptr) {
    const CheckResult result = check_with_lock(toml, lock);
    std::vector<std::string> lines;
    for (Diagnostic diagnostic : result.diagnostics) {
        diagnostic.note.reset();
        lines.push_back(testing_support::describe(result.source, diagnostic));
    }
    return lines;
}

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

TEST(RuffPass, TopLevelLinterSettingsMoveUnderLint) {
    expect_checked({
        {"[tool.ruff]\nselect = [\"E\"]\nline-length = 88\nignore = [\"E501\"]\n",
         {"warning deprecated-setting `select`: linter settings at the top level of `[tool.ruff]` "
          "are deprecated | label `ignore`: also a linter setting | help: move them to "
          "`[tool.ruff.lint]`, such as `[tool.ruff.lint] select = [...]` | fix safe: `select` -> "
          "`lint.select` `ignore` -> `lint.ignore`"}},
        // A table header and a quoted key move too.
        {"[tool.ruff]\n\"fixable\" = []\n[tool.ruff.isort]\nknown-first-party = [\"p\"]\n",
         {"warning deprecated-setting `\"fixable\"`: linter settings at the top level of "
          "`[tool.ruff]` are deprecated | label `isort`: also a linter setting | help: move them "
          "to `[tool.ruff.lint]`, such as `[tool.ruff.lint] select = [...]` | fix safe: "
          "`\"fixable\"` -> `lint.\"fixable\"` `isort` -> `lint.isort`"}},
        // With a `lint` key, even an empty table or a wrong value, the keys are not moved.
        {"[tool.ruff]\nselect = [\"E\"]\nignore = [\"E501\"]\n[tool.ruff.lint]\n",
         {"warning deprecated-setting `select`: linter settings at the top level of `[tool.ruff]` "
          "are deprecated | label `ignore`: also a linter setting | help: move them to "
          "`[tool.ruff.lint]`, such as `[tool.ruff.lint] select = [...]`"}},
        // Settings without a counterpart under `lint` keep the walk's own deprecation.
        {"[tool.ruff]\ntab-size = 4\n" + requiring("ruff>=0.5,<0.7"),
         {"warning deprecated-setting `tab-size`: `tool.ruff.tab-size` is deprecated since Ruff "
          "0.1.2"}},
        // Before 0.2.0 the top level was the place for them; nested tables are not looked at.
        {"[tool.ruff]\nselect = [\"E\"]\n" + requiring("ruff<0.2"), {}},
        {"[tool.ruff.lint]\nselect = [\"E\"]\n[tool.ruff.lint.isort]\nforce-single-line = true\n",
         {}},
    });
}

TEST(RuffPass, SelectorsOfRemovedAndRemappedRules) {
    expect_checked({
        {"[tool.ruff.lint]\nselect = [\"TCH001\"]\n" + requiring("ruff>=0.8.0"),
         {"warning deprecated-setting `\"TCH001\"`: Ruff remaps the rule code `TCH001` to `TC001` "
          "| help: use `TC001` | fix safe: `\"TCH001\"` -> `\"TC001\"`"}},
        // No fix where some allowed release lacks the new code: 0.7 knows no `TC001`, and no
        // release knows `UP016`.
        {"[tool.ruff.lint]\nselect = [\"TCH001\"]\nignore = [\"U016\"]\n" + requiring("ruff>=0.7"),
         {"warning deprecated-setting `\"TCH001\"`: Ruff remaps the rule code `TCH001` to `TC001` "
          "| help: use `TC001`",
          "warning deprecated-setting `\"U016\"`: Ruff remaps the rule code `U016` to `UP016` | "
          "help: use `UP016`"}},
        // Before 0.8.0 every allowed release still has the old code.
        {"[tool.ruff.lint]\nselect = [\"TCH001\"]\n" + requiring("ruff<0.8"), {}},
        {"[tool.ruff.lint]\nignore = [\"E501\", \"PLR1706\", # gone\n]\n",
         {"warning ineffective-setting `\"PLR1706\"`: Ruff removed the rule `PLR1706` in 0.2.0, so "
          "this has no effect | help: remove it | fix safe: `\"PLR1706\", # gone` -> ``"}},
        // Releases that still have the rule would apply it again without the entry.
        {"[tool.ruff.lint]\nignore = [\"PLR1706\"]\n" + requiring("ruff>=0.1.14"),
         {"warning ineffective-setting `\"PLR1706\"`: Ruff removed the rule `PLR1706` in 0.2.0, so "
          "this has no effect | help: remove it"}},
        // The remap is tried first.
        {"[tool.ruff.lint]\nignore = [\"PLR1701\"]\n",
         {"warning deprecated-setting `\"PLR1701\"`: Ruff remaps the rule code `PLR1701` to "
          "`SIM101` | help: use `SIM101` | fix safe: `\"PLR1701\"` -> `\"SIM101\"`"}},
        // Selecting a rule that is gone is an availability finding.
        {"[tool.ruff.lint]\nselect = [\"PLR1706\"]\n",
         {"error unsupported-feature `\"PLR1706\"`: no Ruff version the project allows supports "
          "the rule selector `PLR1706` | help: Ruff removed it in 0.2.0"}},
        {"[tool.ruff.lint]\nselect = [\"PLR1706\"]\n" + requiring("ruff>=0.1.14,<0.3"),
         {"warning unsupported-feature `\"PLR1706\"`: some Ruff versions the project allows do "
          "not support the rule selector `PLR1706` | label `\"ruff>=0.1.14,<0.3\"`: allows "
          "versions without it | help: Ruff removed it in 0.2.0"}},
        // In an ignore list, a rule some allowed releases do not have yet is no use either.
        {"[tool.ruff.lint]\nper-file-ignores = { \"t/*\" = [\"S404\", 1, \"A004\"] }\n" +
             requiring("ruff>=0.5.0,<0.6"),
         {"error invalid-value `[\"S404\", 1, \"A004\"]`: invalid value for "
          "`tool.ruff.lint.per-file-ignores`: expected an array of rule selectors | label "
          "`\"ruff>=0.5.0,<0.6\"`: allows only versions that reject it",
          "warning unsupported-feature `\"A004\"`: some Ruff versions the project allows do not "
          "support the rule selector `A004` | label `\"ruff>=0.5.0,<0.6\"`: allows versions "
          "without it | help: Ruff added it in 0.5.6; require `ruff>=0.5.6`"}},
        // A code that left and came back is not gone for good.
        {"[tool.ruff.lint]\nignore = [\"AIR303\"]\n" + requiring("ruff>=0.12,<0.14.11"),
         {"error unsupported-feature `\"AIR303\"`: no Ruff version the project allows supports "
          "the rule selector `AIR303` | label `\"ruff>=0.12,<0.14.11\"`: allows only versions "
          "without it | help: Ruff added it in 0.14.11; require `ruff>=0.14.11`"}},
        {"[tool.ruff.lint]\nignore = [\"AIR303\"]\n" + requiring("ruff>=0.12"),
         {"warning unsupported-feature `\"AIR303\"`: some Ruff versions the project allows do not "
          "support the rule selector `AIR303` | label `\"ruff>=0.12\"`: allows versions without "
          "it | help: Ruff added it in 0.14.11; require `ruff>=0.14.11`"}},
    });
}

TEST(RuffPass, UnknownSelectorsAndTheirSuggestion) {
    expect_checked({
        {"[tool.ruff.lint]\nselect = [\"E5011\"]\n",
         {"error invalid-value `\"E5011\"`: unknown rule selector `E5011` | help: did you mean "
          "`E501`? | fix unsafe: `\"E5011\"` -> `\"E501\"`"}},
        // Codes of the same length first, then in byte order, whatever their distance.
        {"[tool.ruff.lint]\nselect = [\"E503\", \"e501\"]\n",
         {"error invalid-value `\"E503\"`: unknown rule selector `E503` | help: did you mean "
          "`E203`? | fix unsafe: `\"E503\"` -> `\"E203\"`",
          "error invalid-value `\"e501\"`: unknown rule selector `e501` | help: did you mean "
          "`E101`? | fix unsafe: `\"e501\"` -> `\"E101\"`"}},
        // A non-ASCII character is one edit.
        {"[tool.ruff.lint]\nignore = [\"E50\u00e9\"]\n",
         {"error invalid-value `\"E50\u00e9\"`: unknown rule selector `E50\u00e9` | help: did you "
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
        {"[tool.ruff.lint]\npreview = true\nselect = [\"E5011\"]\n" + requiring("ruff>=0.15"),
         {"error invalid-value `\"E5011\"`: unknown rule selector `E5011` | help: did you mean "
          "`E501`? | fix unsafe: `\"E5011\"` -> `\"E501\"`"}},
    });
}

TEST(RuffPass, DeprecatedRulesNamesAndPreviewOnlySelectors) {
    const std::string ann101 =
        "[tool.ruff.lint]\nextend-select = [\"ANN101\"]\n" + requiring("ruff>=0.2.0,<0.8");
    const std::string deprecated_help = " | help: remove it; Ruff removed it in 0.8.0";
    expect_checked({
        {ann101,
         {"warning deprecated-setting `\"ANN101\"`: Ruff deprecates the rule `ANN101`" +
          deprecated_help}},
        {"[tool.ruff.lint]\npreview = true\nextend-select = [\"ANN101\"]\n" +
             requiring("ruff>=0.2.0,<0.8"),
         {"error invalid-value `\"ANN101\"`: Ruff does not allow selecting the deprecated rule "
          "`ANN101` with preview" +
          deprecated_help}},
        // Deprecated in only some allowed releases: a warning even with preview.
        {"[tool.ruff.lint]\npreview = true\nselect = [\"ANN101\"]\n" +
             requiring("ruff>=0.1.1,<0.8"),
         {"warning deprecated-setting `\"ANN101\"`: Ruff deprecates the rule `ANN101`" +
          deprecated_help}},
        {"[tool.ruff.lint]\nignore = [\"ANN101\"]\n" + requiring("ruff>=0.2.0,<0.8"), {}},
        {"[tool.ruff.lint]\nselect = [\"line-too-long\"]\n",
         {"error invalid-value `\"line-too-long\"`: selecting rules by name, like "
          "`line-too-long`, needs preview | help: use the rule's code, or set `preview = true` "
          "in `[tool.ruff.lint]`"}},
        {"[tool.ruff.lint]\npreview = true\nselect = [\"line-too-long\"]\n", {}},
        // Ruff's own preview counts for the linter unless `lint.preview` is a boolean.
        {"[tool.ruff]\npreview = true\n[tool.ruff.lint]\nignore = [\"line-too-long\"]\n", {}},
        {"[tool.ruff]\npreview = true\n[tool.ruff.lint]\npreview = false\nignore = "
         "[\"line-too-long\"]\n",
         {"error invalid-value `\"line-too-long\"`: selecting rules by name, like "
          "`line-too-long`, needs preview | help: use the rule's code, or set `preview = true` "
          "in `[tool.ruff.lint]`"}},
        {"[tool.ruff.lint]\nselect = [\"S404\", \"E\", \"DOC\"]\nignore = [\"S404\"]\n",
         {"warning ineffective-setting `\"S404\"`: `S404` selects only preview rules, so it has no "
          "effect without preview | help: set `preview = true` in `[tool.ruff.lint]` to enable "
          "them",
          "warning ineffective-setting `\"DOC\"`: `DOC` selects only preview rules, so it has no "
          "effect without preview | help: set `preview = true` in `[tool.ruff.lint]` to enable "
          "them"}},
        {"[tool.ruff.lint]\npreview = true\nselect = [\"S404\"]\n", {}},
    });
}

TEST(RuffPass, OutputFormatAndTargetVersion) {
    const std::string py314_help =
        " | help: Ruff warns that support is under development; set `preview = true` in "
        "`[tool.ruff]`, or target an earlier version";
    expect_checked({
        {"[tool.ruff]\noutput-format = \"text\"\n" + requiring("ruff>=0.3,<=0.4.10"),
         {"warning deprecated-setting `\"text\"`: `output-format = \"text\"` is deprecated since "
          "Ruff 0.2.0 | help: use \"full\" or \"concise\""}},
        {"[tool.ruff]\noutput-format = \"text\"\n" + requiring("ruff<0.2"), {}},
        {"[tool.ruff]\ntarget-version = \"py314\"\n" + requiring("ruff>=0.11.8,<0.13"),
         {"warning unsupported-feature `\"py314\"`: Ruff 0.12.5 supports `py314` only in "
          "preview" +
          py314_help}},
        {"[tool.ruff]\npreview = true\ntarget-version = \"py314\"\n" +
             requiring("ruff>=0.11.8,<0.13"),
         {}},
        {"[tool.ruff]\ntarget-version = \"py314\"\n[tool.ruff.lint]\npreview = true\n" +
             requiring("ruff>=0.11.8,<0.13"),
         {"warning unsupported-feature `\"py314\"`: Ruff 0.12.5 supports `py314` only in "
          "preview" +
          py314_help}},
        {"[tool.ruff]\ntarget-version = \"py315\"\n",
         {"warning unsupported-feature `\"py315\"`: Ruff 0.16.9 supports `py315` only in "
          "preview" +
          py314_help}},
        {"[tool.ruff]\ntarget-version = \"py314\"\n" + requiring("ruff>=0.13"), {}},
    });
}

TEST(RuffPass, TargetVersionAgainstRequiresPython) {
    const std::string project = "[project]\nname = \"p\"\nversion = \"1\"\n";
    EXPECT_THAT(
        checked(project + "requires-python = \">=3.9\"\n[tool.ruff]\ntarget-version = \"py312\"\n"),
        ElementsAre("warning invalid-value `\"py312\"`: `target-version` is Python 3.12, but "
                    "`requires-python` allows Python 3.9 | label `\">=3.9\"`: `requires-python` "
                    "set here | help: Ruff may suggest code that needs Python 3.12; set "
                    "`target-version = \"py39\"`, or remove it so that Ruff uses "
                    "`requires-python`"));
    for (const std::string value : {"\"py3\"", "\"py3+\"", "\"py3x12\"", "\"py+312\"", "312",
                                    "\"py399999999999999999999\""}) {
        const std::string toml = project + "requires-python = \">=3.9\"\n[tool.ruff]\n" +
                                 "target-version = " + value + "\n";
        for (const std::string& line : checked(toml))
            EXPECT_THAT(line, ::testing::Not(::testing::HasSubstr("requires-python"))) << toml;
    }
}

TEST(RuffPass, ReleasesAndClosingNote) {
    // A lock that leaves no known release: the table is not checked at all.
    const lock::Lock lock = testing_support::uv_lock(testing_support::locking("ruff", {"99.0.0"}));
    const CheckResult unchecked =
        check_with_lock("[tool.ruff]\nlint = 5\nselect = [\"E5011\"]\n", &lock);
    EXPECT_THAT(testing_support::describe_all(unchecked.source, unchecked.diagnostics),
                ElementsAre("warning unknown-version `ruff`: tarnvik does not know Ruff 99.0.0, "
                            "so it did not check `[tool.ruff]` | help: tarnvik knows Ruff 0.1.0 "
                            "to 0.16.9; a newer tarnvik may know it | note: the version is "
                            "locked in uv.lock"));
    // Every finding of the pass gets the note, the moved settings included.
    const CheckResult result =
        check_with_lock("[tool.ruff]\nselect = [\"E5011\"]\n" + requiring("ruff==0.6.2"), nullptr);
    ASSERT_EQ(result.diagnostics.size(), 2u);
    for (const Diagnostic& diagnostic : result.diagnostics) {
        EXPECT_EQ(diagnostic.note,
                  "checked against Ruff 0.6.2, which the project's requirements allow");
    }
    EXPECT_THAT(checked("[tool]\nruff = 1\n"), IsEmpty());
}

// Made-up selectors by the many thousand cost little: each different one is searched for a
// suggestion at most once, and only the first few are searched at all.
TEST(RuffPass, HostileSelectorsAreCheckedQuickly) {
    const auto start = std::chrono::steady_clock::now();
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
    for (int i = 0; i < 20000; ++i)
        select += "\"Q" + std::to_string(i) + "Q\", ";
    const std::string huge(1'000'000, 'E');
    const CheckResult result =
        check_with_lock("[tool.ruff.lint]\nselect = [" + select + "\"" + huge + "\"]\n", nullptr);
    ASSERT_EQ(result.diagnostics.size(), near.size() + 1 + 20000 + 1);
    for (std::size_t i = 0; i < near.size(); ++i) {
        EXPECT_EQ(result.diagnostics[i].help.has_value(), i < SuggestionCache::SEARCHES) << near[i];
    }
    // A repeated selector keeps the suggestion it got.
    EXPECT_EQ(result.diagnostics[near.size()].help, result.diagnostics[0].help);
    EXPECT_FALSE(result.diagnostics.back().help);

    // Removing many rules of one long line.
    std::string ignore;
    for (int i = 0; i < 100000; ++i)
        ignore += "\"PLR1706\", ";
    const CheckResult removals =
        check_with_lock("[tool.ruff.lint]\nignore = [" + ignore + "]\n", nullptr);
    ASSERT_EQ(removals.diagnostics.size(), 100000u);
    ASSERT_TRUE(removals.diagnostics.back().fix);
    EXPECT_EQ(removals.diagnostics.back().fix->edits[0].range.size(),
              std::string_view("\"PLR1706\", ").size());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
}  // namespace tarnvik::rules::ruff
