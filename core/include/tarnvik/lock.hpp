#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tarnvik/document.hpp"

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

// The `name` of the `[project]` table as written, when the text parses strictly as TOML.
std::optional<std::string> project_name(std::string_view text);

// Whether a lock-file package entry is local: its `source` table has a `virtual`, `directory`
// or `editable` key.
bool is_local(const document::Table& package);

}  // namespace tarnvik::lock
