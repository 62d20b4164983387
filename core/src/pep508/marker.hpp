#pragma once

#include <optional>

#include "pep508/cursor.hpp"

namespace tarnvik::pep508::detail {

// Reads one environment marker (`marker_or` of PEP 508) from the position on and leaves the
// cursor after it; what follows is the caller's to judge.
std::optional<Error> parse_marker(Cursor& cursor);

}  // namespace tarnvik::pep508::detail
