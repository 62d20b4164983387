#include "rules/uv.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checked_findings.hpp"

// The end-to-end cases `uv_*` hold the whole wording of these findings; here each case names the
// part of a finding that shows what it is about.
namespace tarnvik::rules::uv {
namespace {

using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing_support::expect_findings;
using testing_support::findings;

const std::string PROJECT =
    "[project]\nname = \"x\"\nversion = \"1\"\ndependencies = [\"foo-bar\", \"git-pkg\"]\n";
const std::string DEPRECATED_DEV = "warning deprecated-setting `dev-dependencies`";
const std::string UNDEFINED = "error invalid-value ";

std::string not_a_dependency(const std::string& key) {
    return "warning ineffective-setting `" + key + "`: ";
}

TEST(UvPass, RunsOnATableOfUvSettingsAlone) {
    expect_findings({
        {"[tool]\n", {}},
        {"[tool]\nuv = 1\n", {}},
        // No allowed release: the report alone, neither the settings nor `build-backend`.
        {PROJECT + "[tool.uv]\nrequired-version = \"==9.9\"\nsources = { a = { marker = \"m\" } }\n"
                   "[tool.uv.build-backend]\nx = 1\n",
         {"warning unknown-version `uv`: tarnvik knows no uv version the project allows, so it "
          "did not check `[tool.uv]` | label `\"==9.9\"`: the versions the project allows | help: "
          "tarnvik knows uv 0.1.34 to 0.12.18"}},
        // Every finding of the settings carries the closing note.
        {"[tool.uv]\nrequired-version = \">=0.10\"\ndefault-groups = [\"docs\"]\n",
         {EndsWith(" | note: checked against uv 0.10.0 to 0.12.18, which "
                   "`tool.uv.required-version` allows")}},
    });
}

TEST(UvSources, OnlyForDependencies) {
    const std::string sources =
        "[tool.uv.sources]\nFoo_Bar = { path = \"a\" }\n"
        "other = { path = \"b\" }\n\"-x\" = { path = \"c\" }\n";
    expect_findings({
        {PROJECT + sources,
         {StartsWith(not_a_dependency("other") +
                     "`other` is not a dependency of the project, so uv ignores its source | "
                     "help: add it to the project's dependencies, or remove the source"),
          StartsWith(not_a_dependency("\"-x\""))}},
        // A package of the deprecated development dependencies is a dependency too.
        {PROJECT + "[tool.uv]\ndev-dependencies = [\"other\", \"-x\"]\n" + sources,
         {StartsWith(DEPRECATED_DEV), StartsWith(not_a_dependency("\"-x\""))}},
        {PROJECT + "[tool.uv]\nworkspace = {}\n" + sources, {}},
        {PROJECT + "dynamic = [\"optional-dependencies\"]\n" + sources, {}},
        // Without `[project]` the dependencies are not known.
        {sources, {}},
        // An empty list of sources is nothing but its package.
        {PROJECT + "[tool.uv.sources]\nother = []\n", {StartsWith(not_a_dependency("other"))}},
    });
}

TEST(UvSources, Shapes) {
    const std::string base = PROJECT + "[tool.uv.sources]\n";
    const std::string git = "git-pkg = { git = \"https://g\", ";
    expect_findings({
        {base + git + "rev = \"a\", tag = \"b\" }\n" +
             "foo-bar = { git = \"g\", branch = \"c\", tag = \"b\", rev = \"a\" }\n",
         {HasSubstr("the Git source for `git-pkg` sets `rev` and `tag` |"),
          HasSubstr("the Git source for `foo-bar` sets `rev`, `tag`, and `branch` |")}},
        {base + git + "url = \"https://u\" }\n",
         {HasSubstr("the source for `git-pkg` combines `git` and `url` |")}},
        // The git kind allows `path`.
        {base + git + "path = \"sub\" }\n", {}},
        {base + "foo-bar = { path = \"a\", rev = \"1\", edtable = true }\n",
         {StartsWith("error unknown-key `rev`: unknown key `rev` in the source for `foo-bar` | "
                     "help: a `path` source allows `editable`, `extra`, `group`, `marker`, "
                     "`package`, `path` | note: "),
          HasSubstr("unknown key `edtable` in the source for `foo-bar` | help: did you mean "
                    "`editable`? | note: ")}},
        {base + "foo-bar = [{ marker = \"m\" }, 3]\n",
         {StartsWith("error invalid-value `{ marker = \"m\" }`: the source for `foo-bar` does not "
                     "say where the package comes from | help: set one of `git`, `url`, `path`, "
                     "`index`, `workspace` | note: ")}},
    });
}

TEST(UvSources, References) {
    const std::string project = PROJECT +
                                "[project.optional-dependencies]\ncli = []\n"
                                "[dependency-groups]\ntest = []\n";
    expect_findings({
        {project + "[tool.uv.sources]\nfoo-bar = { index = \"torch\", extra = \"CLI\", group = "
                   "\"tst\" }\n",
         {StartsWith(UNDEFINED + "`\"torch\"`: undefined index `torch` | help: uv fails"),
          AllOf(HasSubstr(
                    "undefined dependency group `tst` | help: did you mean `test`? uv fails when "
                    "a source is for a group that does not exist"),
                EndsWith("fix unsafe: `\"tst\"` -> `\"test\"`"))}},
        {project + "[tool.uv]\nsources = { foo-bar = { index = \"Torch\", extra = \"docs\" } }\n"
                   "index = [{ name = \"torch\", url = \"https://t\" }, { url = \"https://u\" }]\n",
         {AllOf(HasSubstr("did you mean `torch`? uv fails when a source names an index that "
                          "`[[tool.uv.index]]` does not declare"),
                EndsWith("fix unsafe: `\"Torch\"` -> `\"torch\"`")),
          StartsWith(UNDEFINED + "`\"docs\"`: undefined extra `docs` | help: uv fails")}},
        // Without `[project]` the extras are not known; the groups are.
        {"[tool.uv.sources]\nfoo-bar = { index = \"i\", extra = \"cl\", group = \"-bad\" }\n"
         "[[tool.uv.index]]\nname = \"i\"\nurl = \"https://i\"\n",
         {StartsWith(UNDEFINED + "`\"-bad\"`: undefined dependency group `-bad` | help: uv")}},
    });
}

TEST(UvGroups, DefaultGroupsAndGroupSettings) {
    const std::string groups = "[dependency-groups]\ntest = []\nlint = []\n[tool.uv]\n";
    expect_findings({
        {groups + "default-groups = [\"tset\", \"Lint\"]\n",
         {HasSubstr("undefined dependency group `tset` | help: did you mean `test`? `uv sync` "
                    "fails when a default group does not exist | note: ")}},
        // `dev-dependencies` makes a group `dev`.
        {groups + "dev-dependencies = []\ndefault-groups = [\"dev\"]\n",
         {StartsWith(DEPRECATED_DEV)}},
        // No rename onto a group that has settings already.
        {groups + "dependency-groups = { tset = {}, test = {}, lnt = {} }\n",
         {AllOf(HasSubstr("undefined dependency group `tset` | help: did you mean `test`? uv "
                          "fails when a group it has settings for does not exist"),
                ::testing::Not(HasSubstr("fix"))),
          EndsWith("fix unsafe: `lnt` -> `lint`")}},
        // Nor onto one whose settings are spelt another way: group names compare normalized.
        {groups + "dependency-groups = { Test = {}, tset = {} }\n",
         {AllOf(HasSubstr("undefined dependency group `tset` | help: did you mean `test`?"),
                ::testing::Not(HasSubstr("fix")))}},
        // A setting the newest allowed release lacks is the walk's to report, not looked into.
        {groups + "required-version = \">=0.6,<0.7.14\"\ndependency-groups = { tset = {} }\n",
         {StartsWith("warning unsupported-feature `dependency-groups`: no uv version")}},
    });
}

TEST(UvGroups, BoundsTheSuggestionSearchForManyUndefinedGroups) {
    // Each undefined group is compared with every group name; past a budget the rest of them are
    // still reported, without a suggestion.
    std::string groups = "[dependency-groups]\n";
    std::string defaults = "[tool.uv]\ndefault-groups = [";
    const std::size_t count = 3000;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string name = "group-" + std::to_string(i);
        groups += name + " = []\n";
        defaults += "\"" + name + "x\", ";
    }
    std::vector<std::string> found = findings(groups + defaults + "]\n");
    ASSERT_EQ(found.size(), count);
    EXPECT_THAT(found[0], HasSubstr("help: did you mean `group-0`?"));
    EXPECT_THAT(found.back(), HasSubstr("help: `uv sync` fails"));
}

TEST(UvConflicts, SetsAndTheirItems) {
    const std::string too_few = "error invalid-value `";
    const std::string why =
        "`: a set of conflicts needs at least two items | help: list the "
        "extras or groups that conflict with each other | note: ";
    expect_findings({
        {PROJECT + "[project.optional-dependencies]\ncli = []\n[dependency-groups]\ntest = []\n"
                   "[tool.uv]\nconflicts = [[{ extra = \"clii\" }], [], [{ group = \"test\" }, "
                   "{ package = \"p\", extra = \"no\" }, { group = \"tests\" }]]\n",
         {StartsWith(too_few + "[{ extra = \"clii\" }]" + why),
          StartsWith("warning invalid-value `\"clii\"`: undefined extra `clii` | help: did you "
                     "mean `cli`? uv ignores it | note: "),
          StartsWith(too_few + "[]" + why),
          StartsWith("warning invalid-value `\"tests\"`: undefined dependency group `tests`")}},
    });
}

TEST(UvIndexes, NamesAndDefaults) {
    const std::string index = "[[tool.uv.index]]\nurl = \"https://e.org\"\n";
    const std::string torch = index + "name = \"torch\"\n";
    const auto invalid = HasSubstr("invalid index name `my index`");
    const auto another_default = HasSubstr(
        "more than one index is the default | label `true`: "
        "the first default | help: uv rejects it from 0.10.0");
    const std::string duplicate =
        "duplicate-name `\"torch\"`: duplicate index name `torch` | label `\"torch\"`: first "
        "used here | help: uv rejects it from 0.6.4 | note: ";
    expect_findings({
        {index + "name = \"my index\"\n" + index + "name = \"my index\"\n", {invalid, invalid}},
        {torch + torch, {StartsWith("error " + duplicate)}},
        // Releases before 0.6.4 took it.
        {"[tool.uv]\nrequired-version = \">=0.6\"\n" + torch + torch,
         {StartsWith("warning " + duplicate)}},
        {index + "default = true\n" + index + "default = false\n" + index + "default = true\n" +
             index + "default = true\n",
         {another_default, another_default}},
    });
}

}  // namespace
}  // namespace tarnvik::rules::uv
