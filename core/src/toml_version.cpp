#include "tarnvik/toml_version.hpp"

namespace tarnvik::toml_version {

// Placeholder until the TOML 1.1 detector lands.
std::vector<Diagnostic> check_toml_1_1_syntax(std::string_view /*text*/) {
    return {};
}

}  // namespace tarnvik::toml_version
