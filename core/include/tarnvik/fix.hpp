#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tarnvik/check.hpp"
#include "tarnvik/diagnostic.hpp"
#include "tarnvik/lock.hpp"

// Repairs a project file from the fixes its diagnostics carry, and builds the edits of those fixes.
namespace tarnvik::fix {

struct FixResult {
    std::string output;       // the final text, equal to report.source
    CheckResult report;       // the check of the final text
    std::size_t fixed = 0;    // fixes applied, summed over all iterations
    std::size_t skipped = 0;  // the most fixes one iteration rejected for breaking the TOML
};

// Checks the bytes, then applies eligible fixes and re-checks, at most ten times. A file that
// is not UTF-8 or not valid TOML is returned unchanged.
FixResult fix(std::string bytes, const lock::Lock* lock, Applicability minimum);

struct Applied {
    std::string text;
    std::size_t applied = 0;
    std::size_t rejected = 0;
};

// One iteration: accepts, in order of their smallest edit start, the eligible fixes that
// collide with no fix accepted before and leave text that parses without any diagnostic.
Applied apply(std::string_view text, const std::vector<Diagnostic>& diagnostics,
              Applicability minimum);

// The text with every edit applied; edits are taken in order of (range start, range end).
std::string splice(std::string_view text, std::span<const Edit> edits);

// Replaces the first occurrence of `old_name` within [start, end) by `new_name`, keeping what
// surrounds it (quotes, for one); the whole range becomes `new_name` when it does not hold it.
Edit rename(std::string_view text, std::size_t start, std::size_t end, std::string_view old_name,
            std::string_view new_name);

// Deletes element `position` of an array whose elements have the spans `entries` (source
// order), with its separator, its trailing comment and its line as the layout needs.
Edit remove_entry(std::string_view text, std::span<const Span> entries, std::size_t position);

}  // namespace tarnvik::fix
