#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ascii.hpp"
#include "tarnvik/text.hpp"
#include "text/white_space.hpp"

namespace tarnvik::text {
namespace {

// A lock file is read only when it is UTF-8: the shortest form of every character, no
// surrogates, nothing past U+10FFFF, no cut sequence; long ASCII runs around any of them.
TEST(Utf8, AcceptsOnlyWellFormedText) {
    const std::pair<std::string_view, bool> cases[] = {
        {"", true},
        {"plain ascii text that is longer than eight bytes", true},
        {"caf\xc3\xa9", true},
        {"\xe2\x82\xac and \xf0\x9f\xa6\x80 and \xed\x9f\xbf", true},
        {"\xf4\x8f\xbf\xbf", true},
        {"\xff", false},
        {"abcdefgh\x80", false},
        {"\xc0\xaf", false},
        {"\xe0\x80\xaf", false},
        {"\xed\xa0\x80", false},
        {"\xf4\x90\x80\x80", false},
        {"\xf5\x80\x80\x80", false},
        {"abcdefghijklmnop\xe2\x82", false},
        {"abcdefghijk\x80lmnopqrstuvwxyz", false},
        {"abcdefghijklmno\xc3\xa9"
         "abcdefghijklmnopqrstuvwxyz",
         true},
        {"\xe2\x28\xa1", false},
    };
    for (const auto& [text, valid] : cases) {
        EXPECT_EQ(is_utf8(text), valid) << ::testing::PrintToString(std::string(text));
    }
}

// The well-formed prefix ends where the first ill-formed sequence starts, also inside or right
// after a run of ASCII read sixteen bytes at a time.
TEST(Utf8, ValidPrefixEndsAtTheFirstFault) {
    const std::pair<std::string_view, std::size_t> cases[] = {
        {"", 0},
        {"\xff", 0},
        {"caf\xc3\xa9", 5},
        {"abcdefghijk\x80lmnopqrstuvwxyz", 11},
        {"abcdefghijklmnop\xe2\x82", 16},
        {"abcdefghijklmnopq\xc3\xa9\xc3", 19},
    };
    for (const auto& [text, length] : cases) {
        EXPECT_EQ(valid_utf8_length(text), length) << ::testing::PrintToString(std::string(text));
    }
}

TEST(Scalars, DecodeAndReplaceIllFormedSequences) {
    struct Case {
        std::string_view utf8;
        std::vector<char32_t> expected;
    };
    const Case cases[] = {
        {"", {}},
        {"aé中😀", {U'a', U'é', U'中', U'😀'}},
        {"\xff", {0xFFFD}},
        {"a\xe2\x82", {U'a', 0xFFFD}},               // truncated at the end: one replacement
        {"\xe2\x82(", {0xFFFD, U'('}},               // truncated before another character
        {"\xc0\xaf", {0xFFFD, 0xFFFD}},              // overlong lead byte, then a lone continuation
        {"\xed\xa0\x80", {0xFFFD, 0xFFFD, 0xFFFD}},  // a surrogate is not a scalar value
        {"\xf4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},  // beyond U+10FFFF
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scalars(c.utf8), c.expected) << c.utf8;
        EXPECT_EQ(scalar_count(c.utf8), c.expected.size()) << c.utf8;
        std::vector<char32_t> stepped;
        for (std::size_t at = 0; at < c.utf8.size();)
            stepped.push_back(next_scalar(c.utf8, at));
        EXPECT_EQ(stepped, c.expected) << c.utf8;
    }
}

std::string utf8(char32_t c) {
    std::string out;
    append_utf8(out, c);
    return out;
}

// White space has one definition per meaning: the ASCII white space of the ASCII grammars is
// White_Space within ASCII, and white space found in UTF-8 text is White_Space found in its
// scalar values.
TEST(WhiteSpace, ItsThreeViewsAgree) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::string text = utf8(c);
        ASSERT_EQ(white_space_length(text, 0), is_white_space(c) ? text.size() : 0)
            << std::hex << std::uint32_t(c);
        if (c < 0x80) {
            ASSERT_EQ(ascii::is_space(static_cast<char>(c)), is_white_space(c))
                << std::hex << std::uint32_t(c);
        }
    }
}

TEST(WhiteSpace, IsTheUnicodeProperty) {
    const std::pair<char32_t, bool> cases[] = {
        {U' ', true},   {U'\t', true},   {0x0B, true},    {0x1C, false},  // a separator, not space
        {0x85, true},   {0xA0, true},    {0x1680, true},  {0x180E, false},  // no longer space
        {0x200A, true}, {0x200B, false}, {0x200E, false}, {0x2028, true},
        {0x3000, true}, {0xFEFF, false}, {U'a', false},   {0x10FFFF, false},
    };
    for (const auto& [c, white] : cases)
        EXPECT_EQ(is_white_space(c), white) << std::hex << std::uint32_t(c);
}

TEST(WhiteSpace, PatternWhiteSpaceIsItsOwnProperty) {
    const std::pair<char32_t, bool> cases[] = {
        {U' ', true},   {U'\r', true}, {0x85, true},    {0x200E, true},  {0x200F, true},
        {0x2029, true}, {0xA0, false}, {0x3000, false}, {0x200B, false}, {U'x', false},
    };
    for (const auto& [c, white] : cases)
        EXPECT_EQ(is_pattern_white_space(c), white) << std::hex << std::uint32_t(c);
}

// Trimming takes whole characters only, never the end of a longer or ill-formed sequence.
TEST(WhiteSpace, TrimsRemovesAndFindsWholeCharacters) {
    struct Case {
        std::string_view text;
        std::string_view trimmed;
        std::string_view without;
    };
    const Case cases[] = {
        {"", "", ""},
        {" \t\n", "", ""},
        {"\u3000a b\u00a0", "a b", "ab"},
        {"\u2028\u0085x\u205f\u202f", "x", "x"},
        {"a\u200bb", "a\u200bb", "a\u200bb"},                 // zero width space is not White_Space
        {"x\xe3\x80\x80\x80", "x\xe3\x80\x80\x80", "x\x80"},  // a space, then a stray byte
        {"x\x80\x80\x80", "x\x80\x80\x80", "x\x80\x80\x80"},
        {"\xe3\x80", "\xe3\x80", "\xe3\x80"},  // a space cut short
    };
    for (const Case& c : cases) {
        const std::string shown = ::testing::PrintToString(std::string(c.text));
        EXPECT_EQ(trim_white_space(c.text), c.trimmed) << shown;
        EXPECT_EQ(without_white_space(c.text), c.without) << shown;
        EXPECT_EQ(has_white_space(c.text), c.without.size() != c.text.size()) << shown;
    }
}

TEST(CharWidth, GivesTheColumnsATerminalShows) {
    const std::vector<std::pair<char32_t, std::size_t>> cases = {
        {U'a', 1},    {0x00, 1},     {0x2FF, 1},     // below every listed code point
        {0x0300, 0},  {0x036F, 0},   {0x0370, 1},    // combining diacritical marks
        {0x00AD, 1},  {0x200B, 0},   {0x200E, 0},    // soft hyphen; zero width space; Cf
        {0x1100, 2},  {0x115F, 2},   {0x1160, 0},    // Hangul leading, then medial jamo
        {0x11FF, 0},  {0x1200, 1},   {0x4E00, 2},    // end of the jamo; Ethiopic; CJK
        {0xFF01, 2},  {0xFF61, 1},   {0x1F600, 2},   // fullwidth, halfwidth; emoji
        {0xE0001, 0}, {0x10FFFF, 1}, {0x110000, 1},  // tag; last code point; beyond
    };
    for (const auto& [c, width] : cases)
        EXPECT_EQ(char_width(c), width) << std::hex << static_cast<unsigned>(c);
}

}  // namespace
}  // namespace tarnvik::text
