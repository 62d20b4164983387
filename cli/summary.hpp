#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tarnvik/diagnostic.hpp"

namespace tarnvik::cli {

// "1 problem", "2 problems", "1 fix", "3 fixes".
std::string count_phrase(std::size_t count, std::string_view noun, std::string_view plural);

// "{count} {is|are} fixable with `{flags}`".
std::string fixable_hint(std::size_t count, std::string_view flags);

// "All checks passed!", "Found 1 error.", "Found 2 errors and 1 warning." or "Found 3 warnings."
std::string summary_line(const std::vector<Diagnostic>& diagnostics);

// How many of the diagnostics `--fix` (with or without `--unsafe-fixes`) would repair; none
// when nothing is fixable, or when the file is not valid TOML (an `invalid-toml` diagnostic),
// which `--fix` leaves as it is.
std::optional<std::string> fix_hint_line(const std::vector<Diagnostic>& diagnostics,
                                         bool unsafe_fixes);

}  // namespace tarnvik::cli
