// Rendering one report of a key as long as its line, the shape an unknown key of any size
// takes: the title quotes the key whole, the snippet cuts the line to the window and elides the
// middle of the span. The time, and the memory it needs, should grow with the key's length.
#include <benchmark/benchmark.h>

#include <string>

#include "render/render_diagnostic.hpp"
#include "tarnvik/diagnostic.hpp"

namespace {

using tarnvik::Code;
using tarnvik::Diagnostic;
using tarnvik::Span;

void BM_RenderLongLine(benchmark::State& state) {
    const auto length = static_cast<std::size_t>(state.range(0));
    const std::string key(length, 'k');
    const std::string source = "[project]\n" + key + " = 1\n";
    const Span span{10, 10 + length};
    const Diagnostic diagnostic =
        Diagnostic::error("unknown key `" + key + "` in `[project]`", span, Code::UnknownKey);
    for (auto _ : state) {
        // A renderer of its own each time: measuring the line is part of one report's cost.
        std::string text =
            tarnvik::cli::render_diagnostic(diagnostic, source, "pyproject.toml", false);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * length));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RenderLongLine)
    ->RangeMultiplier(4)
    ->Range(1 << 16, 1 << 22)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
