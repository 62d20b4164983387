#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "tarnvik/span.hpp"

// The PEP 639 license metadata checks: license-file glob patterns and SPDX license expressions.
namespace tarnvik::license {

// Why a `license-files` pattern is refused, or nothing when it is acceptable.
std::optional<std::string_view> check_glob_pattern(std::string_view pattern);

namespace license_check {

// The expression does not parse. `span` is a byte range of the expression; `canonical` is a
// correction that itself parses, when one is known.
struct Invalid {
    Span span;
    std::string message;
    std::optional<std::string> canonical;
    friend bool operator==(const Invalid&, const Invalid&) = default;
};

// The expression parses and is written as its canonical form (white space aside).
struct Canonical {
    friend bool operator==(const Canonical&, const Canonical&) = default;
};

// The canonical form differs from the expression only in letter case and white space.
struct CaseDiffers {
    std::string canonical;
    friend bool operator==(const CaseDiffers&, const CaseDiffers&) = default;
};

// The expression parses, but its canonical form changes an identifier.
struct NotCanonical {
    std::string canonical;
    friend bool operator==(const NotCanonical&, const NotCanonical&) = default;
};

}  // namespace license_check

using LicenseCheck = std::variant<license_check::Invalid, license_check::Canonical,
                                  license_check::CaseDiffers, license_check::NotCanonical>;

// Judges one SPDX license expression of `project.license` and finds its canonical form.
LicenseCheck check_license_expression(std::string_view expression);

}  // namespace tarnvik::license
