#include "tarnvik/char_width.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tarnvik {
namespace {

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
}  // namespace tarnvik
