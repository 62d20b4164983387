#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "tarnvik/document.hpp"
#include "tarnvik/lock.hpp"

namespace tarnvik::cli {

// The two lock-file formats, by the key of their package list.
enum class LockKind : std::uint8_t { UvLock = 0, PyLock = 1 };

// The lock read from a lock file's text, or the TOML parse error's display when it does not
// parse. Entries that do not fit are skipped without a word; `path` is the lock's display name.
std::variant<lock::Lock, std::string> load_lock(LockKind kind, std::string path,
                                                std::string_view text);

// The lock held in a lock file's parsed document.
lock::Lock read_lock(LockKind kind, std::string path, const document::Table& root);

}  // namespace tarnvik::cli
