#include "lock/entries.hpp"

#include <algorithm>
#include <vector>

#include "tarnvik/standards.hpp"

namespace tarnvik::lock {

namespace {

using Versions = std::vector<std::string>;
using Groups = std::vector<std::pair<std::string, Versions>>;

// Whether a name is a valid package name already in normal form (lower case, runs of `-`, `_`
// and `.` written as one `-`), as lock files write them: then it needs no normalizing.
bool is_normalized_name(std::string_view name) {
    bool after_letter = false;
    for (const char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            after_letter = true;
        } else if (c == '-' && after_letter) {
            after_letter = false;
        } else {
            return false;
        }
    }
    return after_letter;
}

void add_version(Versions& versions, std::string_view version) {
    if (std::ranges::find(versions, version) == versions.end()) versions.emplace_back(version);
}

// Groups of one name made apart (the lock was not sorted by name) become one, their versions
// in the order of the lock: the sort is stable, so the groups keep it.
Groups merge_groups(Groups groups) {
    std::ranges::stable_sort(groups, {}, &Groups::value_type::first);
    Groups merged;
    for (auto& [name, versions] : groups) {
        if (merged.empty() || merged.back().first != name) {
            merged.emplace_back(std::move(name), std::move(versions));
            continue;
        }
        for (const std::string& version : versions)
            add_version(merged.back().second, version);
    }
    return merged;
}

}  // namespace

Entries::Entries(LockKind kind) : records_local_packages_(kind == LockKind::UvLock) {}

void Entries::add(std::string_view raw_name, std::optional<std::string_view> version, bool local) {
    std::optional<std::string> name = is_normalized_name(raw_name)
                                          ? std::optional<std::string>(raw_name)
                                          : standards::normalized_name(raw_name);
    if (!name) return;
    // A local package counts even without a usable version.
    if (records_local_packages_ && local) lock_.local_packages.push_back(*name);
    if (!version) return;
    Groups& groups = lock_.package_versions;
    if (groups.empty() || groups.back().first != *name) {
        if (!groups.empty() && *name < groups.back().first) sorted_ = false;
        groups.emplace_back(std::move(*name), Versions{});
    }
    add_version(groups.back().second, *version);
}

Lock Entries::finish(std::string path) && {
    lock_.path = std::move(path);
    if (!sorted_) lock_.package_versions = merge_groups(std::move(lock_.package_versions));
    return std::move(lock_);
}

}  // namespace tarnvik::lock
