#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Unquoted values: numbers, booleans, dates and times, told apart and checked from their text.
namespace tarnvik::toml {

enum class ScalarKind : std::uint8_t { String, Integer, Float, Boolean, Datetime, Invalid };

struct Classified {
    ScalarKind kind = ScalarKind::Invalid;
    int radix = 10;          // integers only
    std::string_view error;  // Invalid only
};

Classified classify(std::string_view atom);

// A valid integer's sign and digits, without radix prefix and underscores.
std::string integer_digits(std::string_view atom, int radix);

// A valid float's value.
double float_value(std::string_view atom);

}  // namespace tarnvik::toml
