#include "tarnvik/check.hpp"

#include <gtest/gtest.h>

namespace tarnvik {
namespace {

TEST(CheckWithLock, EmptyFileHasNoDiagnostics) {
    CheckResult result = check_with_lock("", nullptr);
    EXPECT_EQ(result.source, "");
    EXPECT_TRUE(result.diagnostics.empty());
}

TEST(CheckWithLock, InvalidUtf8StopsWithThatDiagnosticAlone) {
    CheckResult result = check_with_lock("\xEF\xBB\xBF\xFF = 1", nullptr);
    ASSERT_EQ(result.diagnostics.size(), 1u);
    EXPECT_EQ(result.diagnostics[0].message, "invalid UTF-8");
    EXPECT_EQ(result.source, "\xEF\xBB\xBF\xEF\xBF\xBD = 1");
}

TEST(CheckWithLock, ByteOrderMarkIsReportedFirst) {
    CheckResult result = check_with_lock("\xEF\xBB\xBF", nullptr);
    ASSERT_EQ(result.diagnostics.size(), 1u);
    EXPECT_EQ(result.diagnostics[0].code, Code::ByteOrderMark);
}

// Which steps run and how their findings are ordered: "code @ text under the span".
TEST(CheckWithLock, StepsRunInOrderAndFindingsSortStablyBySpan) {
    struct Case {
        std::string bytes;
        std::vector<std::string> expected;
    };
    const std::string BOM = "\xEF\xBB\xBF";
    const Case cases[] = {
        {BOM + "a = 1\n", {"byte-order-mark @ " + BOM}},
        // Equal spans: the TOML 1.1 warning before the rule pass's finding.
        {"[project]\nname = \"x\"\nversion = 07:32\n",
         {"toml-1-1-syntax @ 07:32", "invalid-type @ 07:32"}},
        // A syntax error hides TOML 1.1 syntax and every rule pass.
        {BOM + "t = 07:32\nbroken =\n[project]\nname = 1\n",
         {"byte-order-mark @ " + BOM, "invalid-toml @ "}},
        {"[project]\nname = 1\nx = 9223372036854775808\n", {"invalid-toml @ 9223372036854775808"}},
        {"x = -9223372036854775808\nt = { a = 1, }\n", {"toml-1-1-syntax @ ,"}},
    };
    for (const Case& c : cases) {
        const CheckResult result = check_with_lock(c.bytes, nullptr);
        std::vector<std::string> found;
        for (const Diagnostic& d : result.diagnostics) {
            found.push_back(std::string(code_name(d.code)) + " @ " +
                            result.source.substr(d.span.start, d.span.size()));
        }
        EXPECT_EQ(found, c.expected) << c.bytes;
    }
}

}  // namespace
}  // namespace tarnvik
