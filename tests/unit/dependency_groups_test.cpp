#include "rules/dependency_groups.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "checked_findings.hpp"

namespace tarnvik::rules::dependency_groups {
namespace {

using ::testing::ElementsAreArray;
using testing_support::Case;
using testing_support::expect_findings;
using testing_support::expect_requirement_error_inside;
using testing_support::findings;
using testing_support::NAME_HELP;

// Only the findings about dependency groups, for documents that also hold a `[project]` table.
std::vector<std::string> group_findings(const std::string& toml) {
    std::vector<std::string> lines = findings(toml);
    std::erase_if(lines, [](const std::string& line) {
        return line.find("dependency group") == std::string::npos;
    });
    return lines;
}

std::string groups(const std::string& body) {
    return "[dependency-groups]\n" + body;
}

TEST(DependencyGroups, ChecksNamesAndTypes) {
    expect_findings({
        {"", {}},
        {"[tool.other]\ndependency-groups = 1\n", {}},
        {"dependency-groups = []\n",
         {"error invalid-type `[]`: `dependency-groups` must be a table, found an array"}},
        {groups("dev = [\"pytest\", \"ruff>=0.5\"]\ntest = []\n"), {}},
        {groups("Dev = [\"a\"]\ndev = [1]\n"),
         {"error duplicate-name `dev`: dependency group `dev` is the same as another group after "
          "normalization | label `Dev`: first defined here | help: group names are compared in "
          "normalized form, `dev`",
          "error invalid-type `1`: entries of `dependency-groups.dev` must be strings or tables, "
          "found an integer"}},
        {groups("\"Dev.Tools\" = []\ndev_tools = []\n"),
         {"error duplicate-name `dev_tools`: dependency group `dev_tools` is the same as another "
          "group after normalization | label `\"Dev.Tools\"`: first defined here | help: group "
          "names are compared in normalized form, `dev-tools`"}},
        // An invalid name stops the group: not even its bad entries are looked at.
        {groups("-dev = [1, { x = 1 }]\n"),
         {"error invalid-value `-dev`: invalid dependency group name `-dev`" + NAME_HELP}},
        {groups("\"\" = []\n"),
         {"error invalid-value `\"\"`: invalid dependency group name ``" + NAME_HELP}},
        {groups("dev = \"pytest\"\n"),
         {"error invalid-type `\"pytest\"`: `dependency-groups.dev` must be an array, found a "
          "string"}},
        {groups("dev = [1.5, true, 2001-01-01, [\"x\"]]\n"),
         {"error invalid-type `1.5`: entries of `dependency-groups.dev` must be strings or tables, "
          "found a float",
          "error invalid-type `true`: entries of `dependency-groups.dev` must be strings or "
          "tables, "
          "found a boolean",
          "error invalid-type `2001-01-01`: entries of `dependency-groups.dev` must be strings or "
          "tables, found a datetime",
          "error invalid-type `[\"x\"]`: entries of `dependency-groups.dev` must be strings or "
          "tables, found an array"}},
    });
}

TEST(DependencyGroups, ReportsABadRequirementInsideItsString) {
    expect_requirement_error_inside(groups("dev = [\"pytest>=\"]\n"), "\"pytest>=\"");
}

TEST(DependencyGroups, ChecksIncludeTables) {
    expect_findings({
        {groups("dev = [{ include-group = \"test\" }]\ntest = [\"pytest\"]\n"), {}},
        // Includes are compared in normal form.
        {groups("a = [{ include-group = \"B\" }]\nb = []\n"), {}},
        {groups("dev = [{ include = \"test\" }]\ntest = []\n"),
         {"error missing-key `{ include = \"test\" }`: dependency group tables must set "
          "`include-group` | help: use `{ include-group = \"other-group\" }`",
          "error unknown-key `include`: unknown key `include` in a dependency group include | "
          "help: did you mean `include-group`? | fix unsafe: `include` -> `include-group`"}},
        {groups("dev = [{ include-group = 1 }]\n"),
         {"error invalid-type `1`: `dependency-groups.dev.include-group` must be a string, found "
          "an integer"}},
        {groups("dev = [{ include-group = \"-x\" }]\n"),
         {"error invalid-value `\"-x\"`: invalid dependency group name `-x`"}},
        {groups("a = [{ include-group = \"tset\" }]\ntest = []\n"),
         {"error invalid-value `\"tset\"`: included dependency group `tset` does not exist | "
          "help: did you mean `test`?"}},
        {groups("a = [{ include-group = \"Missing_Group\" }]\n"),
         {"error invalid-value `\"Missing_Group\"`: included dependency group `Missing_Group` does "
          "not exist"}},
    });
}

TEST(DependencyGroups, ReportsEachIncludeCycleOnce) {
    expect_findings({
        {groups("a = [{ include-group = \"b\" }]\nb = [{ include-group = \"a\" }]\n"),
         {"error invalid-value `\"a\"`: dependency groups include each other in a cycle: `a` -> "
          "`b` -> `a`"}},
        {groups("a = [{ include-group = \"a\" }]\n"),
         {"error invalid-value `\"a\"`: dependency groups include each other in a cycle: `a` -> "
          "`a`"}},
        // Cycle texts use normal forms; the search starts at `x-y`, the first name in sorted
        // order, so the include inside `Zed` closes the cycle.
        {groups("Zed = [{ include-group = \"x_y\" }]\n\"X.Y\" = [{ include-group = \"ZED\" }]\n"),
         {"error invalid-value `\"x_y\"`: dependency groups include each other in a cycle: `x-y` "
          "-> `zed` -> `x-y`"}},
        // Two groups leading into one cycle: it is reported once.
        {groups("a = [{ include-group = \"c\" }]\nb = [{ include-group = \"c\" }]\n"
                "c = [{ include-group = \"d\" }]\nd = [{ include-group = \"c\" }]\n"),
         {"error invalid-value `\"c\"`: dependency groups include each other in a cycle: `c` -> "
          "`d` -> `c`"}},
        // Two cycles over different sets through one group are both reported.
        {groups("a = [{ include-group = \"b\" }, { include-group = \"c\" }]\n"
                "b = [{ include-group = \"a\" }]\nc = [{ include-group = \"a\" }]\n"),
         {"error invalid-value `\"a\"`: dependency groups include each other in a cycle: `a` -> "
          "`b` -> `a`",
          "error invalid-value `\"a\"`: dependency groups include each other in a cycle: `a` -> "
          "`c` -> `a`"}},
        // A missing group is reported as such and searched without a further error.
        {groups("a = [{ include-group = \"gone\" }]\n"),
         {"error invalid-value `\"gone\"`: included dependency group `gone` does not exist"}},
    });
}

TEST(DependencyGroups, SurvivesALongChainOfIncludes) {
    std::string body;
    const int length = 50000;
    for (int i = 0; i < length; ++i) {
        body += "g" + std::to_string(i) + " = [{ include-group = \"g" +
                std::to_string((i + 1) % length) + "\" }]\n";
    }
    std::vector<std::string> found = findings(groups(body));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_THAT(found[0], testing::HasSubstr("in a cycle: `g0` -> `g1` -> "));
}

TEST(DependencyGroups, BoundsTheSearchForManyLongCycles) {
    // Every group closes a new, longer cycle back to `g0`: reporting them all would give
    // messages whose total length grows with the square of the number of groups.
    std::string body;
    const std::size_t count = 5000;
    for (std::size_t i = 0; i < count; ++i) {
        body += "g" + std::to_string(i) + " = [{ include-group = \"g0\" }, { include-group = \"g" +
                std::to_string(i + 1) + "\" }]\n";
    }
    std::vector<std::string> found = findings(groups(body));
    std::size_t cycles = std::count_if(found.begin(), found.end(), [](const std::string& line) {
        return line.find("in a cycle") != std::string::npos;
    });
    EXPECT_GT(cycles, 1000u);
    EXPECT_LT(cycles, count);
}

TEST(DependencyGroups, BoundsTheSuggestionSearchForManyMissingGroups) {
    // Each missing include is compared with every group name; past a budget the rest of them
    // are still reported, without a suggestion.
    std::string body;
    const std::size_t count = 3000;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = "group-" + std::to_string(i);
        body += name + " = [{ include-group = \"" + name + "x\" }]\n";
    }
    std::vector<std::string> found = findings(groups(body));
    ASSERT_EQ(found.size(), count);
    EXPECT_THAT(found[0], testing::EndsWith("help: did you mean `group-0`?"));
    EXPECT_THAT(found.back(), testing::EndsWith("does not exist"));

    // A suggestion too costly to search for is left out without costing the cheap ones theirs.
    const std::string huge(4'000'000, 't');
    found = findings(groups("a = [{ include-group = \"" + huge +
                            "\" }, { include-group = \"tset\" }]\ntest = []\nb = []\n"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_THAT(found[0], testing::EndsWith("does not exist"));
    EXPECT_THAT(found[1], testing::EndsWith("help: did you mean `test`?"));
}

TEST(DependencyGroups, ComparesGroupsWithExtras) {
    const std::string clash =
        "error duplicate-name `docs`: dependency group `docs` has the same name as an extra | "
        "label `Docs`: extra defined here | help: tools may treat this as an error; give the group "
        "a different name";
    const Case cases[] = {
        {"[project.optional-dependencies]\nDocs = []\n[dependency-groups]\ndocs = []\n", {clash}},
        {"[dependency-groups]\ndocs = []\n[project.optional-dependencies]\nDocs = []\n", {clash}},
        {"[project.optional-dependencies]\ntest = []\n[dependency-groups]\ndocs = []\n", {}},
        // When no group name is valid there is nothing to compare.
        {"[project.optional-dependencies]\n\"-x\" = []\n[dependency-groups]\n\"-x\" = []\n",
         {"error invalid-value `\"-x\"`: invalid dependency group name `-x`" + NAME_HELP}},
    };
    for (const Case& c : cases) {
        EXPECT_THAT(group_findings(c.toml), ElementsAreArray(c.expected)) << c.toml;
    }
}

}  // namespace
}  // namespace tarnvik::rules::dependency_groups
