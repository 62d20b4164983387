#include "toml/scalar.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>

#include "ascii.hpp"

namespace tarnvik::toml {

namespace {

constexpr std::string_view BAD_NUMBER = "invalid number";
constexpr std::string_view BAD_DATETIME = "invalid datetime";
constexpr std::string_view UNQUOTED = "string values must be quoted";

using ascii::is_digit;

bool is_radix_digit(char c, int radix) {
    if (radix == 16) return is_digit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
    return c >= '0' && c < '0' + radix;
}

// Digits of the radix with single underscores between them, from i; returns the end, or npos
// when there is no digit or an underscore is misplaced.
std::size_t digit_run(std::string_view s, std::size_t i, int radix) {
    if (i >= s.size() || !is_radix_digit(s[i], radix)) return std::string_view::npos;
    ++i;
    while (i < s.size()) {
        if (s[i] == '_') {
            if (i + 1 >= s.size() || !is_radix_digit(s[i + 1], radix)) {
                return std::string_view::npos;
            }
            i += 2;
        } else if (is_radix_digit(s[i], radix)) {
            ++i;
        } else {
            break;
        }
    }
    return i;
}

Classified invalid(std::string_view error) {
    return {ScalarKind::Invalid, 10, error};
}

Classified prefixed_integer(std::string_view s) {
    const int radix = s[1] == 'x' ? 16 : s[1] == 'o' ? 8 : 2;
    if (digit_run(s, 2, radix) != s.size()) return invalid(BAD_NUMBER);
    return {ScalarKind::Integer, radix, {}};
}

Classified decimal(std::string_view s) {
    std::size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    const std::size_t int_start = i;
    i = digit_run(s, i, 10);
    if (i == std::string_view::npos) return invalid(BAD_NUMBER);
    if (s[int_start] == '0' && i > int_start + 1) return invalid(BAD_NUMBER);  // leading zero
    if (i == s.size()) return {ScalarKind::Integer, 10, {}};
    if (s[i] == '.') {
        i = digit_run(s, i + 1, 10);
        if (i == std::string_view::npos) return invalid(BAD_NUMBER);
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        i = digit_run(s, i, 10);
        if (i == std::string_view::npos) return invalid(BAD_NUMBER);
    }
    if (i != s.size()) return invalid(BAD_NUMBER);
    return {ScalarKind::Float, 10, {}};
}

// Two digits at i with a value of at most max.
bool two_digits(std::string_view s, std::size_t i, int min, int max) {
    if (i + 2 > s.size() || !is_digit(s[i]) || !is_digit(s[i + 1])) return false;
    const int value = (s[i] - '0') * 10 + (s[i + 1] - '0');
    return value >= min && value <= max;
}

int days_in_month(int year, int month) {
    static constexpr int DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : DAYS[month - 1];
}

bool full_date(std::string_view s) {
    if (s.size() < 10 || s[4] != '-' || s[7] != '-') return false;
    int year = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        if (!is_digit(s[i])) return false;
        year = year * 10 + (s[i] - '0');
    }
    if (!two_digits(s, 5, 1, 12)) return false;
    const int month = (s[5] - '0') * 10 + (s[6] - '0');
    return two_digits(s, 8, 1, days_in_month(year, month));
}

// HH:MM with optional :SS and fraction (seconds are optional since TOML 1.1); returns the end
// or npos.
std::size_t partial_time(std::string_view s, std::size_t i) {
    if (!two_digits(s, i, 0, 23) || i + 2 >= s.size() || s[i + 2] != ':')
        return std::string_view::npos;
    if (!two_digits(s, i + 3, 0, 59)) return std::string_view::npos;
    i += 5;
    if (i >= s.size() || s[i] != ':') return i;
    if (!two_digits(s, i + 1, 0, 60)) return std::string_view::npos;
    i += 3;
    if (i < s.size() && s[i] == '.') {
        const std::size_t start = ++i;
        while (i < s.size() && is_digit(s[i]))
            ++i;
        if (i == start) return std::string_view::npos;
    }
    return i;
}

bool offset(std::string_view s, std::size_t i) {
    if (i == s.size()) return true;
    if (s[i] == 'Z' || s[i] == 'z') return i + 1 == s.size();
    if (s[i] != '+' && s[i] != '-') return false;
    return s.size() == i + 6 && two_digits(s, i + 1, 0, 23) && s[i + 3] == ':' &&
           two_digits(s, i + 4, 0, 59);
}

Classified datetime(std::string_view s) {
    if (s.size() > 2 && s[2] == ':') {
        return partial_time(s, 0) == s.size() ? Classified{ScalarKind::Datetime, 10, {}}
                                              : invalid(BAD_DATETIME);
    }
    if (!full_date(s)) return invalid(BAD_DATETIME);
    if (s.size() == 10) return {ScalarKind::Datetime, 10, {}};
    const char sep = s[10];
    if (sep != 'T' && sep != 't' && sep != ' ') return invalid(BAD_DATETIME);
    const std::size_t end = partial_time(s, 11);
    if (end == std::string_view::npos || !offset(s, end)) return invalid(BAD_DATETIME);
    return {ScalarKind::Datetime, 10, {}};
}

// A date starts with four digits and a hyphen (`123e-5` is a float), a time has a colon third.
bool looks_like_datetime(std::string_view s) {
    const bool year = s.size() > 4 && std::all_of(s.begin(), s.begin() + 4, is_digit);
    return (year && s[4] == '-') || (s.size() > 2 && s[2] == ':');
}

}  // namespace

Classified classify(std::string_view s) {
    if (s == "true" || s == "false") return {ScalarKind::Boolean, 10, {}};
    const std::string_view unsigned_part =
        !s.empty() && (s[0] == '+' || s[0] == '-') ? s.substr(1) : s;
    if (unsigned_part == "inf" || unsigned_part == "nan") return {ScalarKind::Float, 10, {}};
    if (unsigned_part.empty() || !is_digit(unsigned_part[0])) {
        return invalid(unsigned_part.empty() || s.size() != unsigned_part.size() ? BAD_NUMBER
                                                                                 : UNQUOTED);
    }
    if (looks_like_datetime(s)) return datetime(s);
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'o' || s[1] == 'b')) {
        return prefixed_integer(s);
    }
    return decimal(s);
}

std::string integer_digits(std::string_view atom, int radix) {
    std::string digits;
    digits.reserve(atom.size());
    std::size_t i = radix == 10 ? 0 : 2;
    for (; i < atom.size(); ++i) {
        if (atom[i] != '_' && atom[i] != '+') digits += atom[i];
    }
    return digits;
}

double float_value(std::string_view atom) {
    const bool negative = !atom.empty() && atom[0] == '-';
    const std::string_view unsigned_part =
        !atom.empty() && (atom[0] == '+' || atom[0] == '-') ? atom.substr(1) : atom;
    if (unsigned_part == "inf") {
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    }
    if (unsigned_part == "nan") {
        return negative ? -std::numeric_limits<double>::quiet_NaN()
                        : std::numeric_limits<double>::quiet_NaN();
    }
    char buffer[128];
    std::size_t n = 0;
    std::string owned;
    char* out = buffer;
    if (atom.size() >= sizeof buffer) {
        owned.resize(atom.size());
        out = owned.data();
    }
    for (char c : atom) {
        if (c != '_' && c != '+') out[n++] = c;
        if (c == '+' && n > 0) out[n++] = c;  // an exponent's sign stays
    }
    double value = 0;
    if (std::from_chars(out, out + n, value).ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: strtod gives infinity or zero, as TOML readers do.
        value = std::strtod(std::string(out, n).c_str(), nullptr);
    }
    return value;
}

}  // namespace tarnvik::toml
