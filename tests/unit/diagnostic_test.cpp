#include "tarnvik/diagnostic.hpp"

#include <gtest/gtest.h>

namespace tarnvik {
namespace {

TEST(Diagnostic, BuildersAppendLabelsAndReplaceHelpNoteFix) {
    Diagnostic bare = Diagnostic::warning("m", Span{1, 2}, Code::UnknownKey);
    EXPECT_TRUE(bare.labels.empty());
    EXPECT_FALSE(bare.help || bare.note || bare.fix);
    EXPECT_EQ(bare.severity, Severity::Warning);

    Diagnostic d = Diagnostic::error("m", Span{0, 1}, Code::InvalidValue)
                       .with_label(3, 4, "first")
                       .with_label(5, 6, "second")
                       .with_help("old")
                       .with_help("new")
                       .with_note("n1")
                       .with_note("n2")
                       .with_fix(Fix{{}, Applicability::Unsafe})
                       .with_fix(Fix{{Edit{"x", Span{0, 0}}}, Applicability::Safe});
    ASSERT_EQ(d.labels.size(), 2u);
    EXPECT_EQ(d.labels[0].message, "first");
    EXPECT_EQ(d.labels[1].span, (Span{5, 6}));
    EXPECT_EQ(*d.help, "new");
    EXPECT_EQ(*d.note, "n2");
    EXPECT_EQ(d.fix->applicability, Applicability::Safe);
    EXPECT_EQ(d.fix->edits.size(), 1u);
}

TEST(Diagnostic, CodeNamesInValueOrder) {
    const char* expected[] = {"invalid-toml",        "byte-order-mark",     "toml-1-1-syntax",
                              "unknown-key",         "missing-key",         "invalid-type",
                              "invalid-value",       "invalid-dynamic",     "duplicate-name",
                              "deprecated-metadata", "unsupported-feature", "deprecated-setting",
                              "ineffective-setting", "unknown-version"};
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(code_name(static_cast<Code>(i)), expected[i]) << i;
}

TEST(Diagnostic, ApplicabilityIsOrderedUnsafeBelowSafe) {
    EXPECT_LT(Applicability::Unsafe, Applicability::Safe);
}

TEST(Diagnostic, SortIsStableByStartThenEnd) {
    std::vector<Diagnostic> list = {
        Diagnostic::error("c", Span{5, 9}, Code::InvalidValue),
        Diagnostic::error("a", Span{0, 3}, Code::InvalidValue),
        Diagnostic::error("d", Span{5, 6}, Code::InvalidValue),
        Diagnostic::error("b", Span{0, 3}, Code::InvalidValue),
    };
    sort_by_span(list);
    std::string order;
    for (const auto& d : list)
        order += d.message;
    EXPECT_EQ(order, "abdc");
}

}  // namespace
}  // namespace tarnvik
