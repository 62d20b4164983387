#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "license.hpp"

namespace tarnvik::license {
namespace {

constexpr std::string_view PARENT = "patterns cannot contain `..`";
constexpr std::string_view ABSOLUTE = "patterns must be relative and cannot start with `/`";
constexpr std::string_view CHARACTERS =
    "patterns may only contain letters, digits, spaces, `_`, `-`, `.`, `/`, `*`, `?`, `[`, and "
    "`]`";

TEST(GlobPattern, JudgesEachPattern) {
    const std::vector<std::pair<std::string, std::optional<std::string_view>>> cases = {
        {"LICENSE", std::nullopt},
        {"LICENSES/*", std::nullopt},
        {"licenses/**/*.txt", std::nullopt},
        {"docs/LICENSE [a-z]?", std::nullopt},
        {"LICENCIA_ÑANDÚ", std::nullopt},
        {"LICENSE٣", std::nullopt},  // a non-ASCII digit
        {"[", std::nullopt},         // brackets need not balance
        {"../LICENSE", PARENT},
        {"a/..b", PARENT},
        {"/../x", PARENT},
        {"C:\\..", PARENT},
        {"/LICENSE", ABSOLUTE},
        {"C:\\LICENSE", ABSOLUTE},
        {"", CHARACTERS},
        {"LICENSE{,.txt}", CHARACTERS},
        {"LICENSE!", CHARACTERS},
        {"a\\b", CHARACTERS},
        {"~/x", CHARACTERS},
        {"LICENSE\t", CHARACTERS},
        {"LICENSE\xff", CHARACTERS},
        {"LICENSE\u00a0", CHARACTERS},
    };
    for (const auto& [pattern, reason] : cases)
        EXPECT_EQ(check_glob_pattern(pattern), reason) << "pattern: " << pattern;
}

}  // namespace
}  // namespace tarnvik::license
