#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tarnvik::lock {

// What the checks take from a lock file.
struct Lock {
    std::string path;  // display name of the lock file
    std::vector<std::string> local_packages;  // normalized names (uv.lock only)
    // For every normalized package name, its version strings in first-seen order, no duplicates.
    std::vector<std::pair<std::string, std::vector<std::string>>> versions;
};

}  // namespace tarnvik::lock
