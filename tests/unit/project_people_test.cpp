#include <gtest/gtest.h>

#include "checked_findings.hpp"

namespace tarnvik::rules::project {
namespace {

using testing_support::expect_project_findings;
using testing_support::project_findings;

TEST(ProjectPeople, ChecksAuthorsAndMaintainers) {
    expect_project_findings(
        check_people,
        {
            {"[project]\nauthors = [{ name = \"A\", email = \"a.b+c@d\" }, { email = \"x@y\" }]\n",
             {}},
            {"[project]\nauthors = [{ name = \"A, B\" }]\n",
             {"warning invalid-value `\"A, B\"`: `project.authors` names should not contain commas "
              "| help: core metadata separates people with commas, so this reads as several names; "
              "list each person or organization as a separate entry"}},
            {"[project]\nauthors = [{}]\n",
             {"error missing-key `{}`: entries of `project.authors` must set `name` or `email`"}},
            {"[project]\nmaintainers = [\"A\", 1]\n",
             {"error invalid-type `\"A\"`: entries of `project.maintainers` must be tables, found "
              "a string | help: use `{ name = \"...\", email = \"...\" }`",
              "error invalid-type `1`: entries of `project.maintainers` must be tables, found an "
              "integer | help: use `{ name = \"...\", email = \"...\" }`"}},
            {"[project]\nauthors = { name = \"A\" }\n",
             {"error invalid-type `{ name = \"A\" }`: `project.authors` must be an array of "
              "tables, found a table"}},
            {"[project]\nauthors = [{ nam = \"A\", name = 1, email = 2 }]\n",
             {"error unknown-key `nam`: unknown key `nam` in a `project.authors` entry | help: did "
              "you mean `name`?",
              "error invalid-type `1`: `project.authors.name` must be a string, found an integer",
              "error invalid-type `2`: `project.authors.email` must be a string, found an "
              "integer"}},
        });
}

TEST(ProjectPeople, JudgesEmailAddresses) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"a.b+c@d", true}, {"@d", false},    {"a@", false},      {"a@b@c", false},
        {"a @b", false},   {"<a@b>", false}, {"a@b,c@d", false}, {"a@b\\u00a0", false},
        {"ü@ä.de", true},  {"", false},      {"a", false},
    };
    for (const auto& [email, valid] : cases) {
        auto findings = project_findings(check_people,
                                         "[project]\nauthors = [{ email = \"" + email + "\" }]\n");
        EXPECT_EQ(findings.empty(), valid) << email;
        if (!valid && !findings.empty()) {
            EXPECT_NE(findings[0].find("invalid email address"), std::string::npos) << email;
        }
    }
}

TEST(ProjectUrls, ChecksLabelsAndAddresses) {
    const std::string label32(32, 'x');
    const std::string label33 = std::string(31, 'x') + "éé";
    expect_project_findings(
        check_urls, {
                        {"[project.urls]\nHome = \"https://example.com\"\n\"" + label32 +
                             "\" = \"https://example.com/a\"\n",
                         {}},
                        {"[project.urls]\nHome = \"not a url\"\n",
                         {"warning invalid-value `\"not a url\"`: invalid URL for `Home`: relative "
                          "URL without a base"}},
                        {"[project.urls]\n\"" + label33 + "\" = 1\n",
                         {"warning invalid-value `\"" + label33 + "\"`: URL label `" + label33 +
                              "` is longer than 32 characters | help: core metadata limits labels "
                              "to 32 characters",
                          "error invalid-type `1`: `project.urls." + label33 +
                              "` must be a string, found an integer"}},
                        {"[project]\nurls = [\"https://example.com\"]\n",
                         {"error invalid-type `[\"https://example.com\"]`: `project.urls` must be "
                          "a table, found an array"}},
                    });
}

TEST(ProjectEntryPoints, ChecksScriptsAndGroups) {
    expect_project_findings(
        check_scripts,
        {
            {"[project.scripts]\nx = \"pkg.mod:main [extra]\"\ny = \" pkg \"\nz = \"a.b:C.d\"\n",
             {}},
            {"[project.scripts]\n\"\" = \"pkg:main\"\n\"a=b\" = 1\n",
             {"error invalid-value `\"\"`: invalid entry point name ``",
              "error invalid-value `\"a=b\"`: invalid entry point name `a=b`",
              "error invalid-type `1`: `project.scripts.a=b` must be a string, found an integer"}},
            {"[project.gui-scripts]\nx = \"pkg.mod:\"\ny = \"1pkg:main\"\nz = \"a:b:c\"\n",
             {"error invalid-value `\"pkg.mod:\"`: invalid object reference `pkg.mod:` | help: use "
              "`package.module:function`",
              "error invalid-value `\"1pkg:main\"`: invalid object reference `1pkg:main` | help: "
              "use `package.module:function`",
              "error invalid-value `\"a:b:c\"`: invalid object reference `a:b:c` | help: use "
              "`package.module:function`"}},
            {"[project]\nscripts = 1\n",
             {"error invalid-type `1`: `project.scripts` must be a table, found an integer"}},
            {"[project.entry-points.console_scripts]\nx = 1\n",
             {"error invalid-value `console_scripts`: `console_scripts` entry points must be "
              "declared in `[project.scripts]` | help: move these entries to `[project.scripts]`"}},
            {"[project.entry-points]\ngui_scripts = 3\n",
             {"error invalid-value `gui_scripts`: `gui_scripts` entry points must be declared in "
              "`[project.gui-scripts]` | help: move these entries to `[project.gui-scripts]`"}},
            {"[project.entry-points]\n\"a..b\" = {}\n\".a\" = {}\n\"a-b\" = { \"[x\" = \"m\" }\n"
             "\"a.b_c.d1\" = {}\n\"ä.٣\" = {}\nx = 2\n",
             {"error invalid-value `\"a..b\"`: invalid entry point group `a..b` | help: group "
              "names are letters, digits, and underscores, separated by dots",
              "error invalid-value `\".a\"`: invalid entry point group `.a` | help: group names "
              "are letters, digits, and underscores, separated by dots",
              "error invalid-value `\"a-b\"`: invalid entry point group `a-b` | help: group names "
              "are letters, digits, and underscores, separated by dots",
              "error invalid-value `\"[x\"`: invalid entry point name `[x`",
              "error invalid-type `2`: `project.entry-points.x` must be a table, found an "
              "integer"}},
        });
}

TEST(ProjectImportNames, ChecksNamesAndNamespaces) {
    const std::string help =
        " | help: use a dotted Python name, optionally followed by `; private`";
    expect_project_findings(
        check_import_names,
        {
            {"[project]\nimport-names = [\"a.b; private\", \"\", \"c ;private \"]\n"
             "import-namespaces = [\"x\"]\n",
             {}},
            {"[project]\nimport-names = []\n", {}},
            {"[project]\nimport-names = [\"a.b; public\", \"1a\"]\n",
             {"error invalid-value `\"a.b; public\"`: invalid import name `a.b; public`" + help,
              "error invalid-value `\"1a\"`: invalid import name `1a`" + help}},
            {"[project]\nimport-namespaces = [\"\", \"; private\"]\n",
             {"error invalid-value `\"\"`: invalid import name ``" + help,
              "error invalid-value `\"; private\"`: invalid import name `; private`" + help}},
            {"[project]\nimport-namespaces = []\n",
             {"error invalid-value `[]`: `project.import-namespaces` cannot be empty"}},
            {"[project]\nimport-namespaces = [1]\n",
             {"error invalid-type `1`: entries of `project.import-namespaces` must be strings, "
              "found an integer"}},
            {"[project]\nimport-names = [\"a\", \"a ; private\"]\n"
             "import-namespaces = [\"a; private\", \"b\", \"a\"]\n",
             {"error invalid-value `\"a; private\"`: `a` is listed in both `import-names` and "
              "`import-namespaces` | label `\"a\"`: also listed in `import-names` here",
              "error invalid-value `\"a\"`: `a` is listed in both `import-names` and "
              "`import-namespaces` | label `\"a\"`: also listed in `import-names` here"}},
        });
}

}  // namespace
}  // namespace tarnvik::rules::project
