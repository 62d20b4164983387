#include "tarnvik/lock.hpp"

#include <algorithm>

#include "lock/source_keys.hpp"
#include "tarnvik/parse.hpp"
#include "tarnvik/standards.hpp"

namespace tarnvik::lock {

const std::vector<std::string>& Lock::versions(std::string_view name) const {
    static const std::vector<std::string> none;
    const auto key = standards::normalized_name(name);
    if (!key) return none;
    const auto it = std::ranges::lower_bound(package_versions, *key, {},
                                             &decltype(package_versions)::value_type::first);
    return it != package_versions.end() && it->first == *key ? it->second : none;
}

bool Lock::has_local_package(std::string_view name) const {
    const auto key = standards::normalized_name(name);
    return key && std::ranges::find(local_packages, *key) != local_packages.end();
}

std::optional<std::string> project_name(std::string_view text) {
    auto parsed = parse::parse_strict(text);
    const auto* root = std::get_if<document::Table>(&parsed);
    if (!root) return std::nullopt;
    const document::Entry* project = document::get(*root, "project");
    const document::Table* table = project ? project->value.as_table() : nullptr;
    if (!table || table->entries.empty()) return std::nullopt;
    const document::Entry* name = document::get(*table, "name");
    const std::string* text_value = name ? name->value.as_string() : nullptr;
    if (!text_value) return std::nullopt;
    return *text_value;
}

bool is_local(const document::Table& package) {
    const document::Entry* source = document::get(package, "source");
    const document::Table* table = source ? source->value.as_table() : nullptr;
    return table && std::ranges::any_of(table->entries, [](const document::Entry& entry) {
               return is_local_source_key(entry.key);
           });
}

}  // namespace tarnvik::lock
