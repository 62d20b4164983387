#include "rules/compatibility.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checked_findings.hpp"

namespace tarnvik::rules::compatibility {
namespace {

using testing_support::expect_findings;

const std::string PROJECT = "[project]\nname = \"x\"\nversion = \"1\"\n";
const std::string DYNAMIC_DEPENDENCIES = "dependencies = []\ndynamic = [\"dependencies\"]\n";

std::string build_system(const std::string& requires_, const std::string& backend = "") {
    std::string text = "[build-system]\nrequires = [" + requires_ + "]\n";
    if (!backend.empty()) text += "build-backend = \"" + backend + "\"\n";
    return text;
}

TEST(Compatibility, TheProjectTableAndTheBackend) {
    const std::string before_61 =
        "warning unsupported-feature `project`: no setuptools version allowed by `[build-system]` "
        "supports the `[project]` table | label `\"setuptools<61\"`: allows only versions before "
        "61.0.0 | help: require `setuptools>=61.0.0`; earlier versions do not read it";
    expect_findings({
        {build_system("\"setuptools<61\""), {}},
        // Nothing inside a `[project]` no allowed release reads is judged.
        {build_system("\"setuptools<61\"") + PROJECT + "license = \"MIT\"\n" + DYNAMIC_DEPENDENCIES,
         {before_61}},
        {build_system("\"setuptools<61\"", "setuptools.build_meta:__legacy__") + PROJECT,
         {before_61}},
        // Both requirements match: their intersection is judged, the first carries the label.
        {build_system("\"poetry-core>=1.5\", \"wheel\", \"poetry_core<3\"",
                      "poetry.core.masonry.api") +
             PROJECT,
         {"warning unsupported-feature `project`: poetry-core versions before 2.0.0 do not "
          "support the `[project]` table | label `\"poetry-core>=1.5\"`: allows those versions | "
          "help: require `poetry-core>=2.0.0`; earlier versions do not read it"}},
    });
}

TEST(Compatibility, LicenseExpressionsAndImportNames) {
    const std::string mit = PROJECT + "license = \"MIT\"\n";
    const std::string both = "import-names = [\"x\"]\nimport-namespaces = [\"y\"]\n";
    const auto flit_names = ::testing::EndsWith(
        "flit-core versions before 4.0.1 do not support `import-names` and `import-namespaces` "
        "(PEP 794) | label `\"flit_core>=3.2\"`: allows those versions | help: require "
        "`flit-core>=4.0.1`; earlier versions leave it out of the metadata or fail to build");
    const auto no_setuptools = ::testing::StartsWith(
        "error unsupported-feature `\"MIT\"`: no setuptools version allowed by `[build-system]` "
        "supports license expressions in `project.license` | label ");
    expect_findings({
        // Without `[build-system]`, the newest setuptools builds: it reads license expressions.
        {mit + "import-names = [\"pkg\"]\n",
         {"warning unsupported-feature `import-names`: setuptools does not support "
          "`import-names` and `import-namespaces` (PEP 794), as of 84.0.0 | help: remove it, or "
          "use a build backend that supports it (without `[build-system]`, tools build with "
          "setuptools)"}},
        {build_system("\"setuptools>=64\"") + mit,
         {"warning unsupported-feature `\"MIT\"`: setuptools versions before 77.0.1 do not "
          "support license expressions in `project.license` | label `\"setuptools>=64\"`: allows "
          "those versions | help: require `setuptools>=77.0.1`; builds with earlier versions "
          "fail"}},
        {build_system("\"setuptools>=64,<70\"") + mit, {no_setuptools}},
        {build_system("\"setuptools>=77.0.1\"") + mit, {}},
        // Every requirement with specifiers narrows the allowed releases, not only the first two.
        {build_system(
             "\"setuptools>=64\", \"setuptools\", \"setuptools<80\", \"setuptools>=77.0.1\"") +
             mit,
         {}},
        // Versions between the last without and the first with support are not judged: every
        // other allowed version lacks it.
        {build_system("\"setuptools>=76,<77\"") + mit, {no_setuptools}},
        {build_system("\"hatchling\"", "hatchling.build") + mit +
             "license-files = [\"LICENSE\"]\nimport-names = [\"x\"]\n",
         {}},
        {build_system("\"flit_core>=3.2\"", "flit_core.buildapi") + PROJECT + both,
         {flit_names, flit_names}},
    });
}

TEST(Compatibility, LicenseClassifiersReplaceTheirDeprecation) {
    const std::string mit_classifier = "\"License :: OSI Approved :: MIT License\"";
    const std::string bsd_classifier = "\"License :: OSI Approved :: BSD License\"";
    expect_findings({
        {build_system("\"flit_core>=3.11\"", "flit_core.buildapi") + PROJECT +
             "license = \"MIT\"\nclassifiers = [" + mit_classifier + ", " + bsd_classifier + "]\n",
         {"warning unsupported-feature `" + mit_classifier +
              "`: flit-core does not support `License ::` classifiers alongside a license "
              "expression, as of 4.1.0 | label `\"MIT\"`: license expression set here | label "
              "`\"flit_core>=3.11\"`: build backend required here | help: remove the `License ::` "
              "classifiers, which are deprecated; the license expression replaces them",
          "warning deprecated-metadata `" + bsd_classifier +
              "`: `License ::` classifiers are deprecated | label `\"MIT\"`: license expression "
              "set here | help: remove the classifier; the license expression replaces it"}},
        // Without a license expression the classifier is no such feature.
        {build_system("\"flit_core>=3.11\"", "flit_core.buildapi") + PROJECT + "classifiers = [" +
             mit_classifier + "]\n",
         {::testing::StartsWith("warning deprecated-metadata")}},
    });
}

TEST(Compatibility, StaticKeysListedInDynamic) {
    const std::string hatchling_dynamic =
        "`dependencies`: hatchling does not support extending a static key listed in "
        "`project.dynamic` (PEP 808)";
    const std::string labels =
        " | label `\"dependencies\"`: also listed in `dynamic` here | label ";
    const std::string invalid_dynamic =
        "error invalid-dynamic `dependencies`: `dependencies` is set statically and also listed "
        "in `project.dynamic` | label `\"dependencies\"`: also listed in `dynamic` here | help: "
        "PEP 808 allows build backends to extend a static `dependencies`, but many reject it; "
        "check that yours supports it";
    expect_findings({
        {build_system("\"hatchling>=1.27\"", "hatchling.build") + PROJECT + DYNAMIC_DEPENDENCIES,
         {::testing::StartsWith("warning unsupported-feature " + hatchling_dynamic +
                                ", as of 1.32.4" + labels)}},
        {build_system("\"hatchling<=1.32.4\"", "hatchling.build") + PROJECT + DYNAMIC_DEPENDENCIES,
         {"error unsupported-feature " + hatchling_dynamic + labels +
          "`\"hatchling<=1.32.4\"`: build backend required here | help: set the key statically "
          "or list it in `project.dynamic`, not both"}},
        {build_system("\"uv_build>=0.11.17\"", "uv_build") + PROJECT + DYNAMIC_DEPENDENCIES +
             "license = \"MIT\"\nimport-names = [\"x\"]\n",
         {::testing::StartsWith("warning unsupported-feature `dependencies`: uv-build does not "
                                "support extending a static key listed in `project.dynamic` (PEP "
                                "808), as of 0.12.18 | ")}},
        // A backend that cannot be told: the key is reported whatever builds the project.
        {build_system("\"mybackend\"", "mybackend.api") + PROJECT + DYNAMIC_DEPENDENCIES,
         {invalid_dynamic}},
        {build_system("\"hatchling\"") + PROJECT + DYNAMIC_DEPENDENCIES, {invalid_dynamic}},
    });
}

}  // namespace
}  // namespace tarnvik::rules::compatibility
