#include <gtest/gtest.h>

#include "checked_findings.hpp"

namespace tarnvik::rules::project {
namespace {

using testing_support::expect_project_findings;

std::string classifiers(const std::string& items) {
    return "[project]\nclassifiers = [" + items + "]\n";
}

TEST(ProjectClassifiers, ReportsDeprecatedAndUnknownClassifiers) {
    const std::string far_help =
        " | help: see https://pypi.org/classifiers/ (known classifiers from trove-classifiers "
        "2026.1.14.14)";
    expect_project_findings(
        check_classifiers,
        {
            {classifiers("\"Typing :: Typed\", \"Private :: Do Not Upload\", 1"), {}},
            {"[project]\nclassifiers = \"Typing :: Typed\"\n", {}},
            {classifiers("\"Natural Language :: Ukranian\""),
             {"error invalid-value `\"Natural Language :: Ukranian\"`: classifier `Natural "
              "Language :: Ukranian` is deprecated | help: use `Natural Language :: Ukrainian`; "
              "PyPI rejects deprecated classifiers"}},
            {classifiers("\"Topic :: Communications :: Chat :: AOL Instant Messenger\""),
             {"error invalid-value `\"Topic :: Communications :: Chat :: AOL Instant Messenger\"`: "
              "classifier `Topic :: Communications :: Chat :: AOL Instant Messenger` is deprecated "
              "| help: remove it; it has no replacement; PyPI rejects deprecated classifiers"}},
            {classifiers("\"Development Status :: 5 - Production/stable\""),
             {"error invalid-value `\"Development Status :: 5 - Production/stable\"`: unknown "
              "classifier `Development Status :: 5 - Production/stable` | help: did you mean "
              "`Development Status :: 5 - Production/Stable`?"}},
            {classifiers("\"Private::x\""),
             {"error invalid-value `\"Private::x\"`: unknown classifier `Private::x`" + far_help}},
            {classifiers("\"Private\""),
             {"error invalid-value `\"Private\"`: unknown classifier `Private`" + far_help}},
            {classifiers("\"\""), {"error invalid-value `\"\"`: unknown classifier ``" + far_help}},
        });
}

TEST(ProjectClassifiers, ChecksPythonVersionsAgainstRequiresPython) {
    auto excluded = [](const std::string& version) {
        return "warning invalid-value `\"Programming Language :: Python :: " + version +
               "\"`: classifier says Python " + version +
               " is supported, but `requires-python` excludes it | label `\">=3.10\"`: "
               "`requires-python` set here | help: remove the classifier or widen "
               "`requires-python`";
    };
    const std::string python = "\"Programming Language :: Python :: ";
    expect_project_findings(
        check_classifiers,
        {
            {"[project]\nrequires-python = \">=3.10\"\nclassifiers = [" + python + "3.9\", " +
                 python + "3.10\", " + python + "3\", " + python + "3 :: Only\", " + python +
                 "3.12.1\"]\n",
             {excluded("3.9"), "error invalid-value `" + python +
                                   "3.12.1\"`: unknown classifier `Programming Language :: Python "
                                   ":: 3.12.1` | help: "
                                   "did you mean `Programming Language :: Python :: 3.12`?"}},
            {"[project]\nrequires-python = \">=3.10\"\nclassifiers = [" + python + "+3.+8\"]\n",
             {"error invalid-value `" + python +
                  "+3.+8\"`: unknown classifier `Programming Language :: Python :: +3.+8` | help: "
                  "did you mean `Programming Language :: Python :: 3.8`?",
              "warning invalid-value `" + python +
                  "+3.+8\"`: classifier says Python 3.8 is supported, but `requires-python` "
                  "excludes it | label `\">=3.10\"`: `requires-python` set here | help: remove the "
                  "classifier or widen `requires-python`"}},
            {"[project]\nrequires-python = \">=3.10\"\nclassifiers = [" + python + "3.-1\", " +
                 python + "3.99999999999999999999\"]\n",
             {"error invalid-value `" + python +
                  "3.-1\"`: unknown classifier `Programming Language :: Python :: 3.-1` | help: "
                  "did "
                  "you mean `Programming Language :: Python :: 3.1`?",
              "error invalid-value `" + python +
                  "3.99999999999999999999\"`: unknown classifier `Programming Language :: Python "
                  ":: "
                  "3.99999999999999999999` | help: did you mean `Programming Language :: Python :: "
                  "3.9`?"}},
            // Numbers beyond 32 bits are still versions; only 64-bit overflow is skipped.
            {"[project]\nrequires-python = \"<3.10\"\nclassifiers = [" + python +
                 "3.4294967296\"]\n",
             {"error invalid-value `" + python +
                  "3.4294967296\"`: unknown classifier `Programming Language :: Python :: "
                  "3.4294967296` | help: did you mean `Programming Language :: Python :: 3.9`?",
              "warning invalid-value `" + python +
                  "3.4294967296\"`: classifier says Python 3.4294967296 is supported, but "
                  "`requires-python` excludes it | label `\"<3.10\"`: `requires-python` set here | "
                  "help: remove the classifier or widen `requires-python`"}},
            {"[project]\nclassifiers = [" + python + "2.7\"]\n", {}},
            {"[project]\nrequires-python = 3\nclassifiers = [" + python + "2.7\"]\n", {}},
            {"[project]\nrequires-python = \"=>3\"\nclassifiers = [" + python + "2.7\"]\n", {}},
        });
}

}  // namespace
}  // namespace tarnvik::rules::project
