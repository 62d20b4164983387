#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace tarnvik::lock {

// The keys of a package's `source` table that make it one of the workspace's own rather than a
// download.
inline constexpr std::array<std::string_view, 3> LOCAL_SOURCE_KEYS = {"virtual", "directory",
                                                                      "editable"};

constexpr bool is_local_source_key(std::string_view key) {
    return std::ranges::find(LOCAL_SOURCE_KEYS, key) != LOCAL_SOURCE_KEYS.end();
}

}  // namespace tarnvik::lock
