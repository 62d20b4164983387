#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tarnvik/fix.hpp"

namespace tarnvik::fix::detail {

inline constexpr int MAX_ITERATIONS = 10;

// Takes the fixes at `positions` out of the report. The fixes the last iteration rejected were
// tried against the final text itself, so the report offers none of them again.
inline void drop_fixes(CheckResult& report, const std::vector<std::size_t>& positions) {
    for (std::size_t position : positions)
        report.diagnostics[position].fix.reset();
}

// The iterations of `fix::fix`, over any check of the same shape as `check_with_lock`, so the
// loop can be driven by a check that always finds something to fix.
template <class Check>
FixResult fix_loop(std::string bytes, Applicability minimum, Check&& check) {
    CheckResult report = check(std::move(bytes));
    std::size_t fixed = 0;
    std::size_t skipped = 0;
    // A file that is not UTF-8 or not valid TOML is never changed.
    if (!has_invalid_toml(report.diagnostics)) {
        for (int iteration = 0; iteration < MAX_ITERATIONS; ++iteration) {
            Applied step = apply(report.source, report.diagnostics, minimum);
            // A fix that keeps breaking the TOML is rejected in every iteration: count it once.
            skipped = std::max(skipped, step.rejected.size());
            if (step.applied == 0) {
                drop_fixes(report, step.rejected);
                break;
            }
            report = check(std::move(step.text));
            fixed += step.applied;
        }
    }
    std::string output = report.source;
    return FixResult{std::move(output), std::move(report), fixed, skipped};
}

}  // namespace tarnvik::fix::detail
