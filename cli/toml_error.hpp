#pragma once

#include <string>
#include <string_view>

#include "tarnvik/parse.hpp"

namespace tarnvik::cli {

// A TOML parse error as a reader sees it: "TOML parse error at line {}, column {}", the source
// line as written with the span underlined, then the message and its line end. Lines and
// columns count from 1, columns in characters.
std::string toml_error_display(std::string_view text, const parse::ParseError& error);

}  // namespace tarnvik::cli
