#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnvik::url {

// Checks `text` as an absolute URL by the WHATWG URL parsing rules, without a base URL.
// Returns nothing when a WHATWG parser accepts it, else the short reason it refuses it, such as
// "relative URL without a base", "empty host", "invalid port number", "invalid IPv4 address",
// "invalid IPv6 address", "invalid international domain name" or "invalid domain character".
// Mere validation errors of the standard (a missing slash, a backslash) are not refusals.
std::optional<std::string> check(std::string_view text);

}  // namespace tarnvik::url
