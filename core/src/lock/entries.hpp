#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tarnvik/lock.hpp"

// The package entries of a lock file, gathered one by one in file order into a `Lock`. Both
// readers of lock files, the one over the strict parse's document and the plain single pass,
// hand their entries over here, so that they keep the same things.
namespace tarnvik::lock {

// The key of a format's list of package entries.
constexpr std::string_view entry_list_key(LockKind kind) {
    return kind == LockKind::UvLock ? "package" : "packages";
}

class Entries {
  public:
    explicit Entries(LockKind kind);

    // One entry whose `name` is a string: its `version` when that is a string, and whether its
    // `source` makes it local. An entry whose name is not a valid package name is skipped.
    void add(std::string_view name, std::optional<std::string_view> version, bool local);

    // The lock of the entries given, named `path`.
    Lock finish(std::string path) &&;

  private:
    bool records_local_packages_;
    // Names in the order they came: sorted as long as the lock lists its packages by name.
    bool sorted_ = true;
    Lock lock_;
};

}  // namespace tarnvik::lock
