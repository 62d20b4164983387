#include <algorithm>

#include "knowledge/unicode.hpp"
#include "tarnvik/license.hpp"
#include "tarnvik/text.hpp"

namespace tarnvik::standards {

namespace {

constexpr std::string_view PARENT = "patterns cannot contain `..`";
constexpr std::string_view ABSOLUTE = "patterns must be relative and cannot start with `/`";
constexpr std::string_view CHARACTERS =
    "patterns may only contain letters, digits, spaces, `_`, `-`, `.`, `/`, `*`, `?`, `[`, and "
    "`]`";

constexpr std::u32string_view PUNCTUATION = U" _-./*?[]";

bool is_allowed(char32_t c) {
    return unicode::is_alphabetic(c) || unicode::is_numeric(c) ||
           PUNCTUATION.find(c) != std::u32string_view::npos;
}

}  // namespace

std::optional<std::string_view> check_glob_pattern(std::string_view pattern) {
    if (pattern.find("..") != std::string_view::npos) return PARENT;
    if (pattern.starts_with('/') || pattern.find(":\\") != std::string_view::npos) return ABSOLUTE;
    std::vector<char32_t> scalars = text::scalars(pattern);
    if (scalars.empty() || !std::all_of(scalars.begin(), scalars.end(), is_allowed))
        return CHARACTERS;
    return std::nullopt;
}

}  // namespace tarnvik::standards
