#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "tarnvik/lock.hpp"

namespace tarnvik::cli {

using lock::LockKind;

// The lock read from a lock file's text, or the TOML parse error's display when it does not
// parse; `path` is the lock's display name.
std::variant<lock::Lock, std::string> load_lock_text(LockKind kind, std::string path,
                                                     std::string_view text);

}  // namespace tarnvik::cli
