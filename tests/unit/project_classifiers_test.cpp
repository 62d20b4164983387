#include <gtest/gtest.h>

#include "project_findings.hpp"

namespace tarnvik::rules::project {
namespace {

using testing::project_findings;
using testing::ProjectCase;

void expect_findings(const std::vector<ProjectCase>& cases) {
    for (const ProjectCase& c : cases)
        EXPECT_EQ(project_findings(check_classifiers, c.toml), c.expected) << c.toml;
}

std::string classifiers(const std::string& items) {
    return "[project]\nclassifiers = [" + items + "]\n";
}

#define REQUIRE_PARSER() \
    if (!testing::parser_ready()) GTEST_SKIP() << "no TOML parser yet"

TEST(ProjectClassifiers, ReportsDeprecatedAndUnknownClassifiers) {
    REQUIRE_PARSER();
    const std::string far_help =
        "  help: see https://pypi.org/classifiers/ (known classifiers from trove-classifiers "
        "2026.1.14.14)";
    expect_findings({
        {classifiers("\"Typing :: Typed\", \"Private :: Do Not Upload\", 1"), {}},
        {"[project]\nclassifiers = \"Typing :: Typed\"\n", {}},
        {classifiers("\"Natural Language :: Ukranian\""),
         {"error invalid-value `\"Natural Language :: Ukranian\"` classifier `Natural Language :: "
          "Ukranian` is deprecated\n  help: use `Natural Language :: Ukrainian`; PyPI rejects "
          "deprecated classifiers"}},
        {classifiers("\"Topic :: Communications :: Chat :: AOL Instant Messenger\""),
         {"error invalid-value `\"Topic :: Communications :: Chat :: AOL Instant Messenger\"` "
          "classifier `Topic :: Communications :: Chat :: AOL Instant Messenger` is deprecated\n"
          "  help: remove it; it has no replacement; PyPI rejects deprecated classifiers"}},
        {classifiers("\"Development Status :: 5 - Production/stable\""),
         {"error invalid-value `\"Development Status :: 5 - Production/stable\"` unknown "
          "classifier `Development Status :: 5 - Production/stable`\n  help: did you mean "
          "`Development Status :: 5 - Production/Stable`?"}},
        {classifiers("\"Private::x\""),
         {"error invalid-value `\"Private::x\"` unknown classifier `Private::x`\n" + far_help}},
        {classifiers("\"Private\""),
         {"error invalid-value `\"Private\"` unknown classifier `Private`\n" + far_help}},
        {classifiers("\"\""), {"error invalid-value `\"\"` unknown classifier ``\n" + far_help}},
    });
}

TEST(ProjectClassifiers, ChecksPythonVersionsAgainstRequiresPython) {
    REQUIRE_PARSER();
    auto excluded = [](const std::string& version) {
        return "warning invalid-value `\"Programming Language :: Python :: " + version +
               "\"` classifier says Python " + version +
               " is supported, but `requires-python` excludes it\n  label `\">=3.10\"`: "
               "`requires-python` set here\n  help: remove the classifier or widen "
               "`requires-python`";
    };
    const std::string python = "\"Programming Language :: Python :: ";
    expect_findings({
        {"[project]\nrequires-python = \">=3.10\"\nclassifiers = [" + python + "3.9\", " + python +
             "3.10\", " + python + "3\", " + python + "3 :: Only\", " + python + "3.12.1\"]\n",
         {excluded("3.9"),
          "error invalid-value `" + python +
              "3.12.1\"` unknown classifier `Programming "
              "Language :: Python :: 3.12.1`\n  help: did you mean `Programming Language :: Python "
              ":: 3.12`?"}},
        {"[project]\nrequires-python = \">=3.10\"\nclassifiers = [" + python + "+3.+8\"]\n",
         {"error invalid-value `" + python +
              "+3.+8\"` unknown classifier `Programming "
              "Language :: Python :: +3.+8`\n  help: did you mean `Programming Language :: Python "
              ":: 3.8`?",
          "warning invalid-value `" + python +
              "+3.+8\"` classifier says Python 3.8 is "
              "supported, but `requires-python` excludes it\n  label `\">=3.10\"`: "
              "`requires-python` set here\n  help: remove the classifier or widen "
              "`requires-python`"}},
        {"[project]\nrequires-python = \">=3.10\"\nclassifiers = [" + python + "3.-1\", " + python +
             "3.99999999999999999999\"]\n",
         {"error invalid-value `" + python +
              "3.-1\"` unknown classifier `Programming Language "
              ":: Python :: 3.-1`\n  help: did you mean `Programming Language :: Python :: 3.1`?",
          "error invalid-value `" + python +
              "3.99999999999999999999\"` unknown classifier "
              "`Programming Language :: Python :: 3.99999999999999999999`\n  help: did you mean "
              "`Programming Language :: Python :: 3.9`?"}},
        // Numbers beyond 32 bits are still versions; only 64-bit overflow is skipped.
        {"[project]\nrequires-python = \"<3.10\"\nclassifiers = [" + python + "3.4294967296\"]\n",
         {"error invalid-value `" + python +
              "3.4294967296\"` unknown classifier `Programming Language :: Python :: "
              "3.4294967296`\n  help: did you mean `Programming Language :: Python :: 3.9`?",
          "warning invalid-value `" + python +
              "3.4294967296\"` classifier says Python 3.4294967296 is supported, but "
              "`requires-python` excludes it\n  label `\"<3.10\"`: `requires-python` set here\n"
              "  help: remove the classifier or widen `requires-python`"}},
        {"[project]\nclassifiers = [" + python + "2.7\"]\n", {}},
        {"[project]\nrequires-python = 3\nclassifiers = [" + python + "2.7\"]\n", {}},
        {"[project]\nrequires-python = \"=>3\"\nclassifiers = [" + python + "2.7\"]\n", {}},
    });
}

}  // namespace
}  // namespace tarnvik::rules::project
