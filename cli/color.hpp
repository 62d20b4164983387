#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tarnvik::cli {

// Reads one environment variable; absent when it is not set.
using EnvLookup = std::function<std::optional<std::string>(std::string_view)>;

// Whether a stream gets terminal colours: NO_COLOR (non-empty) turns them off, then
// CLICOLOR_FORCE (non-empty, not "0") on, then CLICOLOR=0 off; otherwise only a terminal gets
// them, and only when TERM names a capable one, CLICOLOR asks for them, or CI is set.
bool color_enabled(bool is_terminal, const EnvLookup& env);

// The decision for an open file descriptor, from the process environment.
bool color_enabled_for(int fd);

}  // namespace tarnvik::cli
