#include "tarnvik/lock.hpp"

#include <algorithm>
#include <array>

#include "tarnvik/standards.hpp"

namespace tarnvik::lock {

namespace {

// The source keys that make a package one of the workspace's own rather than a download.
constexpr std::array<std::string_view, 3> LOCAL_SOURCE_KEYS = {"virtual", "directory", "editable"};

std::optional<std::string> normalized(std::string_view name) {
    auto result = standards::normalize_name(name);
    if (auto* text = std::get_if<std::string>(&result)) return std::move(*text);
    return std::nullopt;
}

}  // namespace

const std::vector<std::string>& Lock::versions(std::string_view name) const {
    static const std::vector<std::string> none;
    const auto key = normalized(name);
    if (!key) return none;
    const auto it = std::ranges::lower_bound(package_versions, *key, {},
                                             &decltype(package_versions)::value_type::first);
    return it != package_versions.end() && it->first == *key ? it->second : none;
}

bool Lock::has_local_package(std::string_view name) const {
    const auto key = normalized(name);
    return key && std::ranges::find(local_packages, *key) != local_packages.end();
}

bool is_local(const document::Table& package) {
    const document::Entry* source = document::get(package, "source");
    const document::Table* table = source ? source->value.as_table() : nullptr;
    return table && std::ranges::any_of(LOCAL_SOURCE_KEYS, [&](std::string_view key) {
               return document::get(*table, key) != nullptr;
           });
}

}  // namespace tarnvik::lock
