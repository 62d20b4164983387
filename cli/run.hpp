#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnvik::cli {

// One run of `tarnvik check`: finds and reads the project file and its lock, checks or fixes
// it, writes the fixed file back, prints the diagnostics, the summary and the fix hint.
// Returns 0, 1 when an error remains, or 2 on a fatal failure.
std::uint8_t run_check(std::optional<std::string> path, bool fix, bool unsafe_fixes);

}  // namespace tarnvik::cli
