#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "tarnvik/pep440.hpp"

namespace {

using namespace tarnvik::pep440;

// A mix like the versions of a lock file: mostly plain releases, some pre, post, dev and local.
std::vector<std::string> sample_versions() {
    std::vector<std::string> out;
    const char* suffixes[] = {"", "", "", "", "rc1", ".post1", ".dev3", "a2", "+cpu", "b1.post2"};
    for (int i = 0; i < 1000; ++i) {
        out.push_back(std::to_string(i % 7) + "." + std::to_string(i % 31) + "." +
                      std::to_string(i % 13) + suffixes[i % 10]);
    }
    return out;
}

std::vector<std::string> sample_specifiers() {
    std::vector<std::string> out;
    const char* operators[] = {">=", "<", "~=", "==", "!=", "<=", ">"};
    for (int i = 0; i < 1000; ++i) {
        out.push_back(std::string(operators[i % 7]) + std::to_string(i % 5) + "." +
                      std::to_string(i % 17) + (i % 11 == 0 ? ".*" : ""));
    }
    return out;
}

// Times `operation` over every text, one item per text.
template <class Operation>
void over_texts(benchmark::State& state, const std::vector<std::string>& texts,
                Operation operation) {
    for (auto _ : state) {
        for (const auto& text : texts)
            benchmark::DoNotOptimize(operation(text));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}

void BM_ParseVersion(benchmark::State& state) {
    over_texts(state, sample_versions(),
               [](const std::string& text) { return parse_version(text); });
}
BENCHMARK(BM_ParseVersion);

void BM_CompareVersions(benchmark::State& state) {
    std::vector<Version> versions;
    for (const auto& text : sample_versions())
        versions.push_back(std::get<Version>(parse_version(text)));
    for (auto _ : state) {
        for (std::size_t i = 1; i < versions.size(); ++i) {
            benchmark::DoNotOptimize(versions[i - 1] < versions[i]);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(versions.size() - 1));
}
BENCHMARK(BM_CompareVersions);

void BM_ParseSpecifier(benchmark::State& state) {
    over_texts(state, sample_specifiers(),
               [](const std::string& text) { return parse_specifier(text); });
}
BENCHMARK(BM_ParseSpecifier);

void BM_SetContains(benchmark::State& state) {
    auto set = to_version_set(
        std::get<std::vector<Specifier>>(parse_specifiers(">=0.1, !=1.2.*, !=2.5, <6")));
    over_texts(state, sample_versions(),
               [&set](const std::string& text) { return set.contains(text); });
}
BENCHMARK(BM_SetContains);

}  // namespace
