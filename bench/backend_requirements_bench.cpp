// Many requirements on the build backend in `build-system.requires`, each excluding one release:
// the releases they allow together are judged by the compatibility pass and, for uv_build, by
// the `[tool.uv.build-backend]` step. Sizes 1x, 4x and 16x, so that the growth shows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "checker.hpp"
#include "rules/compatibility.hpp"
#include "rules/uv/build_backend.hpp"
#include "tarnvik/parse.hpp"

namespace {

// A project built by `backend` whose `requires` holds `count` requirements made by `requirement`.
template <class Requirement>
std::string project(std::int64_t count, std::string_view backend, Requirement requirement) {
    std::string text = "[build-system]\nrequires = [\n";
    for (std::int64_t i = 0; i < count; ++i)
        text += "    \"" + requirement(i) + "\",\n";
    text += "]\nbuild-backend = \"" + std::string(backend) + "\"\n\n";
    text += "[project]\nname = \"x\"\nversion = \"1\"\nlicense = \"MIT\"\nimport-names = [\"x\"]\n";
    text += "\n[tool.uv.build-backend]\nmodule-name = \"x\"\n";
    return text;
}

template <class Pass>
void run_pass(benchmark::State& state, const std::string& text, Pass pass) {
    auto [root, errors] = tarnvik::parse::parse(text);
    std::size_t findings = 0;
    for (auto _ : state) {
        tarnvik::Checker checker{{}, text, nullptr};
        pass(checker, root);
        findings = checker.diagnostics.size();
        benchmark::DoNotOptimize(checker.diagnostics.data());
    }
    state.counters["findings"] = static_cast<double>(findings);
    state.SetComplexityN(state.range(0));
}

void BM_CompatibilitySetuptoolsExclusions(benchmark::State& state) {
    const std::string text = project(state.range(0), "setuptools.build_meta", [](std::int64_t i) {
        return "setuptools!=70." + std::to_string(i);
    });
    run_pass(state, text, tarnvik::rules::compatibility::check_compatibility);
}
BENCHMARK(BM_CompatibilitySetuptoolsExclusions)
    ->Arg(1500)
    ->Arg(6000)
    ->Arg(24000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

// The compatibility pass and the build-backend step, as a check of a uv_build project runs them.
void BM_UvBuildExclusions(benchmark::State& state) {
    const std::string text = project(state.range(0), "uv_build", [](std::int64_t i) {
        return "uv_build!=0." + std::to_string(7 + i / 1000) + "." + std::to_string(i % 1000);
    });
    run_pass(state, text, [](tarnvik::Checker& checker, const tarnvik::document::Table& root) {
        tarnvik::rules::compatibility::check_compatibility(checker, root);
        const auto* tool = tarnvik::document::table_of(&root, "tool");
        const auto* uv = tarnvik::document::get(*tool, "uv");
        tarnvik::rules::uv::check_build_backend(checker, root, *uv->value.as_table(),
                                                uv->value.span);
    });
}
BENCHMARK(BM_UvBuildExclusions)
    ->Arg(1500)
    ->Arg(6000)
    ->Arg(24000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

}  // namespace
