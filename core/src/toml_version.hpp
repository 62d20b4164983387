#pragma once

#include <string_view>
#include <vector>

#include "tarnvik/diagnostic.hpp"

namespace tarnvik::toml_version {

// Warnings for syntax that TOML 1.1 accepts and TOML 1.0 does not; runs on text that parsed
// cleanly.
std::vector<Diagnostic> check_toml_1_1_syntax(std::string_view text);

}  // namespace tarnvik::toml_version
