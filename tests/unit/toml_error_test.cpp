#include "toml_error.hpp"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "lock_loader.hpp"

namespace tarnvik::cli {
namespace {

TEST(TomlErrorDisplay, NamesLineAndColumnAndUnderlinesTheSpan) {
    struct Case {
        std::string text;
        parse::ParseError error;
        std::string expected;
    };
    const Case cases[] = {
        {"a = 1\nb = @\n",
         {"expected a value", {10, 11}},
         "TOML parse error at line 2, column 5\n  |\n2 | b = @\n  |     ^\nexpected a value\n"},
        {"name =",
         {"missing value", {6, 6}},
         "TOML parse error at line 1, column 7\n  |\n1 | name =\n  |       ^\nmissing value\n"},
        {"\"\xC3\xA9\" = 1\n\"\xC3\xA9\" = 2",
         {"duplicate key `\"\xC3\xA9\"`", {9, 13}},
         "TOML parse error at line 2, column 1\n  |\n2 | \"\xC3\xA9\" = 2\n  | ^^^\n"
         "duplicate key `\"\xC3\xA9\"`\n"},
        {"a = \"\xC3\xA9\", b = 1",
         {"expected a newline", {8, 9}},
         "TOML parse error at line 1, column 8\n  |\n1 | a = \"\xC3\xA9\", b = 1\n  |        ^\n"
         "expected a newline\n"},
        {"x = 12ab",
         {"invalid number", {4, 8}},
         "TOML parse error at line 1, column 5\n  |\n1 | x = 12ab\n  |     ^^^^\ninvalid number\n"},
        {"", {"m", {0, 0}}, "TOML parse error at line 1, column 1\n  |\n1 | \n  | ^\nm\n"},
        // The line is quoted as drawn: trailing blanks stay, a tab takes four columns, a
        // CRLF line end is dropped; the marks count columns.
        {"name = \t \nx = 1\n",
         {"missing value", {6, 6}},
         "TOML parse error at line 1, column 7\n  |\n1 | name =      \n  |       ^\nmissing value\n"},
        {"a = \"\t\xe4\xb8\xad\x01\"",
         {"control character in string", {8, 9}},
         "TOML parse error at line 1, column 8\n  |\n1 | a = \"    \xe4\xb8\xad\xe2\x90\x81\"\n"
         "  |            ^\ncontrol character in string\n"},
        {"a = 1\r\nname =  \r\n",
         {"missing value", {14, 14}},
         "TOML parse error at line 2, column 8\n  |\n2 | name =  \n  |        ^\nmissing value\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(toml_error_display(c.text, c.error), c.expected) << c.text;
}

std::string repeated(std::string_view piece, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += piece;
    return out;
}

// A long line is cut to the window a snippet shows of it, "..." where it is cut, and a message
// that quotes the line keeps its ends around "...".
TEST(TomlErrorDisplay, CutsLongLinesAroundTheError) {
    struct Case {
        std::string name;
        std::string text;
        parse::ParseError error;
        std::string expected;
    };
    const std::string key(5000, 'k');
    const std::string WIDE = "\xe6\x97\xa5";  // two columns
    const Case cases[] = {
        {"zero bytes",
         std::string(100000, '\0'),
         {"invalid key", {0, 1}},
         "TOML parse error at line 1, column 1\n  |\n1 | " + repeated("\xe2\x90\x80", 133) +
             "...\n  | ^\ninvalid key\n"},
        {"error mid-line",
         "x = " + std::string(1000, 'a') + "@" + std::string(1000, 'b') + "\n",
         {"expected a value", {1004, 1005}},
         "TOML parse error at line 1, column 1005\n  |\n1 | ..." + std::string(64, 'a') + "@" +
             std::string(60, 'b') + "...\n  |" + std::string(68, ' ') + "^\nexpected a value\n"},
        {"long span",
         "v = " + std::string(500, '1') + "x\n",
         {"invalid number", {4, 505}},
         "TOML parse error at line 1, column 5\n  |\n1 | v = " + std::string(133, '1') +
             "...\n  |     " + std::string(136, '^') + "\ninvalid number\n"},
        {"duplicate long key",
         key + " = 1\n" + key + " = 2\n",
         {"duplicate key `" + key + "`", {5005, 10005}},
         "TOML parse error at line 2, column 1\n  |\n2 | " + std::string(133, 'k') + "...\n  | " +
             std::string(136, '^') + "\nduplicate key `" + std::string(30, 'k') + "..." +
             std::string(44, 'k') + "`\n"},
        // "..." takes three columns whatever it covers: the marks stand under the text as it is
        // shown, here where the cuts fall in wide characters, and in a mix of widths (a
        // combining mark, a tab shown as four spaces).
        {"wide characters",
         "x = \"" + repeated(WIDE, 200) + "\" junk " + repeated(WIDE, 200) + "\n",
         {"expected a newline", {607, 611}},
         "TOML parse error at line 1, column 208\n  |\n1 | ..." + repeated(WIDE, 29) + "\" junk " +
             repeated(WIDE, 27) + "...\n  |" + std::string(64, ' ') + "^^^^\nexpected a newline\n"},
        {"mixed widths",
         "x = \"" + repeated(WIDE + "a\xcc\x81\t" + WIDE, 50) + "\" @ " +
             repeated(WIDE + "a\xcc\x81\t", 50) + "\n",
         {"expected a newline", {507, 508}},
         "TOML parse error at line 1, column 258\n  |\n1 | ...\xcc\x81    " +
             repeated(WIDE + WIDE + "a\xcc\x81    ", 6) + WIDE + "\" @ " +
             repeated(WIDE + "a\xcc\x81    ", 8) + "...\n  |" + std::string(66, ' ') +
             "^\nexpected a newline\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(toml_error_display(c.text, c.error), c.expected) << c.name;
}

// Whatever one line of a broken file holds, the display stays a few short lines.
TEST(TomlErrorDisplay, StaysShortOnHostileLines) {
    const std::string_view pieces[] = {
        "\0", " ", "\t", "\xe2\x80\x8b", "\xef\xbb\xbf", "\xe3\x80\x80", "\x1b[31m"};
    for (std::string_view piece : pieces) {
        const std::string half = repeated(piece, 50000);
        const std::string text = half + "@" + half;
        for (std::size_t at : {std::size_t{0}, half.size(), text.size()}) {
            const std::string display = toml_error_display(text, {"m", {at, at + half.size() + 1}});
            EXPECT_LT(display.size(), 2000u) << testing::PrintToString(std::string(piece)) << at;
        }
    }
}

TEST(LoadLockText, TomlErrorGivesItsDisplay) {
    const std::string text = "[[package]]\nname = \n";
    auto loaded = load_lock_text(LockKind::UvLock, "uv.lock", text);
    const auto* display = std::get_if<std::string>(&loaded);
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(
        *display,
        "TOML parse error at line 2, column 8\n  |\n2 | name = \n  |        ^\nmissing value\n");
}

}  // namespace
}  // namespace tarnvik::cli
