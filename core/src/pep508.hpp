#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tarnvik/pep440.hpp"

// PEP 508 requirement strings: `name [extras] (specifiers | @ url) ; marker`.
namespace tarnvik::pep508 {

// A parse failure: a short lower-case message and the stretch of the parsed text it concerns,
// never past the text's end (an empty stretch at the end means "found the end").
struct Error {
    std::string message;
    std::size_t offset = 0;
    std::size_t length = 0;
    friend bool operator==(const Error&, const Error&) = default;
};

// A parsed requirement; the views point into the parsed text.
struct Requirement {
    std::string_view name;                      // as written
    std::vector<std::string_view> extras;       // as written
    std::vector<pep440::Specifier> specifiers;  // empty without a version part
    std::optional<std::string_view> url;        // a direct reference, `name @ url`
    std::optional<std::string_view> marker;     // the environment marker after `;`, checked
};

std::variant<Requirement, Error> parse_requirement(std::string_view text);

}  // namespace tarnvik::pep508
