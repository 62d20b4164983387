#include "tarnvik/fix.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "fix_loop.hpp"

namespace tarnvik {
namespace {

Diagnostic with_fix(std::size_t at, std::vector<Edit> edits,
                    Applicability applicability = Applicability::Safe) {
    return Diagnostic::error("finding", Span{at, at}, Code::InvalidValue)
        .with_fix(Fix{std::move(edits), applicability});
}

struct ApplyCase {
    std::string name;
    std::string text;
    std::vector<Diagnostic> diagnostics;
    Applicability minimum;
    std::string expected;
    std::size_t applied;
    std::vector<std::size_t> rejected;  // positions in the diagnostics
};

TEST(FixApply, PicksNonCollidingFixesThatKeepTheTomlValid) {
    const std::string text = "a = 1\nb = 2\n";  // a: 0..5, b: 6..11
    const Applicability safe = Applicability::Safe;
    const Applicability unsafe = Applicability::Unsafe;
    const std::vector<ApplyCase> cases = {
        {"disjoint fixes both apply",
         text,
         {with_fix(0, {{"x", {0, 1}}}), with_fix(6, {{"y", {6, 7}}})},
         safe,
         "x = 1\ny = 2\n",
         2,
         {}},
        {"identical range: the first in span order wins, the other waits",
         text,
         {with_fix(0, {{"x", {0, 1}}}), with_fix(0, {{"y", {0, 1}}})},
         safe,
         "x = 1\nb = 2\n",
         1,
         {}},
        {"overlapping ranges: the later one waits",
         text,
         {with_fix(0, {{"x = 3", {0, 5}}}), with_fix(4, {{"4", {4, 5}}})},
         safe,
         "x = 3\nb = 2\n",
         1,
         {}},
        {"two insertions at one offset collide",
         text,
         {with_fix(6, {{"c = 3\n", {6, 6}}}), with_fix(6, {{"d = 4\n", {6, 6}}})},
         safe,
         "a = 1\nc = 3\nb = 2\n",
         1,
         {}},
        {"an insertion at the end of a replaced range does not collide",
         text,
         {with_fix(0, {{"x", {0, 1}}}), with_fix(1, {{"x", {1, 1}}})},
         safe,
         "xx = 1\nb = 2\n",
         2,
         {}},
        {"candidates go by smallest edit start, not by list order",
         text,
         {with_fix(0, {{"y", {4, 5}}}), with_fix(1, {{"z = 7", {0, 5}}})},
         safe,
         "z = 7\nb = 2\n",
         1,
         {}},
        {"a fix that breaks the TOML is rejected and counted; the rest still apply",
         text,
         {with_fix(0, {{"= =", {0, 1}}}), with_fix(6, {{"y", {6, 7}}})},
         safe,
         "a = 1\ny = 2\n",
         1,
         {0}},
        {"a rejected fix is named by its diagnostic's position, not by its turn",
         text,
         {with_fix(0, {{"y", {6, 7}}}), with_fix(6, {{"= =", {0, 1}}})},
         safe,
         "a = 1\ny = 2\n",
         1,
         {1}},
        {"a fix is judged together with those accepted before it",
         text,
         {with_fix(0, {{"z", {0, 1}}}), with_fix(6, {{"z", {6, 7}}})},
         safe,
         "z = 1\nb = 2\n",
         1,
         {1}},
        {"a duplicate key made by a fix is rejected",
         text,
         {with_fix(0, {{"b", {0, 1}}})},
         safe,
         text,
         0,
         {0}},
        {"an out-of-range integer made by a fix is rejected",
         text,
         {with_fix(4, {{"9223372036854775808", {4, 5}}})},
         safe,
         text,
         0,
         {0}},
        {"with minimum safe an unsafe fix is neither applied nor counted",
         text,
         {with_fix(0, {{"x", {0, 1}}}, unsafe), with_fix(6, {{"y", {6, 7}}})},
         safe,
         "a = 1\ny = 2\n",
         1,
         {}},
        {"with minimum unsafe both kinds apply",
         text,
         {with_fix(0, {{"x", {0, 1}}}, unsafe), with_fix(6, {{"y", {6, 7}}})},
         unsafe,
         "x = 1\ny = 2\n",
         2,
         {}},
        {"a fix without edits is passed over",
         text,
         {with_fix(0, {}), Diagnostic::error("no fix", Span{0, 1}, Code::InvalidValue)},
         unsafe,
         text,
         0,
         {}},
        {"all edits of one fix apply together",
         text,
         {with_fix(0, {{"x", {0, 1}}, {"y", {6, 7}}}), with_fix(6, {{"z", {6, 7}}})},
         safe,
         "x = 1\ny = 2\n",
         1,
         {}},
        {"an edit that cuts a character in two is rejected",
         "a = \"\xC3\xA9\"\n",
         {with_fix(5, {{"", {5, 6}}})},
         safe,
         "a = \"\xC3\xA9\"\n",
         0,
         {0}},
    };
    for (const auto& c : cases) {
        const fix::Applied result = fix::apply(c.text, c.diagnostics, c.minimum);
        EXPECT_EQ(result.text, c.expected) << c.name;
        EXPECT_EQ(result.applied, c.applied) << c.name;
        EXPECT_EQ(result.rejected, c.rejected) << c.name;
    }
}

// A check that finds one fixable problem per call until `limit`, plus a fix that always
// breaks the TOML; the text grows by one key per applied fix.
struct ScriptedCheck {
    int limit;
    bool broken_fix = false;
    bool invalid_toml = false;
    int calls = 0;

    CheckResult operator()(std::string text) {
        ++calls;
        CheckResult report{std::move(text), {}};
        if (invalid_toml) {
            report.diagnostics.push_back(
                Diagnostic::error("broken", Span{0, 0}, Code::InvalidToml)
                    .with_fix(Fix{{{"k0 = 0\n", {0, 0}}}, Applicability::Safe}));
        }
        const std::size_t end = report.source.size();
        if (calls <= limit) {
            const std::string key = "k" + std::to_string(calls) + " = 1\n";
            report.diagnostics.push_back(with_fix(end, {{key, {end, end}}}));
        }
        if (broken_fix) report.diagnostics.push_back(with_fix(0, {{"[", {0, 0}}}));
        return report;
    }
};

TEST(FixLoop, StopsAtTenIterationsAndChecksTheLastResult) {
    ScriptedCheck check{100};
    const fix::FixResult result = fix::detail::fix_loop("", Applicability::Safe, std::ref(check));
    EXPECT_EQ(result.fixed, 10u);
    EXPECT_EQ(check.calls, 11);
    EXPECT_EQ(result.output, result.report.source);
    EXPECT_TRUE(result.output.ends_with("k10 = 1\n"));
    ASSERT_EQ(result.report.diagnostics.size(), 1u);  // still fixable, returned as found
    EXPECT_TRUE(result.report.diagnostics[0].fix);
}

TEST(FixLoop, StopsWhenAnIterationAppliesNothing) {
    ScriptedCheck check{2, true};
    const fix::FixResult result = fix::detail::fix_loop("", Applicability::Safe, std::ref(check));
    EXPECT_EQ(result.fixed, 2u);
    EXPECT_EQ(check.calls, 3);
    EXPECT_EQ(result.output, "k1 = 1\nk2 = 1\n");
    EXPECT_EQ(result.skipped, 1u);  // rejected in three iterations: the most of one, not the sum
    // Rejected against the final text itself, the fix is no longer offered.
    ASSERT_EQ(result.report.diagnostics.size(), 1u);
    EXPECT_FALSE(result.report.diagnostics[0].fix);
}

TEST(FixLoop, InvalidTomlInTheFirstCheckFixesNothing) {
    ScriptedCheck check{5, false, true};
    const fix::FixResult result =
        fix::detail::fix_loop("x", Applicability::Unsafe, std::ref(check));
    EXPECT_EQ(result.output, "x");
    EXPECT_EQ(result.fixed, 0u);
    EXPECT_EQ(result.skipped, 0u);
    EXPECT_EQ(check.calls, 1);
}

TEST(FixFix, ByteOrderMarkOnlyIsRemovedInOneIteration) {
    const fix::FixResult result = fix::fix("\xEF\xBB\xBF", nullptr, Applicability::Safe);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.report.source, "");
    EXPECT_TRUE(result.report.diagnostics.empty());
    EXPECT_EQ(result.fixed, 1u);
    EXPECT_EQ(result.skipped, 0u);
}

TEST(FixFix, FileThatIsNotUtf8OrNotTomlIsNeverChanged) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\xEF\xBB\xBF\xFF", "\xEF\xBB\xBF\xEF\xBF\xBD"},
        {"\xEF\xBB\xBF"
         "a =\n",
         "\xEF\xBB\xBF"
         "a =\n"},
        {"\xEF\xBB\xBF"
         "a = 9223372036854775808\n",
         "\xEF\xBB\xBF"
         "a = 9223372036854775808\n"},
    };
    for (const auto& [bytes, output] : cases) {
        const fix::FixResult result = fix::fix(bytes, nullptr, Applicability::Unsafe);
        EXPECT_EQ(result.output, output) << bytes;
        EXPECT_EQ(result.fixed, 0u) << bytes;
        EXPECT_EQ(result.skipped, 0u) << bytes;
        EXPECT_FALSE(result.report.diagnostics.empty()) << bytes;
    }
}

}  // namespace
}  // namespace tarnvik
