#include "unicode.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarnvik::unicode {
namespace {

TEST(UnicodeTables, AreSortedDisjointAndNotAdjacent) {
    for (std::span<const Range> table : {ALPHABETIC, NUMERIC, WIDE, ZERO_WIDTH}) {
        ASSERT_FALSE(table.empty());
        for (std::size_t i = 0; i < table.size(); ++i)
            EXPECT_LE(table[i].first, table[i].last);
        for (std::size_t i = 1; i < table.size(); ++i) {
            EXPECT_GT(table[i].first, table[i - 1].last + 1) << i;
        }
        EXPECT_LE(table.back().last, char32_t{0x10FFFF});
    }
}

TEST(UnicodeProperties, ClassifyCharacters) {
    struct Case {
        char32_t c;
        bool alphabetic;
        bool numeric;
    };
    const Case cases[] =
        {
            {U'a', true, false},   {U'Z', true, false},      {U'0', false, true},
            {U'_', false, false},  {U'-', false, false},     {U'.', false, false},
            {U'é', true, false},   {U'ß', true, false},      {U'Ж', true, false},
            {U'中', true, false},   // inside a range the database gives as First/Last rows
            {0x4DBF, true, false},  // last of CJK Extension A
            {U'٣', false, true},    // Arabic-Indic digit three, Nd
            {U'Ⅻ', true, true},     // Roman numeral twelve, Nl and Alphabetic
            {U'½', false, true},    // vulgar fraction, No
            {U'²', false, true},    // superscript two, No
            {0x0345, true, false},  // combining ypogegrammeni: Alphabetic though a mark
            {U'€', false, false},  {0x10FFFF, false, false}, {0, false, false},
        };
    for (const Case& c : cases) {
        EXPECT_EQ(is_alphabetic(c.c), c.alphabetic) << std::hex << std::uint32_t(c.c);
        EXPECT_EQ(is_numeric(c.c), c.numeric) << std::hex << std::uint32_t(c.c);
    }
}

TEST(UnicodeScalars, DecodeAndReplaceIllFormedSequences) {
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
    }
}

}  // namespace
}  // namespace tarnvik::unicode
