#include "plain_text.hpp"

#include <gtest/gtest.h>

namespace tarnvik::cli {
namespace {

// Escape sequences of every kind go whole, control characters but white space go, and
// everything else (UTF-8 included) stays as it was.
TEST(WithoutEscapes, RemovesSequencesAndControlCharacters) {
    using namespace std::literals;
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", ""},
        {"plain `text`\n\tnext\r\n", "plain `text`\n\tnext\r\n"},
        {"caf\xc3\xa9 \xe4\xb8\x96", "caf\xc3\xa9 \xe4\xb8\x96"},
        {"a\x1b[31mred\x1b[0m b", "ared b"},
        {"\x1b[1m\x1b[91merror\x1b[0m", "error"},
        {"a\x1b[?25lb", "ab"},
        {"a\x1b]0;title\x07"
         "b",
         "ab"},
        {"a\x1b]8;;http://x\x1b\\link\x1b]8;;\x1b\\b", "alinkb"},
        {"a\x1bPdata\x1b\\b", "ab"},
        {"a\x1b"
         "cb",
         "ab"},
        {"a\x1b(Bb", "ab"},
        {"a\x1b", "a"},
        {"a\x1b\nb", "a\nb"},
        {"a\x1b[31", "a"},
        {"a\x07\x08\x7f\x0b\x00z"sv, "az"},
        {"a\x0c"
         "b",
         "a\x0c"
         "b"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(without_escapes(text), expected) << text;
    }
}

}  // namespace
}  // namespace tarnvik::cli

namespace tarnvik::cli {
namespace {

// What reaches standard error: line ends stay, tabs become four spaces, other control
// characters show as their pictures, C1 controls, text direction controls and ill-formed UTF-8
// as U+FFFD.
TEST(VisibleControls, ShowsEveryControlCharacter) {
    using namespace std::literals;
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", ""},
        {"plain `text`\n\tnext\n", "plain `text`\n    next\n"},
        {"caf\xc3\xa9 \xe4\xb8\x96", "caf\xc3\xa9 \xe4\xb8\x96"},
        {"a\x1b[31mb", "a\xe2\x90\x9b[31mb"},
        {"\x1b]0;t\x07", "\xe2\x90\x9b]0;t\xe2\x90\x87"},
        {"a\rb\x00\x7f"sv,
         "a\xe2\x90\x8d"
         "b\xe2\x90\x80\xe2\x90\xa1"},
        {"\xc2\x9b"
         "31m",
         "\xef\xbf\xbd"
         "31m"},
        {"\x9b"
         "31m\xff",
         "\xef\xbf\xbd"
         "31m\xef\xbf\xbd"},
        {"x\xe2\x80\xaey\xe2\x81\xa6", "x\xef\xbf\xbdy\xef\xbf\xbd"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(visible_controls(text), expected) << text;
    }
}

}  // namespace
}  // namespace tarnvik::cli
