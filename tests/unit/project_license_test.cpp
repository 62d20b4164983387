#include <gtest/gtest.h>

#include "checked_findings.hpp"

namespace tarnvik::rules::project {
namespace {

using testing_support::expect_project_findings;
using testing_support::project_findings;

TEST(ProjectLicense, JudgesLicenseExpressions) {
    expect_project_findings(
        check_license,
        {
            {"[project]\nlicense = \"MIT\"\n", {}},
            {"[project]\nlicense = \"MIT  OR  Apache-2.0\"\n", {}},
            {"[project]\nlicense = \"mit\"\n",
             {"warning invalid-value `\"mit\"`: license expression should be written as `MIT` | "
              "help: tools normalize the capitalization, but the canonical form is clearer"}},
            {"[project]\nlicense = \"GPL-2.0+\"\n",
             {"warning deprecated-metadata `\"GPL-2.0+\"`: license expression `GPL-2.0+` uses "
              "deprecated SPDX identifiers | help: use `GPL-2.0-or-later`"}},
            {"[project]\nlicense = \"MIT OR Foo\"\n",
             {"error invalid-value `Foo`: invalid license expression `MIT OR Foo` | help: use an "
              "SPDX license expression such as `MIT` or `Apache-2.0 OR MIT`"}},
            {"[project]\nlicense = \"MIT/Apache-2.0\"\n",
             {"error invalid-value `/Apache-2.0`: invalid license expression `MIT/Apache-2.0` | "
              "help: did you mean `MIT OR Apache-2.0`?"}},
            {"[project]\nlicense = \"MIT OR\"\n",
             {"error invalid-value `^\"`: invalid license expression `MIT OR` | help: use an SPDX "
              "license expression such as `MIT` or `Apache-2.0 OR MIT`"}},
            // An escape in the literal: the position cannot be mapped, so the whole value is
            // marked.
            {"[project]\nlicense = \"MIT OR\\u0020Foo\"\n",
             {"error invalid-value `\"MIT OR\\u0020Foo\"`: invalid license expression `MIT OR Foo` "
              "| help: use an SPDX license expression such as `MIT` or `Apache-2.0 OR MIT`"}},
            {"[project]\nlicense = '''\nMIT OR Foo'''\n",
             {"error invalid-value `'''\nMIT OR Foo'''`: invalid license expression `MIT OR Foo` | "
              "help: use an SPDX license expression such as `MIT` or `Apache-2.0 OR MIT`"}},
        });
}

TEST(ProjectLicense, ReportsTheLicenseTableAndOtherTypes) {
    expect_project_findings(
        check_license,
        {
            {"[project]\nlicense = { file = \"LICENSE\" }\n",
             {"warning deprecated-metadata `{ file = \"LICENSE\" }`: the `project.license` table "
              "is deprecated | help: use an SPDX license expression such as `license = \"MIT\"`, "
              "and list license files in `license-files` (PEP 639)"}},
            {"[project]\nlicense = { file = \"A\", text = \"B\" }\n",
             {"warning deprecated-metadata `{ file = \"A\", text = \"B\" }`: the `project.license` "
              "table is deprecated | help: use an SPDX license expression such as `license = "
              "\"MIT\"`, and list license files in `license-files` (PEP 639)",
              "error invalid-value `text`: `project.license` cannot set both `file` and `text` | "
              "label `file`: `file` is also set here"}},
            {"[project]\nlicense = { file = 1, txt = \"B\" }\n",
             {"warning deprecated-metadata `{ file = 1, txt = \"B\" }`: the `project.license` "
              "table is deprecated | help: use an SPDX license expression such as `license = "
              "\"MIT\"`, and list license files in `license-files` (PEP 639)",
              "error unknown-key `txt`: unknown key `txt` in `project.license` | help: did you "
              "mean `text`? | fix unsafe: `txt` -> `text`",
              "error invalid-type `1`: `project.license.file` must be a string, found an integer"}},
            {"[project]\nlicense = 3\n",
             {"error invalid-type `3`: `project.license` must be a string, found an integer"}},
            {"[project]\nlicense = [\"MIT\"]\n",
             {"error invalid-type `[\"MIT\"]`: `project.license` must be a string, found an "
              "array"}},
        });
}

TEST(ProjectLicense, ChecksLicenseFilePatterns) {
    expect_project_findings(
        check_license, {
                           {"[project]\nlicense-files = [\"LICENSE\", \"../LICENSE\", 1, \"/x\"]\n",
                            {"error invalid-type `1`: entries of `project.license-files` must be "
                             "strings, found an integer",
                             "warning invalid-value `\"../LICENSE\"`: invalid glob pattern "
                             "`../LICENSE` | help: patterns cannot contain `..`",
                             "warning invalid-value `\"/x\"`: invalid glob pattern `/x` | help: "
                             "patterns must be relative and cannot start with `/`"}},
                           {"[project]\nlicense-files = \"LICENSE\"\n",
                            {"error invalid-type `\"LICENSE\"`: `project.license-files` must be an "
                             "array of strings, found a string"}},
                       });
}

TEST(ProjectLicense, ReportsLicenseClassifiers) {
    const std::string classifier = "\"License :: OSI Approved :: MIT License\"";
    const std::string with_expression =
        "warning deprecated-metadata `" + classifier +
        "`: `License ::` classifiers are deprecated | label `\"MIT\"`: license expression set here "
        "| help: remove the classifier; the license expression replaces it";
    const std::string without_expression =
        "warning deprecated-metadata `" + classifier +
        "`: `License ::` classifiers are deprecated | help: use an SPDX license expression in "
        "`project.license` instead (PEP 639)";
    expect_project_findings(
        check_license,
        {
            {"[project]\nlicense = \"MIT\"\nclassifiers = [" + classifier +
                 ", \"License::MIT\", 1]\n",
             {with_expression}},
            {"[project]\nclassifiers = [" + classifier + "]\n", {without_expression}},
            {"[project]\nlicense = 3\nclassifiers = [" + classifier + "]\n",
             {"error invalid-type `3`: `project.license` must be a string, found an integer",
              without_expression}},
            {"[project]\nclassifiers = " + classifier + "\n", {}},
            {"[project]\nclassifiers = [\"License ::\", \"License :\"]\n",
             {"warning deprecated-metadata `\"License ::\"`: `License ::` classifiers are "
              "deprecated | help: use an SPDX license expression in `project.license` instead (PEP "
              "639)"}},
        });
    // An invalid expression still counts as one.
    auto findings = project_findings(
        check_license, "[project]\nlicense = \"Foo\"\nclassifiers = [\"License :: Other\"]\n");
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_NE(findings[1].find("label `\"Foo\"`: license expression set here"), std::string::npos);
}

}  // namespace
}  // namespace tarnvik::rules::project
