#include "rules/build_system.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checked_findings.hpp"
#include "tarnvik/fix.hpp"

namespace tarnvik {
namespace {

using testing_support::Case;
using testing_support::expect_findings;
using testing_support::expect_requirement_error_inside;
using testing_support::findings;

const std::string MISSING_REQUIRES =
    "error missing-key `build-system`: `[build-system]` is missing the required key `requires` | "
    "help: list the packages needed to build the project, for example "
    "`requires = [\"hatchling\"]`";

TEST(BuildSystem, ChecksTheTableAndItsKeys) {
    const std::string known = "expected one of `requires`, `build-backend`, `backend-path`";
    expect_findings({
        {"", {}},
        {"[tool.other]\nbuild-system = 1\n", {}},
        {"build-system = 1\n",
         {"error invalid-type `1`: `build-system` must be a table, found an integer"}},
        {"build-system = [\"x\"]\n",
         {"error invalid-type `[\"x\"]`: `build-system` must be a table, found an array"}},
        {"[build-system]\n", {MISSING_REQUIRES}},
        {"build-system = {}\n", {MISSING_REQUIRES}},
        {"[build-system]\nrequirs = []\n",
         {MISSING_REQUIRES,
          "error unknown-key `requirs`: unknown key `requirs` in `[build-system]` | help: did you "
          "mean `requires`? | fix unsafe: `requirs` -> `requires`"}},
        // The key already exists: the help still names it, but renaming would define it twice.
        {"[build-system]\nrequires = []\nRequires = []\n",
         {"error unknown-key `Requires`: unknown key `Requires` in `[build-system]` | help: did "
          "you "
          "mean `requires`?"}},
        {"[build-system]\nrequires = []\nbuild_backend = \"x\"\n",
         {"error unknown-key `build_backend`: unknown key `build_backend` in `[build-system]` | "
          "help: did you mean `build-backend`? | fix unsafe: `build_backend` -> `build-backend`"}},
        {"[build-system]\nrequires = []\nbuild-backends = \"x\"\n",
         {"error unknown-key `build-backends`: unknown key `build-backends` in `[build-system]` | "
          "help: did you mean `build-backend`? | fix unsafe: `build-backends` -> `build-backend`"}},
        // A quoted key keeps its quotes when renamed.
        {"[build-system]\nrequires = []\n\"backend_path\" = []\n",
         {"error unknown-key `\"backend_path\"`: unknown key `backend_path` in `[build-system]` | "
          "help: did you mean `backend-path`? | fix unsafe: `\"backend_path\"` -> "
          "`\"backend-path\"`"}},
        {"[build-system]\nrequires = []\nzzz = 1\n",
         {"error unknown-key `zzz`: unknown key `zzz` in `[build-system]` | help: " + known}},
    });
}

TEST(BuildSystem, RenamesAMisspeltKeyOnlyWithUnsafeFixes) {
    const std::string toml = "[build-system]\nrequirs = [\"x\"]\n";
    EXPECT_EQ(fix::fix(toml, nullptr, Applicability::Safe).output, toml);
    fix::FixResult fixed = fix::fix(toml, nullptr, Applicability::Unsafe);
    EXPECT_EQ(fixed.output, "[build-system]\nrequires = [\"x\"]\n");
    EXPECT_EQ(fixed.fixed, 1u);
    EXPECT_TRUE(fixed.report.diagnostics.empty());
}

TEST(BuildSystem, ChecksRequirements) {
    expect_findings({
        {"[build-system]\nrequires = [\"setuptools>=61\", \"wheel\"]\n", {}},
        {"[build-system]\nrequires = []\n", {}},
        {"[build-system]\nrequires = \"wheel\"\n",
         {"error invalid-type `\"wheel\"`: `build-system.requires` must be an array of strings, "
          "found a string"}},
        {"[build-system]\nrequires = [\"wheel\", 3]\n",
         {"error invalid-type `3`: entries of `build-system.requires` must be strings, found an "
          "integer"}},
    });
}

TEST(BuildSystem, ReportsABadRequirementInsideItsString) {
    expect_requirement_error_inside("[build-system]\nrequires = [\"ok\", \"setuptools>=\"]\n",
                                    "\"setuptools>=\"");
}

TEST(BuildSystem, ChecksTheBackendReference) {
    auto invalid = [](const std::string& literal, const std::string& text) {
        return "error invalid-value `" + literal + "`: invalid build backend `" + text +
               "` | help: use a Python object reference such as `package.module` or "
               "`package.module:object`";
    };
    auto backend = [](const std::string& literal) {
        return "[build-system]\nrequires = []\nbuild-backend = " + literal + "\n";
    };
    expect_findings({
        {backend("\"setuptools.build_meta\""), {}},
        {backend("\"pkg.mod:obj.attr\""), {}},
        {backend("\"_backend\""), {}},
        {backend("'modèle'"), {}},
        {backend("\"pkg.mod:\""), {invalid("\"pkg.mod:\"", "pkg.mod:")}},
        {backend("\":obj\""), {invalid("\":obj\"", ":obj")}},
        {backend("\"pkg..mod\""), {invalid("\"pkg..mod\"", "pkg..mod")}},
        {backend("\"1pkg\""), {invalid("\"1pkg\"", "1pkg")}},
        {backend("\"a:b:c\""), {invalid("\"a:b:c\"", "a:b:c")}},
        {backend("\"\""), {invalid("\"\"", "")}},
        {backend("\"my-backend\""), {invalid("\"my-backend\"", "my-backend")}},
        {backend("[\"x\"]"),
         {"error invalid-type `[\"x\"]`: `build-system.build-backend` must be a string, found an "
          "array"}},
    });
}

TEST(BuildSystem, KeepsBackendPathsInsideTheProject) {
    auto outside = [](const std::string& literal, const std::string& text) {
        return "error invalid-value `" + literal + "`: backend path `" + text +
               "` is outside the project | help: backend paths must be relative to the directory "
               "containing pyproject.toml and stay inside it";
    };
    auto paths = [](const std::string& array) {
        return "[build-system]\nrequires = []\nbackend-path = " + array + "\n";
    };
    expect_findings({
        {paths("[\".\"]"), {}},
        {paths("[\"src\"]"), {}},
        {paths("[\"a/../b\"]"), {}},
        {paths("[\"\"]"), {}},
        {paths("[\"a//b/./c/../..\"]"), {}},
        {paths("['a\\..\\b']"), {}},
        {paths("[\"C:\"]"), {}},  // too short for a drive path: one ordinary component
        {paths("[\"/abs\"]"), {outside("\"/abs\"", "/abs")}},
        {paths("['\\abs']"), {outside("'\\abs'", "\\abs")}},
        {paths("[\"\\\\abs\"]"), {outside("\"\\\\abs\"", "\\abs")}},
        {paths("[\"C:/x\"]"), {outside("\"C:/x\"", "C:/x")}},
        {paths("['d:\\x']"), {outside("'d:\\x'", "d:\\x")}},
        {paths("[\"..\"]"), {outside("\"..\"", "..")}},
        {paths("[\"a/../..\"]"), {outside("\"a/../..\"", "a/../..")}},
        {paths("[\"../x\"]"), {outside("\"../x\"", "../x")}},
        {paths("[\"./../x\"]"), {outside("\"./../x\"", "./../x")}},
        {paths("[\".\", \"..\"]"), {outside("\"..\"", "..")}},
        {paths("\"src\""),
         {"error invalid-type `\"src\"`: `build-system.backend-path` must be an array of strings, "
          "found a string"}},
    });
}

}  // namespace
}  // namespace tarnvik
