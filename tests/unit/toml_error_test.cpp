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
         "TOML parse error at line 2, column 1\n  |\n2 | \"\xC3\xA9\" = 2\n  | ^^^^\n"
         "duplicate key `\"\xC3\xA9\"`\n"},
        {"a = \"\xC3\xA9\", b = 1",
         {"expected a newline", {8, 9}},
         "TOML parse error at line 1, column 8\n  |\n1 | a = \"\xC3\xA9\", b = 1\n  |        ^\n"
         "expected a newline\n"},
        {"x = 12ab",
         {"invalid number", {4, 8}},
         "TOML parse error at line 1, column 5\n  |\n1 | x = 12ab\n  |     ^^^^\ninvalid number\n"},
        {"", {"m", {0, 0}}, "TOML parse error at line 1, column 1\n  |\n1 | \n  | ^\nm\n"},
        // The line is quoted as written: trailing blanks stay, a CRLF line end does not.
        {"name = \t \nx = 1\n",
         {"missing value", {6, 6}},
         "TOML parse error at line 1, column 7\n  |\n1 | name = \t \n  |       ^\nmissing value\n"},
        {"a = 1\r\nname =  \r\n",
         {"missing value", {14, 14}},
         "TOML parse error at line 2, column 8\n  |\n2 | name =  \n  |        ^\nmissing value\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(toml_error_display(c.text, c.error), c.expected) << c.text;
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
