#include <gtest/gtest.h>

#include "checked_findings.hpp"

namespace tarnvik {
namespace {

using testing_support::expect_findings;
using testing_support::NAME_HELP;

// A `[project]` table that needs nothing more; cases append the keys they are about.
const std::string BASE = "[project]\nname = \"x\"\nversion = \"1\"\n";
// A backend that supports every newer metadata feature, so that the build backend
// compatibility pass has nothing to add to the findings of `[project]`.
const std::string POETRY =
    "[build-system]\nrequires = [\"poetry-core>=2.2\"]\nbuild-backend = \"poetry.core.masonry.api\"\n";

TEST(ProjectTable, PresenceTypeAndRequiredKeys) {
    expect_findings({
        {"other = 1\n", {}},
        {"project = 1\n", {"error invalid-type `1`: `project` must be a table, found an integer"}},
        {BASE, {}},
        {"[project]\nname = \"x\"\n",
         {"error missing-key `project`: `[project]` must set `version` or list it in `dynamic` | "
          "help: add `version = \"0.1.0\"`, or `dynamic = [\"version\"]` if your build backend "
          "provides it"}},
        {"[project]\nversion = \"1\"\n",
         {"error missing-key `project`: `[project]` is missing the required key `name` | help: the "
          "project name must be set statically, for example `name = \"my-project\"`"}},
        // Both at the `project` key: `name` is judged before `version`.
        {"[project]\n",
         {"error missing-key `project`: `[project]` is missing the required key `name` | help: the "
          "project name must be set statically, for example `name = \"my-project\"`",
          "error missing-key `project`: `[project]` must set `version` or list it in `dynamic` | "
          "help: add `version = \"0.1.0\"`, or `dynamic = [\"version\"]` if your build backend "
          "provides it"}},
        // Listing `name` in `dynamic` does not excuse its absence.
        {"[project]\nversion = \"1\"\ndynamic = [\"name\"]\n",
         {"error missing-key `project`: `[project]` is missing the required key `name` | help: the "
          "project name must be set statically, for example `name = \"my-project\"`",
          "error invalid-dynamic `\"name\"`: `name` cannot be listed in `project.dynamic` | help: "
          "the project name must be set statically"}},
    });
}

TEST(ProjectTable, UnknownKeysAreMatchedAgainstTheProjectKeys) {
    expect_findings({
        {BASE + "descripton = \"d\"\n",
         {"error unknown-key `descripton`: unknown key `descripton` in `[project]` | help: did you "
          "mean `description`? | fix unsafe: `descripton` -> `description`"}},
        {BASE + "homepage = \"h\"\n",
         {"error unknown-key `homepage`: unknown key `homepage` in `[project]` | help: expected "
          "one of `name`, `version`, `description`, `readme`, `requires-python`, `license`, "
          "`license-files`, `authors`, `maintainers`, `keywords`, `classifiers`, `urls`, "
          "`scripts`, `gui-scripts`, `entry-points`, `dependencies`, `optional-dependencies`, "
          "`import-names`, `import-namespaces`, `dynamic`"}},
    });
}

TEST(ProjectTable, Dynamic) {
    const std::string name_only = "[project]\nname = \"x\"\n";
    const std::string missing_version =
        "error missing-key `project`: `[project]` must set `version` or list it in `dynamic` | "
        "help: add `version = \"0.1.0\"`, or `dynamic = [\"version\"]` if your build backend "
        "provides it";
    expect_findings({
        {name_only + "dynamic = [\"version\"]\n", {}},
        {name_only + "dynamic = [\"version\", 3]\n",
         {"error invalid-type `3`: entries of `project.dynamic` must be strings, found an "
          "integer"}},
        {name_only + "dynamic = \"version\"\n",
         {missing_version,
          "error invalid-type `\"version\"`: `project.dynamic` must be an array of strings, found "
          "a string"}},
        {name_only + "version = \"1.0\"\ndynamic = [\"version\"]\n",
         {"error invalid-dynamic `version`: `version` is set statically and also listed in "
          "`project.dynamic` | label `\"version\"`: listed in `dynamic` here | help: remove "
          "`version` from `dynamic` or remove its static value"}},
        {POETRY + BASE +
             "description = \"d\"\nkeywords = [\"k\"]\ndynamic = [\"keywords\", "
             "\"description\", \"readme\"]\n",
         {"error invalid-dynamic `description`: `description` is set statically and also listed in "
          "`project.dynamic` | label `\"description\"`: listed in `dynamic` here | help: remove "
          "`description` from `dynamic` or remove its static value"}},
        {POETRY + BASE + "dependencies = []\ndynamic = [\"dependencies\"]\n", {}},
        {BASE + "dynamic = [\"name\"]\n",
         {"error invalid-dynamic `\"name\"`: `name` cannot be listed in `project.dynamic` | help: "
          "the project name must be set statically"}},
        {BASE + "dynamic = [\"dynamic\"]\n",
         {"error invalid-dynamic `\"dynamic\"`: `dynamic` in `project.dynamic` is not a "
          "`[project]` key"}},
        {BASE + "dynamic = [\"requirements\", \"homepage\"]\n",
         {"error invalid-dynamic `\"requirements\"`: `requirements` in `project.dynamic` is not a "
          "`[project]` key | help: did you mean `requires-python`?",
          "error invalid-dynamic `\"homepage\"`: `homepage` in `project.dynamic` is not a "
          "`[project]` key"}},
        // Only the exact key counts as listing `version`.
        {name_only + "dynamic = [\"Version\"]\n",
         {missing_version,
          "error invalid-dynamic `\"Version\"`: `Version` in `project.dynamic` is not a "
          "`[project]` key | help: did you mean `version`?"}},
    });
}

TEST(ProjectTable, Name) {
    const std::string tail = "version = \"1\"\n";
    expect_findings({
        {"[project]\nname = \"Foo.Bar__baz\"\n" + tail, {}},
        {"[project]\nname = 1\n" + tail,
         {"error invalid-type `1`: `project.name` must be a string, found an integer"}},
        {"[project]\nname = \"-bad\"\n" + tail,
         {"error invalid-value `\"-bad\"`: invalid project name `-bad`" + NAME_HELP}},
        {"[project]\nname = \"\"\n" + tail,
         {"error invalid-value `\"\"`: invalid project name ``" + NAME_HELP}},
        {"[project]\nname = \"my project\"\n" + tail,
         {"error invalid-value `\"my project\"`: invalid project name `my project`" + NAME_HELP}},
    });
}

TEST(ProjectTable, Version) {
    const std::string head = "[project]\nname = \"x\"\n";
    expect_findings({
        {head + "version = \"1.0.post1.dev2+local.7\"\n", {}},
        {head + "version = \"1.0.x\"\n",
         {"error invalid-value `\"1.0.x\"`: invalid version `1.0.x`: unexpected `.x` after version "
          "`1.0`"}},
        {head + "version = 1\n",
         {"error invalid-type `1`: `project.version` must be a string, found an integer"}},
        // A wrongly typed static value still counts as set, so `dynamic` is not consulted.
        {head + "version = [\"1\"]\ndynamic = [\"version\"]\n",
         {"error invalid-dynamic `version`: `version` is set statically and also listed in "
          "`project.dynamic` | label `\"version\"`: listed in `dynamic` here | help: remove "
          "`version` from `dynamic` or remove its static value",
          "error invalid-type `[\"1\"]`: `project.version` must be a string, found an array"}},
    });
}

TEST(ProjectTable, RequiresPython) {
    expect_findings({
        {BASE + "requires-python = \">=3.9, <4\"\n", {}},
        // The empty last specifier is reported where it would stand, before the closing quote.
        {BASE + "requires-python = \">=3.9,\"\n",
         {"error invalid-value `^\"`: invalid `requires-python`: empty version specifier"}},
        {BASE + "requires-python = \" \"\n",
         {"error invalid-value `\" \"`: invalid `requires-python`: expected at least one version "
          "specifier"}},
        {BASE + "requires-python = \">=3.9, =>3.10\"\n",
         {"error invalid-value `=>3.10`: invalid `requires-python`: unknown operator `=>`, "
          "expected `~=`, `==`, `!=`, `<=`, `>=`, `<`, `>` or `===`"}},
        {BASE + "requires-python = 3.9\n",
         {"error invalid-type `3.9`: `project.requires-python` must be a string, found a float"}},
    });
}

TEST(ProjectTable, Description) {
    const std::string multi_line =
        "warning invalid-value `%s`: `project.description` should be a single line | help: core "
        "metadata allows a one-line summary; put the full description in the file referenced by "
        "`readme`";
    auto warning_at = [&](const std::string& literal) {
        std::string line = multi_line;
        return line.replace(line.find("%s"), 2, literal);
    };
    expect_findings({
        {BASE + "description = \"One line.\"\n", {}},
        {BASE + "description = \"\"\"A summary\n\"\"\"\n", {warning_at("\"\"\"A summary\n\"\"\"")}},
        {BASE + "description = \"a\\rb\"\n", {warning_at("\"a\\rb\"")}},
        {BASE + "description = [\"a\"]\n",
         {"error invalid-type `[\"a\"]`: `project.description` must be a string, found an array"}},
    });
}

TEST(ProjectTable, ReadmeAsAFileName) {
    expect_findings({
        {BASE + "readme = \"README.md\"\n", {}},
        {BASE + "readme = \"README.TXT\"\n", {}},
        {BASE + "readme = \"docs/Intro.Md\"\n", {}},
        {BASE + "readme = \"README.rst\"\n", {}},
        {BASE + "readme = \".md\"\n", {}},
        {BASE + "readme = \"README\"\n",
         {"error invalid-value `\"README\"`: cannot infer the content type of readme `README` | "
          "help: rename it with a `.md` or `.rst` suffix, or use `readme = { file = \"README\", "
          "content-type = \"text/plain\" }`"}},
        {BASE + "readme = \"README.markdown\"\n",
         {"error invalid-value `\"README.markdown\"`: cannot infer the content type of readme "
          "`README.markdown` | help: rename it with a `.md` or `.rst` suffix, or use `readme = { "
          "file = \"README.markdown\", content-type = \"text/plain\" }`"}},
        {BASE + "readme = 1.5\n",
         {"error invalid-type `1.5`: `project.readme` must be a string or a table, found a float"}},
    });
}

TEST(ProjectTable, ReadmeAsATable) {
    const std::string missing_type =
        "error missing-key `%s`: `project.readme` must set `content-type` when it is a table";
    auto at = [](std::string line, const std::string& text) {
        return line.replace(line.find("%s"), 2, text);
    };
    expect_findings({
        {BASE + "readme = { file = \"README.md\", content-type = \"text/markdown\" }\n", {}},
        {BASE + "readme = { text = \"Hi\", content-type = \" Text/Markdown \" }\n", {}},
        {BASE + "readme = { file = \"README.md\" }\n",
         {at(missing_type, "{ file = \"README.md\" }")}},
        {BASE + "readme = { file = \"a.md\", text = \"x\", content-type = \"text/markdown; "
                "charset=UTF-8\" }\n",
         {"error invalid-value `text`: `project.readme` cannot set both `file` and `text` | label "
          "`file`: `file` is also set here"}},
        {BASE + "readme = {}\n",
         {"error missing-key `{}`: `project.readme` must set `file` or `text`",
          at(missing_type, "{}")}},
        {BASE + "readme = { file = 1, content-type = 2 }\n",
         {"error invalid-type `1`: `project.readme.file` must be a string, found an integer",
          "error invalid-type `2`: `project.readme.content-type` must be a string, found an "
          "integer"}},
        {BASE + "readme = { file = \"a.txt\", content-type = \"text/html; charset=utf-8\" }\n",
         {"error invalid-value `\"text/html; charset=utf-8\"`: unsupported readme content type "
          "`text/html; charset=utf-8` | help: use `text/markdown`, `text/x-rst`, or `text/plain`"}},
        {BASE + "readme = { file = \"a.md\", content-type = \"text/markdown\", kind = 1 }\n",
         {"error unknown-key `kind`: unknown key `kind` in `project.readme` | help: expected one "
          "of `file`, `text`, `content-type`"}},
    });
}

TEST(ProjectTable, KeywordsAndClassifiersHoldStrings) {
    expect_findings({
        {BASE + "keywords = [\"toml\", \"lint\"]\n", {}},
        {BASE + "keywords = \"toml\"\n",
         {"error invalid-type `\"toml\"`: `project.keywords` must be an array of strings, found a "
          "string"}},
        {BASE + "classifiers = [\"Typing :: Typed\", true]\n",
         {"error invalid-type `true`: entries of `project.classifiers` must be strings, found a "
          "boolean"}},
    });
}

// Findings at one span keep the order of the checks: license before classifier values.
TEST(ProjectTable, LicenseFindingsComeBeforeClassifierFindings) {
    const std::string intel = "\"License :: OSI Approved :: Intel Open Source License\"";
    expect_findings({
        {POETRY + BASE + "license = \"MIT\"\nclassifiers = [" + intel + "]\n",
         {"warning deprecated-metadata `" + intel +
              "`: `License ::` classifiers are deprecated | label `\"MIT\"`: license expression "
              "set here | help: remove the classifier; the license expression replaces it",
          "error invalid-value `" + intel +
              "`: classifier `License :: OSI Approved :: Intel Open Source License` is deprecated "
              "| help: remove it; it has no replacement; PyPI rejects deprecated classifiers"}},
    });
}

}  // namespace
}  // namespace tarnvik
