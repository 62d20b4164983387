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

std::size_t hash_of(std::string_view version) {
    return std::hash<std::string_view>{}(version);
}

// Groups of one name made apart (the lock was not sorted by name) become one, their versions
// in the order of the lock: the sort is stable, so the groups keep it.
Groups merge_groups(Groups groups) {
    std::ranges::stable_sort(groups, {}, &Groups::value_type::first);
    Groups merged;
    DistinctVersions distinct;
    for (auto& [name, versions] : groups) {
        if (merged.empty() || merged.back().first != name) {
            merged.emplace_back(std::move(name), std::move(versions));
            distinct.start();
            continue;
        }
        for (const std::string& version : versions)
            distinct.add(merged.back().second, version);
    }
    return merged;
}

}  // namespace

void DistinctVersions::add_to_long(Versions& versions, std::string_view version) {
    index_up_to(versions, versions.size());
    if (contains(versions, version)) return;
    versions.emplace_back(version);
    index_up_to(versions, versions.size());
}

bool DistinctVersions::contains(const Versions& versions, std::string_view version) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash_of(version) & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
        if (versions[slots_[slot] - 1] == version) return true;
    }
    return false;
}

void DistinctVersions::index(const Versions& versions, std::uint32_t position) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash_of(versions[position]) & mask;
    while (slots_[slot] != 0)
        slot = (slot + 1) & mask;
    slots_[slot] = position + 1;
}

// Puts the list's first `size` positions in the table, made anew when it served another list
// or would be more than half full (then at least twice as large).
void DistinctVersions::index_up_to(const Versions& versions, std::size_t size) {
    if (indexed_ == size) return;
    if (indexed_ == 0 || 2 * size > slots_.size()) {
        std::size_t slots = 2 * SEARCHED;
        while (slots < 2 * size)
            slots *= 2;
        slots_.assign(slots, 0);
        indexed_ = 0;
    }
    for (; indexed_ < size; ++indexed_)
        index(versions, static_cast<std::uint32_t>(indexed_));
}

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
        distinct_.start();
    }
    distinct_.add(groups.back().second, *version);
}

Lock Entries::finish(std::string path) && {
    lock_.path = std::move(path);
    if (!sorted_) lock_.package_versions = merge_groups(std::move(lock_.package_versions));
    return std::move(lock_);
}

}  // namespace tarnvik::lock
