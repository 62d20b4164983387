// The WHATWG basic URL parser without a base URL, reduced to the steps that can refuse a URL:
// the scheme, the authority (userinfo, host, port) and the host of `file` URLs. Paths, queries
// and fragments never make it fail.
#include "url.hpp"

#include <algorithm>
#include <array>

#include "ascii.hpp"
#include "url/host.hpp"

namespace tarnvik::url {
namespace {

using detail::Refusal;
namespace reason = detail::reason;

constexpr std::array<std::string_view, 6> SPECIAL_SCHEMES = {"file",  "ftp", "http",
                                                             "https", "ws",  "wss"};

bool is_scheme_char(char c) {
    return ascii::is_alphanumeric(c) || c == '+' || c == '-' || c == '.';
}
bool is_slash(char c) {
    return c == '/' || c == '\\';
}

// Leading and trailing C0 controls and spaces go, and so does every tab and newline.
std::string preprocess(std::string_view text) {
    auto is_c0_or_space = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    auto first = std::find_if_not(text.begin(), text.end(), is_c0_or_space);
    auto last = std::find_if_not(text.rbegin(), std::make_reverse_iterator(first), is_c0_or_space);
    std::string input;
    std::copy_if(first, last.base(), std::back_inserter(input),
                 [](char c) { return c != '\t' && c != '\n' && c != '\r'; });
    return input;
}

// The scheme in lower case, or nothing when the input does not start with one and a ":".
std::optional<std::string> scheme_of(std::string_view input) {
    if (input.empty() || !ascii::is_letter(input[0])) return std::nullopt;
    std::size_t end = 1;
    while (end < input.size() && is_scheme_char(input[end]))
        ++end;
    if (end == input.size() || input[end] != ':') return std::nullopt;
    std::string scheme(input.substr(0, end));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), ascii::to_lower);
    return scheme;
}

// Where the authority (or the host of a `file` URL) ends: at a path, query or fragment.
std::size_t authority_end(std::string_view rest, bool special) {
    auto ends = [special](char c) {
        return c == '/' || c == '?' || c == '#' || (special && c == '\\');
    };
    return static_cast<std::size_t>(std::find_if(rest.begin(), rest.end(), ends) - rest.begin());
}

Refusal check_port(std::string_view digits) {
    unsigned long port = 0;
    for (char c : digits) {
        if (!ascii::is_digit(c)) return reason::INVALID_PORT;
        port = port * 10 + static_cast<unsigned long>(c - '0');
        if (port > 65535) return reason::INVALID_PORT;
    }
    return std::nullopt;
}

// The host and port after the userinfo; the port starts at the first ":" outside brackets.
Refusal check_host_and_port(std::string_view text, bool special) {
    std::size_t colon = std::string_view::npos;
    bool inside_brackets = false;
    for (std::size_t i = 0; i < text.size() && colon == std::string_view::npos; ++i) {
        if (text[i] == '[') inside_brackets = true;
        if (text[i] == ']') inside_brackets = false;
        if (text[i] == ':' && !inside_brackets) colon = i;
    }
    std::string_view host = text.substr(0, colon);
    if (host.empty()) {
        if (colon != std::string_view::npos || special) return reason::EMPTY_HOST;
        return std::nullopt;
    }
    if (Refusal refusal = detail::check_host(host, !special)) return refusal;
    if (colon == std::string_view::npos) return std::nullopt;
    return check_port(text.substr(colon + 1));
}

// The authority state: everything up to the last "@" is userinfo, which cannot fail.
Refusal check_authority(std::string_view rest, bool special) {
    std::string_view authority = rest.substr(0, authority_end(rest, special));
    std::size_t at = authority.rfind('@');
    if (at == std::string_view::npos) return check_host_and_port(authority, special);
    std::string_view host_and_port = authority.substr(at + 1);
    if (host_and_port.empty()) return reason::EMPTY_HOST;
    return check_host_and_port(host_and_port, special);
}

bool is_windows_drive_letter(std::string_view text) {
    return text.size() == 2 && ascii::is_letter(text[0]) && (text[1] == ':' || text[1] == '|');
}

// After "file:": a host only follows two slashes; a drive letter there is a path.
Refusal check_file(std::string_view rest) {
    if (rest.size() < 2 || !is_slash(rest[0]) || !is_slash(rest[1])) return std::nullopt;
    rest.remove_prefix(2);
    std::string_view host = rest.substr(0, authority_end(rest, true));
    if (host.empty() || is_windows_drive_letter(host)) return std::nullopt;
    return detail::check_host(host, false);
}

Refusal check_input(std::string_view input) {
    std::optional<std::string> scheme = scheme_of(input);
    if (!scheme) return reason::RELATIVE;
    std::string_view rest = input.substr(scheme->size() + 1);
    if (*scheme == "file") return check_file(rest);
    bool special =
        std::find(SPECIAL_SCHEMES.begin(), SPECIAL_SCHEMES.end(), *scheme) != SPECIAL_SCHEMES.end();
    if (special) {
        // Any number of slashes and backslashes, even none, leads to the authority.
        auto first = std::find_if_not(rest.begin(), rest.end(), is_slash);
        return check_authority(rest.substr(static_cast<std::size_t>(first - rest.begin())), true);
    }
    if (rest.size() >= 2 && rest[0] == '/' && rest[1] == '/')
        return check_authority(rest.substr(2), false);
    return std::nullopt;  // a path, or an opaque path
}

}  // namespace

std::optional<std::string> check(std::string_view text) {
    if (Refusal refusal = check_input(preprocess(text))) return std::string(*refusal);
    return std::nullopt;
}

}  // namespace tarnvik::url
