#pragma once

#include <string_view>

#include "tarnvik/pep440.hpp"

namespace tarnvik::pep440 {

// A version that may end in the wildcard `.*` right after its release numbers, as `==` and `!=`
// take it; `wildcard` tells whether it did.
struct VersionPattern {
    Version version;
    bool wildcard = false;
};

Result<VersionPattern> parse_version_pattern(std::string_view text);

}  // namespace tarnvik::pep440
