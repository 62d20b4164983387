#include "tarnvik/lock.hpp"

#include <algorithm>
#include <vector>

#include "tarnvik/document.hpp"
#include "tarnvik/parse.hpp"
#include "tarnvik/standards.hpp"

namespace tarnvik::lock {

namespace {

// What is read of an entry: `source` only for its keys (see is_local).
constexpr document::Want ENTRY[] = {{"name", {}}, {"version", {}}, {"source", {}}};

struct Format {
    document::Want entry_list;  // all that is read of the file, under the key of the entry list
    bool records_local_packages;
};

// Indexed by LockKind.
constexpr Format FORMATS[] = {
    {{"package", ENTRY}, true},    // uv.lock
    {{"packages", ENTRY}, false},  // pylock.toml
};

// Every (normalized name, version) pair, in the order of the lock.
using Sightings = std::vector<std::pair<std::string, std::string>>;

const std::string* string_at(const document::Table& table, std::string_view key) {
    const document::Entry* entry = document::get(table, key);
    return entry ? entry->value.as_string() : nullptr;
}

// The versions of each name, names sorted, versions in the order of the lock without repeats.
std::vector<std::pair<std::string, std::vector<std::string>>> group_versions(Sightings sightings) {
    // Locks list their packages by name already; sorting them again would move every pair.
    constexpr auto by_name = &Sightings::value_type::first;
    if (!std::ranges::is_sorted(sightings, {}, by_name)) {
        std::ranges::stable_sort(sightings, {}, by_name);
    }
    std::vector<std::pair<std::string, std::vector<std::string>>> grouped;
    for (auto& [name, version] : sightings) {
        if (grouped.empty() || grouped.back().first != name)
            grouped.emplace_back(std::move(name), std::vector<std::string>{});
        std::vector<std::string>& list = grouped.back().second;
        if (std::ranges::find(list, version) == list.end()) list.push_back(std::move(version));
    }
    return grouped;
}

void read_entry(const Format& format, const document::Table& package, Lock& lock,
                Sightings& versions) {
    const std::string* raw_name = string_at(package, "name");
    if (!raw_name) return;
    std::optional<std::string> name = standards::normalized_name(*raw_name);
    if (!name) return;
    // A local package counts even without a usable version.
    if (format.records_local_packages && is_local(package)) {
        lock.local_packages.push_back(*name);
    }
    if (const std::string* version = string_at(package, "version")) {
        versions.emplace_back(std::move(*name), *version);
    }
}

}  // namespace

Lock read_lock(LockKind kind, std::string path, const document::Table& root) {
    Lock lock{std::move(path), {}, {}};
    const Format& format = FORMATS[static_cast<std::size_t>(kind)];
    const document::Entry* list = document::get(root, format.entry_list.key);
    const document::Array* entries = list ? list->value.as_array() : nullptr;
    if (!entries) return lock;

    Sightings versions;
    versions.reserve(entries->size());
    for (const document::Value& element : *entries) {
        if (const document::Table* package = element.as_table()) {
            read_entry(format, *package, lock, versions);
        }
    }
    lock.package_versions = group_versions(std::move(versions));
    return lock;
}

std::variant<Loaded, parse::ParseError> load_lock(LockKind kind, std::string path,
                                                  std::string_view text) {
    const Format& format = FORMATS[static_cast<std::size_t>(kind)];
    auto parsed = parse::parse_strict_wanted(text, {&format.entry_list, 1});
    if (auto* error = std::get_if<parse::ParseError>(&parsed)) return std::move(*error);
    auto& root = std::get<document::Table>(parsed);
    Lock lock = read_lock(kind, std::move(path), root);
    return Loaded{std::move(lock), std::move(root)};
}

}  // namespace tarnvik::lock
