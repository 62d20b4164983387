// Requirement parse throughput over a few thousand generated, realistic requirement strings.
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "pep508.hpp"
#include "tarnvik/standards.hpp"

namespace {

constexpr std::array<std::string_view, 16> NAMES = {
    "requests", "numpy",    "Django",       "typing_extensions", "pydantic-core",
    "ruff",     "uv-build", "scikit-learn", "zope.interface",    "PyYAML",
    "attrs",    "rich",     "httpx",        "SQLAlchemy",        "importlib-metadata",
    "black",
};
constexpr std::array<std::string_view, 8> EXTRAS = {
    "", "[security]", "[socks,http2]", "[ test , docs ]", "", "", "[all]", "",
};
constexpr std::array<std::string_view, 10> VERSIONS = {
    "",
    ">=2.28",
    ">=1.24,<2",
    "==3.2.*",
    "~=4.7",
    " (>=0.5.0, !=0.5.3)",
    ">=0.7.19,<0.8",
    "==1.0.0rc1",
    ">=2!1.0.post1.dev3",
    "<3,>=2.0",
};
constexpr std::array<std::string_view, 7> MARKERS = {
    "",
    "; python_version >= '3.9'",
    " ; sys_platform == \"win32\" and platform_machine != 'arm64'",
    "; extra == 'docs'",
    "; (os_name == 'nt' or sys_platform == 'darwin') and python_full_version < '3.12.1'",
    "; implementation_name == 'cpython' and 'linux' in sys_platform",
    "",
};

std::vector<std::string> requirements() {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < 4000; ++i) {
        std::string text(NAMES[i % NAMES.size()]);
        text += EXTRAS[(i / 3) % EXTRAS.size()];
        if (i % 25 == 0) {
            text += " @ https://files.example.org/packages/" + std::to_string(i) +
                    "/pkg-1.0-py3-none-any.whl ";
        } else {
            text += VERSIONS[(i / 5) % VERSIONS.size()];
        }
        text += MARKERS[(i / 7) % MARKERS.size()];
        texts.push_back(std::move(text));
    }
    return texts;
}

template <class Operation>
void run(benchmark::State& state, Operation operation) {
    const std::vector<std::string> texts = requirements();
    std::size_t bytes = 0;
    for (const std::string& text : texts)
        bytes += text.size();
    for (auto _ : state) {
        for (const std::string& text : texts)
            benchmark::DoNotOptimize(operation(text));
    }
    std::size_t rejected = 0;
    for (const std::string& text : texts) {
        rejected += std::holds_alternative<tarnvik::pep508::Error>(
            tarnvik::pep508::parse_requirement(text));
    }
    state.counters["rejected"] = static_cast<double>(rejected);  // the inputs are all valid: 0
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * texts.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_ParseRequirement(benchmark::State& state) {
    run(state, [](std::string_view text) { return tarnvik::pep508::parse_requirement(text); });
}
BENCHMARK(BM_ParseRequirement);

void BM_RequiredVersions(benchmark::State& state) {
    run(state, [](std::string_view text) { return tarnvik::standards::required_versions(text); });
}
BENCHMARK(BM_RequiredVersions);

}  // namespace
