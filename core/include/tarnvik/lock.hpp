#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "tarnvik/document.hpp"
#include "tarnvik/parse.hpp"

namespace tarnvik::lock {

// What the checks take from a lock file.
struct Lock {
    std::string path;                         // display name of the lock file
    std::vector<std::string> local_packages;  // normalized names (uv.lock only), duplicates kept
    // Sorted by normalized package name (byte order): the version strings written for it, in
    // first-seen order, no duplicates. Named apart from the `versions` query it serves.
    std::vector<std::pair<std::string, std::vector<std::string>>> package_versions;

    // The versions locked for a package; empty for an invalid or absent name.
    const std::vector<std::string>& versions(std::string_view name) const;
    // Whether the lock lists the package as one of the workspace's own; false for an invalid name.
    bool has_local_package(std::string_view name) const;
};

// The two lock-file formats, by the key of their package list.
enum class LockKind : std::uint8_t { UvLock = 0, PyLock = 1 };

// A lock and the parsed document it was read from, handed back so that a caller about to exit
// can keep it rather than spend time releasing its many small blocks.
struct Loaded {
    Lock lock;
    document::Table document;
};

// Reads a lock file's text with the strict parse; `path` is the lock's display name. Entries
// that do not fit are skipped without a word. Only what is read is filled in, as a lock is
// mostly hashes and URLs; the first error of the strict parse when the text is not TOML.
std::variant<Loaded, parse::ParseError> load_lock(LockKind kind, std::string path,
                                                  std::string_view text);

// Told now and then, during a plain read, that the bytes before an offset are not looked at
// again (so that a caller may release them).
using Passed = std::function<void(std::size_t offset)>;

// Reads a lock file in the plain layout that tools write lock files in, in one pass over its
// bytes and without building a document. None for anything else, and for every error (bytes
// that are not UTF-8 included), which `load_lock` then reads: when this gives a lock, the text
// is UTF-8 and `load_lock` gives the same lock.
std::optional<Lock> read_plain_lock(LockKind kind, std::string_view path, std::string_view bytes,
                                    const Passed& passed = {});

// The lock held in a lock file's parsed document.
Lock read_lock(LockKind kind, std::string path, const document::Table& root);

// The `name` of the `[project]` table as written, when the text parses strictly as TOML.
std::optional<std::string> project_name(std::string_view text);

// Whether a lock-file package entry is local: its `source` table has a `virtual`, `directory`
// or `editable` key.
bool is_local(const document::Table& package);

}  // namespace tarnvik::lock
