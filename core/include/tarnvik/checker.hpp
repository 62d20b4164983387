#pragma once

#include <string_view>
#include <vector>

#include "tarnvik/diagnostic.hpp"
#include "tarnvik/lock.hpp"

namespace tarnvik {

// The state every rule pass takes beside the document.
struct Checker {
    std::vector<Diagnostic> diagnostics;
    std::string_view source;
    const lock::Lock* lock = nullptr;
};

}  // namespace tarnvik
