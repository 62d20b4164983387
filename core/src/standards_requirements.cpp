// The requirement operations of `standards`, on the PEP 508 parser.
#include <algorithm>

#include "ascii.hpp"
#include "pep508.hpp"
#include "pep508/cursor.hpp"
#include "tarnvik/standards.hpp"

namespace tarnvik::standards {
namespace {

// The valid name of a parsed requirement in normal form.
std::string normal_name(const pep508::Requirement& requirement) {
    return std::get<std::string>(normalize_name(requirement.name));
}

// Whether the name at the start of a requirement (after blanks) reads as `package` in normal
// form: letters compared without case, each run of `-`, `_` and `.` as one `-`. A requirement
// whose name differs from the package cannot be on it, whatever follows the name.
bool may_name(std::string_view text, std::string_view package) {
    std::size_t start = 0;
    while (start < text.size() && ascii::is_space(text[start]))
        ++start;
    std::size_t end = start;
    while (end < text.size() && pep508::detail::is_name_char(text[end]))
        ++end;
    const std::string_view name = text.substr(start, end - start);
    std::size_t at = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = ascii::to_lower(name[i]);
        if (c == '_' || c == '.' || c == '-') {
            if (i > 0 && (name[i - 1] == '-' || name[i - 1] == '_' || name[i - 1] == '.')) continue;
            c = '-';
        }
        if (at == package.size() || package[at] != c) return false;
        ++at;
    }
    return at == package.size();
}

}  // namespace

std::optional<Error> check_requirement(std::string_view text) {
    auto parsed = pep508::parse_requirement(text);
    const auto* error = std::get_if<pep508::Error>(&parsed);
    if (!error) return std::nullopt;
    std::size_t start = std::min(error->offset, text.size());
    std::size_t end = std::min(text.size(), start + error->length);
    return Error{Span{start, end}, error->message};
}

std::optional<std::string> requirement_name(std::string_view text) {
    auto parsed = pep508::parse_requirement(text);
    const auto* requirement = std::get_if<pep508::Requirement>(&parsed);
    if (!requirement) return std::nullopt;
    return normal_name(*requirement);
}

std::optional<RequiredVersions> required_versions(std::string_view text) {
    auto parsed = pep508::parse_requirement(text);
    const auto* requirement = std::get_if<pep508::Requirement>(&parsed);
    if (!requirement || requirement->url) return std::nullopt;
    RequiredVersions required{normal_name(*requirement), std::nullopt};
    if (!requirement->specifiers.empty()) {
        required.versions = pep440::to_version_set(requirement->specifiers);
    }
    return required;
}

std::optional<RequiredVersions> required_versions(std::string_view text, std::string_view package) {
    if (!may_name(text, package)) return std::nullopt;
    std::optional<RequiredVersions> required = required_versions(text);
    if (!required || required->name != package) return std::nullopt;
    return required;
}

}  // namespace tarnvik::standards
