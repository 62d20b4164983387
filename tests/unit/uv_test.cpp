#include "rules/uv.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "checked_findings.hpp"
#include "knowledge/uv.hpp"
#include "rules/uv/settings.hpp"

namespace tarnvik::rules::uv {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const std::string LATEST_NOTE =
    " | note: checked against uv 0.12.18, the latest release tarnvik knows; set "
    "`required-version` to check the version you use";
const std::string PROJECT =
    "[project]\nname = \"x\"\nversion = \"1\"\ndependencies = [\"foo-bar\", \"git-pkg\"]\n";
const std::string DEV_NOTE =
    "warning deprecated-setting `dev-dependencies`: `tool.uv.dev-dependencies` is deprecated "
    "since uv 0.8.18 | help: use `dependency-groups.dev` instead";

// The findings of a check, without the closing note of the latest uv release.
std::vector<std::string> uv_findings(const std::string& toml) {
    std::vector<std::string> lines = testing_support::findings(toml);
    for (std::string& line : lines) {
        if (const std::size_t at = line.find(LATEST_NOTE); at != std::string::npos) {
            line.erase(at, LATEST_NOTE.size());
        }
    }
    return lines;
}

struct Case {
    std::string toml;
    std::vector<::testing::Matcher<std::string>> expected;
};

void expect_uv(const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_THAT(uv_findings(c.toml), ElementsAreArray(c.expected)) << c.toml;
}

// `written` is the key as the source writes it.
std::string not_a_dependency(std::string_view key, std::string_view written = "") {
    return "warning ineffective-setting `" + std::string(written.empty() ? key : written) + "`: `" +
           std::string(key) +
           "` is not a dependency of the project, so uv ignores its source | help: add it to the "
           "project's dependencies, or remove the source";
}

TEST(UvPass, RunsOnATableOfUvSettingsAlone) {
    expect_uv({
        {"[tool]\n", {}},
        {"[tool]\nuv = 1\n", {}},
        {"[tool.other]\nsources = { a = {} }\n", {}},
        // No allowed release: the report alone, neither the settings nor `build-backend`.
        {PROJECT + "[tool.uv]\nrequired-version = \"==9.9\"\nsources = { a = { marker = \"m\" } }\n"
                   "[tool.uv.build-backend]\nx = 1\n",
         {"warning unknown-version `uv`: tarnvik knows no uv version the project allows, so it "
          "did not check `[tool.uv]` | label `\"==9.9\"`: the versions the project allows | help: "
          "tarnvik knows uv 0.1.34 to 0.12.18"}},
    });
    // Every finding of the settings carries the closing note.
    EXPECT_THAT(
        testing_support::findings("[tool.uv]\nrequired-version = \">=0.10\"\n"
                                  "default-groups = [\"docs\"]\n"),
        ElementsAre(::testing::EndsWith(" | note: checked against uv 0.10.0 to 0.12.18, which "
                                        "`tool.uv.required-version` allows")));
}

TEST(UvSources, OnlyForDependencies) {
    const std::string sources =
        "[tool.uv.sources]\nFoo_Bar = { path = \"a\" }\n"
        "other = { path = \"b\" }\n\"-x\" = { path = \"c\" }\n";
    expect_uv({
        {PROJECT + sources, {not_a_dependency("other"), not_a_dependency("-x", "\"-x\"")}},
        // A package of the deprecated development dependencies is a dependency too.
        {PROJECT + "[tool.uv]\ndev-dependencies = [\"other\", \"-x\"]\n" + sources,
         {DEV_NOTE, not_a_dependency("-x", "\"-x\"")}},
        {PROJECT + "[tool.uv]\nworkspace = {}\n" + sources, {}},
        {PROJECT + "dynamic = [\"optional-dependencies\"]\n" + sources, {}},
        // Without `[project]` the dependencies are not known.
        {sources, {}},
        // An empty list of sources is nothing but its package.
        {PROJECT + "[tool.uv.sources]\nother = []\n", {not_a_dependency("other")}},
    });
}

TEST(UvSources, Shapes) {
    const std::string base = PROJECT + "[tool.uv.sources]\n";
    const std::string git = "git-pkg = { git = \"https://g\", ";
    expect_uv({
        {base + git + "rev = \"a\", tag = \"b\" }\n",
         {"error invalid-value `{ git = \"https://g\", rev = \"a\", tag = \"b\" }`: the Git source "
          "for `git-pkg` sets `rev` and `tag` | help: set only one of `rev`, `tag`, and "
          "`branch`"}},
        {base + git + "branch = \"c\", tag = \"b\", rev = \"a\" }\n",
         {::testing::HasSubstr("sets `rev`, `tag`, and `branch` |")}},
        {base + git + "url = \"https://u\" }\n",
         {"error invalid-value `{ git = \"https://g\", url = \"https://u\" }`: the source for "
          "`git-pkg` combines `git` and `url` | help: a source is one of a Git repository, a URL, "
          "a path, an index, or a workspace member"}},
        // The git kind allows `path`.
        {base + git + "path = \"sub\" }\n", {}},
        {base + "foo-bar = { path = \"a\", rev = \"1\", edtable = true }\n",
         {"error unknown-key `rev`: unknown key `rev` in the source for `foo-bar` | help: a "
          "`path` source allows `editable`, `extra`, `group`, `marker`, `package`, `path`",
          "error unknown-key `edtable`: unknown key `edtable` in the source for `foo-bar` | help: "
          "did you mean `editable`?"}},
        {base + "foo-bar = [{ marker = \"m\" }, 3]\n",
         {"error invalid-value `{ marker = \"m\" }`: the source for `foo-bar` does not say where "
          "the package comes from | help: set one of `git`, `url`, `path`, `index`, "
          "`workspace`"}},
    });
}

TEST(UvSources, References) {
    const std::string project = PROJECT +
                                "[project.optional-dependencies]\ncli = []\n"
                                "[dependency-groups]\ntest = []\n";
    expect_uv({
        {project +
             "[tool.uv.sources]\nfoo-bar = { index = \"torch\", extra = \"CLI\", group = \"tst\" "
             "}\n",
         {"error invalid-value `\"torch\"`: undefined index `torch` | help: uv fails when a source "
          "names an index that `[[tool.uv.index]]` does not declare",
          "error invalid-value `\"tst\"`: undefined dependency group `tst` | help: did you mean "
          "`test`? uv fails when a source is for a group that does not exist | fix unsafe: "
          "`\"tst\"` -> `\"test\"`"}},
        {project + "[tool.uv]\nsources = { foo-bar = { index = \"Torch\", extra = \"docs\" } }\n"
                   "index = [{ name = \"torch\", url = \"https://t\" }, { url = \"https://u\" }]\n",
         {"error invalid-value `\"Torch\"`: undefined index `Torch` | help: did you mean `torch`? "
          "uv fails when a source names an index that `[[tool.uv.index]]` does not declare | fix "
          "unsafe: `\"Torch\"` -> `\"torch\"`",
          "error invalid-value `\"docs\"`: undefined extra `docs` | help: uv fails when a source is "
          "for an extra that does not exist"}},
        // Without `[project]` the extras are not known; the groups are.
        {"[tool.uv.sources]\nfoo-bar = { index = \"i\", extra = \"cl\", group = \"-bad\" }\n"
         "[[tool.uv.index]]\nname = \"i\"\nurl = \"https://i\"\n",
         {"error invalid-value `\"-bad\"`: undefined dependency group `-bad` | help: uv fails when "
          "a source is for a group that does not exist"}},
    });
}

TEST(UvGroups, DefaultGroupsAndGroupSettings) {
    const std::string groups = "[dependency-groups]\ntest = []\nlint = []\n[tool.uv]\n";
    expect_uv({
        {groups + "default-groups = [\"tset\", \"Lint\"]\n",
         {"error invalid-value `\"tset\"`: undefined dependency group `tset` | help: did you mean "
          "`test`? `uv sync` fails when a default group does not exist | fix unsafe: `\"tset\"` "
          "-> `\"test\"`"}},
        {groups + "default-groups = \"tset\"\n",
         {::testing::HasSubstr("invalid value for `tool.uv.default-groups`")}},
        // `dev-dependencies` makes a group `dev`.
        {groups + "dev-dependencies = []\ndefault-groups = [\"dev\"]\n", {DEV_NOTE}},
        {groups + "dependency-groups = { tset = {}, test = {}, lnt = {} }\n",
         {"error invalid-value `tset`: undefined dependency group `tset` | help: did you mean "
          "`test`? uv fails when a group it has settings for does not exist",
          "error invalid-value `lnt`: undefined dependency group `lnt` | help: did you mean "
          "`lint`? uv fails when a group it has settings for does not exist | fix unsafe: `lnt` "
          "-> `lint`"}},
        // A setting the newest allowed release lacks is the walk's to report, not looked into.
        {groups + "required-version = \">=0.6,<0.7.14\"\ndependency-groups = { tset = {} }\n",
         {::testing::StartsWith("warning unsupported-feature `dependency-groups`: no uv version "
                                "the project allows supports `tool.uv.dependency-groups`")}},
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
    std::vector<std::string> found = uv_findings(groups + defaults + "]\n");
    ASSERT_EQ(found.size(), count);
    EXPECT_THAT(found[0], ::testing::HasSubstr("help: did you mean `group-0`?"));
    EXPECT_THAT(found.back(),
                ::testing::EndsWith("help: `uv sync` fails when a default group does not exist"));

    // A suggestion too costly to search for is left out without costing the cheap ones theirs.
    const std::string huge(4'000'000, 't');
    found = uv_findings("[dependency-groups]\ntest = []\nb = []\n[tool.uv]\ndefault-groups = [\"" +
                        huge + "\", \"tset\"]\n");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_THAT(found[0],
                ::testing::EndsWith("help: `uv sync` fails when a default group does not exist"));
    EXPECT_THAT(found[1], ::testing::HasSubstr("help: did you mean `test`?"));
}

TEST(UvConflicts, SetsAndTheirItems) {
    const std::string project = PROJECT +
                                "[project.optional-dependencies]\ncli = []\n"
                                "[dependency-groups]\ntest = []\n[tool.uv]\n";
    expect_uv({
        {project + "conflicts = [[{ extra = \"clii\" }], [], [{ group = \"test\" }, { package "
                   "= \"p\", extra = \"no\" }, { group = \"tests\" }]]\n",
         {"error invalid-value `[{ extra = \"clii\" }]`: a set of conflicts needs at least two "
          "items | help: list the extras or groups that conflict with each other",
          "warning invalid-value `\"clii\"`: undefined extra `clii` | help: did you mean `cli`? uv "
          "ignores it | fix unsafe: `\"clii\"` -> `\"cli\"`",
          "error invalid-value `[]`: a set of conflicts needs at least two items | help: list the "
          "extras or groups that conflict with each other",
          "warning invalid-value `\"tests\"`: undefined dependency group `tests` | help: did you "
          "mean `test`? uv ignores it | fix unsafe: `\"tests\"` -> `\"test\"`"}},
    });
}

TEST(UvIndexes, NamesAndDefaults) {
    const std::string index = "[[tool.uv.index]]\nurl = \"https://e.org\"\n";
    const std::string torch = index + "name = \"torch\"\n";
    const std::string duplicate =
        "duplicate-name `\"torch\"`: duplicate index name `torch` | label `\"torch\"`: first "
        "used here | help: uv rejects it from 0.6.4";
    expect_uv({
        {index + "name = \"my index\"\n" + index + "name = \"my index\"\n",
         {"error invalid-value `\"my index\"`: invalid index name `my index` | help: use ASCII "
          "letters, digits, `-`, `_`, and `.`",
          "error invalid-value `\"my index\"`: invalid index name `my index` | help: use ASCII "
          "letters, digits, `-`, `_`, and `.`"}},
        {torch + torch, {"error " + duplicate}},
        {"[tool.uv]\nrequired-version = \">=0.6\"\n" + torch + torch,
         {::testing::StartsWith("warning " + duplicate + " | note: ")}},
        {index + "default = true\n" + index + "default = false\n" + index + "default = true\n" +
             index + "default = true\n",
         {"error invalid-value `true`: more than one index is the default | label `true`: the "
          "first default | help: uv rejects it from 0.10.0",
          "error invalid-value `true`: more than one index is the default | label `true`: the "
          "first default | help: uv rejects it from 0.10.0"}},
    });
}

TEST(UvHelpers, EnglishListContainsNormalizedRejectedFrom) {
    using Names = std::vector<std::string_view>;
    EXPECT_EQ(english_list(Names{}), "");
    EXPECT_EQ(english_list(Names{"git"}), "`git`");
    EXPECT_EQ(english_list(Names{"git", "url"}), "`git` and `url`");
    EXPECT_EQ(english_list(Names{"a", "b", "c", "d"}), "`a`, `b`, `c`, and `d`");

    const std::vector<std::string> set = {"foo-bar", "test"};
    EXPECT_TRUE(contains_normalized(set, "Foo__Bar"));
    EXPECT_TRUE(contains_normalized(set, "foo.bar"));
    EXPECT_FALSE(contains_normalized(set, "foo-bar-"));
    EXPECT_FALSE(contains_normalized(set, ""));

    const auto severity_with = [](std::vector<tool::Release> releases, std::string_view from) {
        const tool::Candidates candidates =
            tool::Candidates::create(::tarnvik::uv::UV, std::move(releases), {}, tool::Latest{});
        return rejected_from(candidates, from, Diagnostic::error("m", {}, Code::InvalidValue))
            .severity;
    };
    const tool::Release newest = ::tarnvik::uv::UV.newest();
    EXPECT_EQ(severity_with({newest}, "0.10.0"), Severity::Error);
    EXPECT_EQ(severity_with({0, newest}, "0.10.0"), Severity::Warning);
    // A release the list does not hold rejects nothing for certain.
    EXPECT_EQ(severity_with({newest}, "9.9.9"), Severity::Warning);
}

}  // namespace
}  // namespace tarnvik::rules::uv
