#pragma once

#include <optional>
#include <string_view>

// Host parsing of the WHATWG URL standard, shared by the URL check.
namespace tarnvik::url::detail {

namespace reason {
inline constexpr std::string_view RELATIVE = "relative URL without a base";
inline constexpr std::string_view EMPTY_HOST = "empty host";
inline constexpr std::string_view INVALID_PORT = "invalid port number";
inline constexpr std::string_view INVALID_IPV4 = "invalid IPv4 address";
inline constexpr std::string_view INVALID_IPV6 = "invalid IPv6 address";
inline constexpr std::string_view INVALID_IDN = "invalid international domain name";
inline constexpr std::string_view INVALID_DOMAIN_CHAR = "invalid domain character";
}  // namespace reason

// A refusal reason, or nothing when the part is accepted.
using Refusal = std::optional<std::string_view>;

// Parses a host of a URL with a special scheme (`opaque` false) or another scheme (`opaque`
// true). The host is not empty.
Refusal check_host(std::string_view host, bool opaque);

// The address parsers; `text` is the whole IPv4 host, or the IPv6 host between its brackets.
bool is_ipv4(std::string_view text);
bool ends_in_a_number(std::string_view domain);
bool is_ipv6(std::string_view text);

}  // namespace tarnvik::url::detail
