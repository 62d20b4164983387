// A check of a tool table holding thousands of misspelt keys, each close to a known one: each
// gets a suggestion, and whether the table already has the suggested name must be answered
// without reading the table again for every key. At 1x, 4x and 16x keys the time should grow
// about 4x at each step.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "tarnvik/check.hpp"

namespace {

struct Table {
    std::string_view header;
    std::string_view misspelt;  // a known key with its last letter taken off
};

// The tables at the argument's index, in the order the benchmarks name them.
constexpr Table TABLES[] = {
    {"[tool.uv]", "index-ur"},
    {"[tool.ruff]", "line-lengt"},
    {"[tool.ruff.lint]", "selec"},
    {"[tool.ty]", "environmen"},
    {"[tool.uv.build-backend]", "module-nam"},
};

std::string misspelt_keys(const Table& table, std::size_t count) {
    std::string text =
        "[project]\nname = \"a\"\nversion = \"1\"\n"
        "[build-system]\nrequires = [\"uv_build>=0.8\"]\nbuild-backend = \"uv_build\"\n";
    text += table.header;
    text += '\n';
    for (std::size_t i = 0; i < count; ++i) {
        text += table.misspelt;
        text += std::to_string(i) + " = 1\n";
    }
    return text;
}

void BM_CheckMisspeltKeys(benchmark::State& state) {
    const Table& table = TABLES[state.range(0)];
    const std::string text = misspelt_keys(table, static_cast<std::size_t>(state.range(1)));
    std::size_t fixes = 0;
    for (auto _ : state) {
        const tarnvik::CheckResult result = tarnvik::check_with_lock(text, nullptr);
        fixes = 0;
        for (const tarnvik::Diagnostic& diagnostic : result.diagnostics)
            fixes += diagnostic.fix.has_value();
        benchmark::DoNotOptimize(result.diagnostics.data());
    }
    state.SetLabel(std::string(table.header));
    state.counters["fixes"] = static_cast<double>(fixes);  // one: one rename per name
}
BENCHMARK(BM_CheckMisspeltKeys)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {6'250, 25'000, 100'000}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
