#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tarnvik/diagnostic.hpp"
#include "tarnvik/document.hpp"

namespace tarnvik::parse {

// Recoverable parse: the document as far as it could be read, and every error found, sorted by span.
std::pair<document::Table, std::vector<Diagnostic>> parse(std::string_view text);

}  // namespace tarnvik::parse
