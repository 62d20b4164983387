#include "tarnvik/source.hpp"

#include <gtest/gtest.h>

namespace tarnvik::source {
namespace {

constexpr std::string_view FFFD = "\xEF\xBF\xBD";

TEST(Decode, ValidUtf8IsKeptUnchanged) {
    auto [text, diagnostic] = decode("\xEF\xBB\xBFname = \"caf\xC3\xA9\"");
    EXPECT_EQ(text, "\xEF\xBB\xBFname = \"caf\xC3\xA9\"");
    EXPECT_FALSE(diagnostic);
}

TEST(Decode, InvalidBytesBecomeReplacementAndOneDiagnosticAtTheFirst) {
    struct Case {
        std::string bytes;
        std::string text;
        std::size_t start;
    };
    const Case cases[] = {
        {"a = 1\xFF", "a = 1" + std::string(FFFD), 5},
        {"\xC3(", std::string(FFFD) + "(", 0},
        {"x\xE2\x82", "x" + std::string(FFFD), 1},  // truncated at the end: one replacement
        {"\xFF\xFE", std::string(FFFD) + std::string(FFFD), 0},
        {"\xEF\xBB\xBF\xFF", "\xEF\xBB\xBF" + std::string(FFFD), 3},
        {"\xED\xA0\x80", std::string(FFFD) + std::string(FFFD) + std::string(FFFD),
         0},  // surrogate
        {"\xF0\x9F\x98", std::string(FFFD), 0},
        {"\xC0\xAF", std::string(FFFD) + std::string(FFFD), 0},  // overlong
    };
    for (const Case& c : cases) {
        auto [text, diagnostic] = decode(c.bytes);
        EXPECT_EQ(text, c.text);
        ASSERT_TRUE(diagnostic);
        EXPECT_EQ(diagnostic->message, "invalid UTF-8");
        EXPECT_EQ(diagnostic->span, (Span{c.start, c.start + 3}));
        EXPECT_EQ(text.substr(c.start, 3), FFFD);
        EXPECT_EQ(*diagnostic->help, "TOML files must be encoded as UTF-8");
        EXPECT_EQ(diagnostic->code, Code::InvalidToml);
        EXPECT_EQ(diagnostic->severity, Severity::Error);
    }
}

TEST(ByteOrderMark, OnlyAtTheVeryStart) {
    auto bom = check_byte_order_mark("\xEF\xBB\xBF");
    ASSERT_TRUE(bom);
    EXPECT_EQ(bom->span, (Span{0, 3}));
    EXPECT_EQ(bom->code, Code::ByteOrderMark);
    ASSERT_TRUE(bom->fix);
    EXPECT_EQ(bom->fix->applicability, Applicability::Safe);
    ASSERT_EQ(bom->fix->edits.size(), 1u);
    EXPECT_EQ(bom->fix->edits[0].content, "");
    EXPECT_EQ(bom->fix->edits[0].range, (Span{0, 3}));

    EXPECT_FALSE(check_byte_order_mark("a = \"\xEF\xBB\xBF\""));
    EXPECT_FALSE(check_byte_order_mark(""));
    EXPECT_FALSE(check_byte_order_mark("\xEF\xBB"));
}

}  // namespace
}  // namespace tarnvik::source
