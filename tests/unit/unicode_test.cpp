#include "knowledge/unicode.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>

#include "knowledge/char_width.hpp"

namespace tarnvik::unicode {
namespace {

TEST(UnicodeTables, AreSortedDisjointAndNotAdjacent) {
    const std::span<const Range> tables[] = {ALPHABETIC,       NUMERIC,
                                             WHITE_SPACE,      PATTERN_WHITE_SPACE,
                                             char_width::WIDE, char_width::ZERO_WIDTH};
    for (std::span<const Range> table : tables) {
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

}  // namespace
}  // namespace tarnvik::unicode
