// Arbitrary bytes in must give diagnostics out: no crash, no hang, no sanitizer report.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tarnvik/check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const tarnvik::CheckResult result = tarnvik::check_with_lock(std::move(bytes), nullptr);
    for (const tarnvik::Diagnostic& diagnostic : result.diagnostics) {
        if (diagnostic.span.start > diagnostic.span.end || diagnostic.span.end > result.source.size())
            __builtin_trap();
    }
    return 0;
}
