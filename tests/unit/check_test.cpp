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

}  // namespace
}  // namespace tarnvik
