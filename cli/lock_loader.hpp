#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "tarnvik/lock.hpp"

namespace tarnvik::cli {

using lock::LockKind;

// The lock in a lock file's bytes; `path` is the lock's display name. A lock file in the plain
// layout is read in one pass (which tells `passed` of the bytes it leaves behind); any other is
// parsed strictly. Why it could not be read otherwise: its bytes are not UTF-8, or the display
// of its TOML parse error.
std::variant<lock::Lock, std::string> load_lock_text(LockKind kind, std::string path,
                                                     std::string_view bytes,
                                                     const lock::Passed& passed = {});

}  // namespace tarnvik::cli
