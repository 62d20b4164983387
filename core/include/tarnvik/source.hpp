#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "tarnvik/diagnostic.hpp"

namespace tarnvik::source {

// The text and, when the bytes are not UTF-8, the one `invalid-toml` diagnostic; the text is then
// the lossy decoding with every maximal ill-formed subpart replaced by U+FFFD.
std::pair<std::string, std::optional<Diagnostic>> decode(std::string bytes);

std::optional<Diagnostic> check_byte_order_mark(std::string_view text);

}  // namespace tarnvik::source
