#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "tarnvik/utf8.hpp"

namespace tarnvik {
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

}  // namespace
}  // namespace tarnvik
