// The requirement operations of `standards`, on the PEP 508 parser.
#include <algorithm>

#include "pep508.hpp"
#include "pep508/cursor.hpp"
#include "tarnvik/standards.hpp"

namespace tarnvik::standards {
namespace {

// The valid name of a parsed requirement in normal form.
std::string normal_name(const pep508::Requirement& requirement) {
    return std::get<std::string>(normalize_name(requirement.name));
}

// Whether the name at the start of a requirement (after blanks) is `package` in normal form. A
// requirement whose name differs cannot be on the package, whatever follows the name.
bool may_name(std::string_view text, std::string_view package) {
    pep508::detail::Cursor cursor{text};
    cursor.skip_space();
    return has_normal_form(cursor.take_while(pep508::detail::is_name_char), package);
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
