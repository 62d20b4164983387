#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "license/spdx_lexer.hpp"

namespace tarnvik::license::spdx {

// Parses in the check's mode: `+` after a GNU id and deprecated ids are accepted, `/` and
// imprecise names are not. Gives the first failure from the left, or nothing.
std::optional<Failure> parse(std::string_view text);

// The wording of a parse failure.
std::string describe(const Failure& failure, std::string_view text);

// The canonical form of the expression: nothing when it is already canonical or cannot be read.
std::optional<std::string> canonicalize(std::string_view text);

}  // namespace tarnvik::license::spdx
