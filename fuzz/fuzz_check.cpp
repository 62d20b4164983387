// Arbitrary bytes in must give diagnostics out: no crash, no hang, no sanitizer report. And
// `--fix` must never produce a text that no longer parses, nor meet a fix that would have: the
// passes build only fixes that keep the file valid, and the fix loop's trial parse is the last
// guard, whose rejection the program reports as its own fault.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "tarnvik/check.hpp"
#include "tarnvik/fix.hpp"

namespace {

bool spans_inside(const tarnvik::CheckResult& result) {
    return std::all_of(result.diagnostics.begin(), result.diagnostics.end(), [&](const auto& d) {
        return d.span.start <= d.span.end && d.span.end <= result.source.size();
    });
}

bool has_fix(const tarnvik::CheckResult& result) {
    return std::any_of(result.diagnostics.begin(), result.diagnostics.end(),
                       [](const auto& d) { return d.fix.has_value(); });
}

bool parses(const tarnvik::CheckResult& result) {
    return std::none_of(result.diagnostics.begin(), result.diagnostics.end(),
                        [](const auto& d) { return d.code == tarnvik::Code::InvalidToml; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const tarnvik::CheckResult result = tarnvik::check_with_lock(bytes, nullptr);
    if (!spans_inside(result)) __builtin_trap();
    if (!parses(result) || !has_fix(result)) return 0;

    const tarnvik::fix::FixResult fixed =
        tarnvik::fix::fix(std::move(bytes), nullptr, tarnvik::Applicability::Unsafe);
    if (fixed.fixed > 0 && (!parses(fixed.report) || fixed.report.source != fixed.output))
        __builtin_trap();
    if (fixed.skipped != 0) __builtin_trap();
    return 0;
}
