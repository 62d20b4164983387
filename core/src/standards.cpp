#include "tarnvik/standards.hpp"

#include <fmt/format.h>

#include <limits>

#include "ascii.hpp"
#include "text/white_space.hpp"

namespace tarnvik::standards {
namespace {

bool is_name_separator(char c) {
    return c == '-' || c == '_' || c == '.';
}

// Hands each character of the name's normal form to `put` (lower case, one `-` for each run of
// `-`, `_` and `.`) until it returns false; false when it did.
template <class Put>
bool put_normal_form(std::string_view name, Put put) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (!is_name_separator(name[i])) {
            if (!put(ascii::to_lower(name[i]))) return false;
        } else if (i == 0 || !is_name_separator(name[i - 1])) {
            if (!put('-')) return false;
        }
    }
    return true;
}

bool is_valid_name(std::string_view name) {
    if (name.empty() || !ascii::is_alphanumeric(name.front()) ||
        !ascii::is_alphanumeric(name.back())) {
        return false;
    }
    for (char c : name) {
        if (!ascii::is_alphanumeric(c) && !is_name_separator(c)) return false;
    }
    return true;
}

// Every comma-separated specifier of the text; the error spans the first failing one, trimmed.
std::variant<std::vector<pep440::Specifier>, Error> parse_specifier_list(std::string_view text) {
    if (text::trim_white_space(text).empty()) {
        return Error{std::nullopt, "expected at least one version specifier"};
    }
    std::vector<pep440::Specifier> specifiers;
    std::size_t offset = 0;
    while (true) {
        std::size_t comma = std::min(text.find(',', offset), text.size());
        std::string_view part = text.substr(offset, comma - offset);
        std::string_view trimmed = text::trim_white_space(part);
        std::size_t start = offset + static_cast<std::size_t>(trimmed.data() - part.data());
        Span span{start, start + trimmed.size()};
        if (trimmed.empty()) return Error{span, "empty version specifier"};
        auto specifier = pep440::parse_specifier(trimmed);
        if (auto* error = std::get_if<pep440::Error>(&specifier)) {
            return Error{span, std::move(error->message)};
        }
        specifiers.push_back(std::move(std::get<pep440::Specifier>(specifier)));
        if (comma == text.size()) return specifiers;
        offset = comma + 1;
    }
}

}  // namespace

std::variant<std::string, Error> normalize_name(std::string_view name) {
    if (name.empty()) return Error{std::nullopt, "empty name"};
    if (!is_valid_name(name)) {
        return Error{
            std::nullopt,
            fmt::format(
                "invalid name `{}`: a name must start and end with a letter or digit and contain only letters, digits, `-`, `_` and `.`",
                name)};
    }
    std::string normal;
    normal.reserve(name.size());
    put_normal_form(name, [&](char c) {
        normal.push_back(c);
        return true;
    });
    return normal;
}

std::optional<std::string> normalized_name(std::string_view name) {
    auto result = normalize_name(name);
    if (auto* text = std::get_if<std::string>(&result)) return std::move(*text);
    return std::nullopt;
}

bool has_normal_form(std::string_view name, std::string_view normal) {
    std::size_t at = 0;
    return put_normal_form(name, [&](char c) { return at < normal.size() && normal[at++] == c; }) &&
           at == normal.size();
}

std::optional<Error> check_version(std::string_view text) {
    auto version = pep440::parse_version(text);
    if (auto* error = std::get_if<pep440::Error>(&version)) {
        return Error{std::nullopt, std::move(error->message)};
    }
    return std::nullopt;
}

std::optional<Error> check_specifiers(std::string_view text) {
    auto specifiers = parse_specifier_list(text);
    if (auto* error = std::get_if<Error>(&specifiers)) return std::move(*error);
    return std::nullopt;
}

std::variant<VersionSet, Error> allowed_versions(std::string_view text) {
    auto version = pep440::parse_version(text::trim_white_space(text));
    if (auto* exact = std::get_if<pep440::Version>(&version)) {
        return pep440::to_version_set(pep440::Specifier{pep440::Operator::Equal, *exact});
    }
    auto specifiers = parse_specifier_list(text);
    if (auto* error = std::get_if<Error>(&specifiers)) return std::move(*error);
    return pep440::to_version_set(std::get<std::vector<pep440::Specifier>>(specifiers));
}

std::optional<bool> allows_python_minor(std::string_view specifiers, std::uint64_t major,
                                        std::uint64_t minor) {
    auto parsed = pep440::parse_specifiers(specifiers);
    if (std::holds_alternative<pep440::Error>(parsed)) return std::nullopt;
    auto allowed = pep440::to_release_set(std::get<std::vector<pep440::Specifier>>(parsed));
    using Bound = VersionSet::Bound;
    constexpr std::uint64_t MAX = std::numeric_limits<std::uint64_t>::max();
    pep440::Version low, high;
    low.release = {major, minor};
    // The releases of major.minor end where the next minor, or else the next major, begins.
    Bound end = Bound::unbounded();
    if (minor < MAX) {
        high.release = {major, minor + 1};
        end = Bound::excluded(high);
    } else if (major < MAX) {
        high.release = {major + 1};
        end = Bound::excluded(high);
    }
    auto minor_releases = VersionSet::interval(Bound::included(low), end);
    return !allowed.is_disjoint(minor_releases);
}

}  // namespace tarnvik::standards
