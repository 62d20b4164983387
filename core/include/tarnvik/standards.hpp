#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "tarnvik/pep440.hpp"
#include "tarnvik/span.hpp"

// The library's one door to the packaging standards: versions, specifier lists, requirement
// strings and names. Every operation returns a value and never reports.
namespace tarnvik::standards {

using VersionSet = pep440::VersionSet;

// The failure of a check: the byte range of the checked text that is at fault (relative to the
// text's first byte; absent when the whole text is) and a message without a final full stop.
struct Error {
    std::optional<Span> span;
    std::string message;
    friend bool operator==(const Error&, const Error&) = default;
};

// Nothing when the text, untrimmed, is a valid version.
std::optional<Error> check_version(std::string_view text);

// The PEP 503 normal form of a package, extra or group name: lower case, every run of `-`, `_`
// and `.` turned into one `-`.
std::variant<std::string, Error> normalize_name(std::string_view name);

// The same for a caller that needs no reason: nothing when the name is invalid.
std::optional<std::string> normalized_name(std::string_view name);

// Whether the text, valid name or not, reads as `normal` in normal form; nothing is allocated.
bool has_normal_form(std::string_view name, std::string_view normal);

// Nothing when the text is a non-empty, comma-separated list of valid specifiers; the error's
// span is the failing specifier, trimmed.
std::optional<Error> check_specifiers(std::string_view text);

// The versions that a version (trimmed; as `==`) or a specifier list allows.
std::variant<VersionSet, Error> allowed_versions(std::string_view text);

// Nothing when the text is a valid PEP 508 requirement; the error has a span.
std::optional<Error> check_requirement(std::string_view text);

// The requirement's package name in normal form, or nothing when the text is not a requirement.
std::optional<std::string> requirement_name(std::string_view text);

struct RequiredVersions {
    std::string name;                    // normal form
    std::optional<VersionSet> versions;  // absent when the requirement has no specifier
};

// Nothing for an invalid requirement or one that names a URL.
std::optional<RequiredVersions> required_versions(std::string_view text);

// The same, only for a requirement on `package` (a name in normal form): a text that names
// another package is passed over without being parsed.
std::optional<RequiredVersions> required_versions(std::string_view text, std::string_view package);

// Nothing when the text is not a valid specifier list; else whether it admits some release of
// major.minor (pre-, post-, development and local parts of the specifiers ignored).
std::optional<bool> allows_python_minor(std::string_view specifiers, std::uint64_t major,
                                        std::uint64_t minor);

}  // namespace tarnvik::standards
