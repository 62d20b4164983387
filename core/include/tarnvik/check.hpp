#pragma once

#include <string>
#include <vector>

#include "tarnvik/diagnostic.hpp"
#include "tarnvik/lock.hpp"

namespace tarnvik {

struct CheckResult {
    std::string source;                   // the decoded text every span points into
    std::vector<Diagnostic> diagnostics;  // sorted stably by span
};

// The one entry for checking a project file's bytes.
CheckResult check_with_lock(std::string bytes, const lock::Lock* lock);

}  // namespace tarnvik
