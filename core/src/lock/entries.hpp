#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tarnvik/lock.hpp"

// The package entries of a lock file, gathered one by one in file order into a `Lock`. Both
// readers of lock files, the one over the strict parse's document and the plain single pass,
// hand their entries over here, so that they keep the same things.
namespace tarnvik::lock {

// The key of a format's list of package entries.
constexpr std::string_view entry_list_key(LockKind kind) {
    return kind == LockKind::UvLock ? "package" : "packages";
}

// Appends versions to a package's list unless a byte-equal one is already there. A short list
// is searched; a long one (a lock may pin thousands of versions of one name) is looked up in a
// table of its positions, addressed by the versions' hashes, built once the list outgrows the
// search. The table serves one list at a time, from its first long add to the next `start`.
class DistinctVersions {
  public:
    // The next add is to another list.
    void start() { indexed_ = 0; }
    void add(std::vector<std::string>& versions, std::string_view version) {
        if (versions.size() >= SEARCHED) {
            add_to_long(versions, version);
        } else if (std::ranges::find(versions, version) == versions.end()) {
            versions.emplace_back(version);
        }
    }

  private:
    static constexpr std::size_t SEARCHED = 16;

    void add_to_long(std::vector<std::string>& versions, std::string_view version);

    bool contains(const std::vector<std::string>& versions, std::string_view version) const;
    void index(const std::vector<std::string>& versions, std::uint32_t position);
    void index_up_to(const std::vector<std::string>& versions, std::size_t size);

    // A position in the list plus one, or zero where free; at most half of them taken.
    std::vector<std::uint32_t> slots_;
    std::size_t indexed_ = 0;  // the positions in the table: the list's first ones
};

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
    DistinctVersions distinct_;  // of the last name's list
    Lock lock_;
};

}  // namespace tarnvik::lock
