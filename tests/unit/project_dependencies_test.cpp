#include <gtest/gtest.h>

#include "checked_findings.hpp"

namespace tarnvik {
namespace {

using testing_support::expect_findings;
using testing_support::NAME_HELP;

const std::string BASE = "[project]\nname = \"x\"\nversion = \"1\"\n";
const std::string EXTRAS = BASE + "[project.optional-dependencies]\n";
TEST(ProjectDependencies, ListTypes) {
    expect_findings({
        {BASE + "dependencies = [\"requests>=2.0\", \"attrs; python_version >= '3.9'\"]\n", {}},
        {BASE + "dependencies = []\noptional-dependencies = {}\n", {}},
        {BASE + "dependencies = \"requests\"\n",
         {"error invalid-type `\"requests\"`: `project.dependencies` must be an array of strings, "
          "found a string"}},
        {BASE + "dependencies = [\"requests\", { name = \"attrs\" }]\n",
         {"error invalid-type `{ name = \"attrs\" }`: entries of `project.dependencies` must be "
          "strings, found a table"}},
        {BASE + "optional-dependencies = []\n",
         {"error invalid-type `[]`: `project.optional-dependencies` must be a table, found an "
          "array"}},
        {EXTRAS + "test = \"pytest\"\n",
         {"error invalid-type `\"pytest\"`: `project.optional-dependencies.test` must be an array "
          "of strings, found a string"}},
    });
}

TEST(ProjectDependencies, RequirementsAreNarrowedToTheFailingPart) {
    expect_findings({
        {BASE + "dependencies = [\"requests>=2.0\", \"not a requirement!\"]\n",
         {"error invalid-value `a`: invalid requirement: expected one of `@`, `(`, `<`, `=`, `>`, "
          "`~`, `!`, `;`, found `a`"}},
        {BASE + "dependencies = [\"pyyaml=6.0\"]\n",
         {"error invalid-value `=6.0`: invalid requirement: unknown operator `=`, expected `~=`, "
          "`==`, `!=`, `<=`, `>=`, `<`, `>` or `===`"}},
        // An error at the very end stays inside the literal.
        {BASE + "dependencies = [\"y ; python_version > \"]\n",
         {"error invalid-value `^\"]`: invalid requirement: expected a quoted string or a marker "
          "variable, found end of input"}},
        // Escapes and multi-line literals cannot be mapped exactly, so the whole literal is marked.
        {BASE + "dependencies = [\"pyyaml\\u003d6.0\", \"\"\"a[b\"\"\"]\n",
         {"error invalid-value `\"pyyaml\\u003d6.0\"`: invalid requirement: unknown operator `=`, "
          "expected `~=`, `==`, `!=`, `<=`, `>=`, `<`, `>` or `===`",
          "error invalid-value `\"\"\"a[b\"\"\"`: invalid requirement: missing closing `]`"}},
        {EXTRAS + "docs = [\"x @ foo\"]\n",
         {"error invalid-value `foo`: invalid requirement: relative URL without a base"}},
    });
}

TEST(ProjectDependencies, ExtraNames) {
    const std::string dev_duplicate =
        "error duplicate-name `%s`: extra `%s` is the same as another extra after normalization | "
        "label `Dev`: first defined here | help: extra names are compared in normalized form, "
        "`dev`";
    auto duplicate = [&](const std::string& key) {
        std::string line = dev_duplicate;
        line.replace(line.find("%s"), 2, key);
        return line.replace(line.find("%s"), 2, key);
    };
    expect_findings({
        {EXTRAS + "dev = []\ntest = []\n", {}},
        {EXTRAS + "Dev = []\ndev = []\n", {duplicate("dev")}},
        {EXTRAS + "Dev = []\ndev = []\nDEV = []\n", {duplicate("dev"), duplicate("DEV")}},
        {EXTRAS + "dev_tools = []\ndev-tools = []\n",
         {"error duplicate-name `dev-tools`: extra `dev-tools` is the same as another extra after "
          "normalization | label `dev_tools`: first defined here | help: extra names are compared "
          "in normalized form, `dev-tools`"}},
        // An invalid name is not remembered, so it cannot be the first of a pair.
        {EXTRAS + "-dev = []\ndev = []\n",
         {"error invalid-value `-dev`: invalid extra name `-dev`" + NAME_HELP}},
        {EXTRAS + "\"dev tools\" = []\n",
         {"error invalid-value `\"dev tools\"`: invalid extra name `dev tools`" + NAME_HELP}},
        // The requirements of a bad or duplicate extra are still checked, under its own key.
        {EXTRAS + "-dev = \"pytest\"\n",
         {"error invalid-value `-dev`: invalid extra name `-dev`" + NAME_HELP,
          "error invalid-type `\"pytest\"`: `project.optional-dependencies.-dev` must be an array "
          "of strings, found a string"}},
        {EXTRAS + "Dev = []\ndev = 1\n",
         {duplicate("dev"),
          "error invalid-type `1`: `project.optional-dependencies.dev` must be an array of "
          "strings, found an integer"}},
    });
}

}  // namespace
}  // namespace tarnvik
