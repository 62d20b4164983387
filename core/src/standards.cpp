#include "tarnvik/standards.hpp"

namespace tarnvik::standards {
namespace {

bool is_ascii_alphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_name_separator(char c) {
    return c == '-' || c == '_' || c == '.';
}

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool is_valid_name(std::string_view name) {
    if (name.empty() || !is_ascii_alphanumeric(name.front()) ||
        !is_ascii_alphanumeric(name.back())) {
        return false;
    }
    for (char c : name) {
        if (!is_ascii_alphanumeric(c) && !is_name_separator(c)) return false;
    }
    return true;
}

}  // namespace

std::variant<std::string, Error> normalize_name(std::string_view name) {
    if (name.empty()) return Error{std::nullopt, "empty name"};
    if (!is_valid_name(name)) {
        return Error{std::nullopt,
                     "invalid name `" + std::string(name) +
                         "`: a name must start and end with a letter or digit and contain only "
                         "letters, digits, `-`, `_` and `.`"};
    }
    std::string normal;
    normal.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (!is_name_separator(name[i])) {
            normal.push_back(ascii_lower(name[i]));
        } else if (!is_name_separator(name[i - 1])) {
            normal.push_back('-');  // one `-` for a whole run; a name never starts with one
        }
    }
    return normal;
}

}  // namespace tarnvik::standards
