#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tarnvik/check.hpp"
#include "tarnvik/diagnostic.hpp"
#include "tarnvik/edit.hpp"
#include "tarnvik/lock.hpp"

// Repairs a project file from the fixes its diagnostics carry.
namespace tarnvik::fix {

struct FixResult {
    std::string output;       // the final text, equal to report.source
    CheckResult report;       // the check of the final text, offering only fixes not rejected
    std::size_t fixed = 0;    // fixes applied, summed over all iterations
    std::size_t skipped = 0;  // the most fixes one iteration rejected for breaking the TOML
};

// Checks the bytes, then applies eligible fixes and re-checks, at most ten times. A file that
// is not UTF-8 or not valid TOML is returned unchanged.
FixResult fix(std::string bytes, const lock::Lock* lock, Applicability minimum);

struct Applied {
    std::string text;
    std::size_t applied = 0;
    std::vector<std::size_t> rejected;  // the positions in the diagnostics of the fixes rejected
};

// One iteration: accepts, in order of their smallest edit start, the eligible fixes that
// collide with no fix accepted before and leave text that parses without any diagnostic, and
// rejects those that collide with none but leave text that does not parse.
Applied apply(std::string_view text, const std::vector<Diagnostic>& diagnostics,
              Applicability minimum);

}  // namespace tarnvik::fix
