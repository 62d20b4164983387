#include "summary.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace tarnvik::cli {

namespace {

std::size_t count_if(const std::vector<Diagnostic>& diagnostics, auto predicate) {
    return static_cast<std::size_t>(
        std::count_if(diagnostics.begin(), diagnostics.end(), predicate));
}

std::size_t fixable(const std::vector<Diagnostic>& diagnostics, Applicability applicability) {
    return count_if(diagnostics, [&](const Diagnostic& d) {
        return d.fix && d.fix->applicability == applicability;
    });
}

}  // namespace

std::string count_phrase(std::size_t count, std::string_view noun, std::string_view plural) {
    return fmt::format("{} {}{}", count, noun, count == 1 ? "" : plural);
}

std::string fixable_hint(std::size_t count, std::string_view flags) {
    return fmt::format("{} {} fixable with `{}`", count_phrase(count, "problem", "s"),
                       count == 1 ? "is" : "are", flags);
}

std::string summary_line(const std::vector<Diagnostic>& diagnostics) {
    std::size_t errors =
        count_if(diagnostics, [](const Diagnostic& d) { return d.severity == Severity::Error; });
    std::size_t warnings = diagnostics.size() - errors;
    if (errors > 0 && warnings > 0) {
        return fmt::format("Found {} and {}.", count_phrase(errors, "error", "s"),
                           count_phrase(warnings, "warning", "s"));
    }
    if (errors > 0) return fmt::format("Found {}.", count_phrase(errors, "error", "s"));
    if (warnings > 0) return fmt::format("Found {}.", count_phrase(warnings, "warning", "s"));
    return "All checks passed!";
}

std::optional<std::string> fix_hint_line(const std::vector<Diagnostic>& diagnostics,
                                         bool unsafe_fixes) {
    if (has_invalid_toml(diagnostics)) return std::nullopt;  // which `--fix` never changes
    std::size_t safe = fixable(diagnostics, Applicability::Safe);
    std::size_t unsafe = fixable(diagnostics, Applicability::Unsafe);
    if (safe == 0 && unsafe == 0) return std::nullopt;
    if (safe == 0 || unsafe_fixes) return fixable_hint(safe + unsafe, "--fix --unsafe-fixes") + ".";
    if (unsafe == 0) return fixable_hint(safe, "--fix") + ".";
    return fmt::format("{} ({} more with `--unsafe-fixes`).", fixable_hint(safe, "--fix"), unsafe);
}

}  // namespace tarnvik::cli
