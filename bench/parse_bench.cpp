// Parse throughput of the TOML document parser on a generated lock file of about 5 MB (the
// shape of a uv.lock) and on a typical 5 KB pyproject.toml.
#include <benchmark/benchmark.h>

#include <string>

#include "heap.hpp"
#include "lock_text.hpp"
#include "tarnvik/parse.hpp"
#include "toml_version.hpp"

namespace {

// The parse is measured on the heap as the program prepares it at start-up: memory released
// between iterations stays with the process rather than being faulted in again by the next.
const bool HEAP_PREPARED = (tarnvik::cli::prepare_heap(5'000'000), true);

std::string pyproject(std::size_t target_size) {
    std::string text = R"([build-system]
requires = ["hatchling>=1.26", "hatch-vcs"]
build-backend = "hatchling.build"

[project]
name = "example-project"
dynamic = ["version"]
description = "An example project with a realistic amount of metadata"
readme = "README.md"
license = "MIT OR Apache-2.0"
license-files = ["LICEN[CS]E*"]
requires-python = ">=3.10"
authors = [{ name = "Ada Lovelace", email = "ada@example.org" }]
classifiers = [
    "Development Status :: 5 - Production/Stable",
    "Programming Language :: Python :: 3.12",
    "Programming Language :: Python :: 3.13",
]
dependencies = [
    "httpx>=0.27",
    "pydantic>=2.7,<3",
    "rich>=13; python_version >= '3.11'",
]

[project.urls]
Homepage = "https://example.org"
Source = "https://github.com/example/example-project"

[project.scripts]
example = "example.cli:main"

[dependency-groups]
dev = ["pytest>=8", "ruff==0.9.1", { include-group = "typing" }]
typing = ["ty>=0.0.1"]

[tool.uv]
required-version = ">=0.6"
default-groups = ["dev"]

[tool.ruff]
line-length = 100
target-version = "py310"

[tool.ruff.lint]
select = ["E", "F", "I", "UP", "B"]
ignore = ["E501"]
)";
    text += R"(
[tool.ruff.lint.per-file-ignores]
"tests/**" = ["S101", "PLR2004"]
"docs/*.py" = ["INP001"]

[tool.pytest.ini_options]
minversion = "8.0"
addopts = ["-ra", "--strict-markers", "--strict-config"]
testpaths = ["tests"]
filterwarnings = ["error", "ignore::DeprecationWarning"]

[tool.coverage.run]
branch = true
source = ["example"]

[tool.coverage.report]
fail_under = 95.5
exclude_lines = ["pragma: no cover", "if TYPE_CHECKING:"]
)";
    for (std::size_t i = 0; text.size() < target_size; ++i) {
        text += "\n[[tool.mypy.overrides]]\nmodule = [\"example.part" + std::to_string(i) +
                ".*\", \"vendored.lib" + std::to_string(i) +
                "\"]\nignore_missing_imports = true\ndisallow_untyped_defs = false\n"
                "warn_unused_ignores = true\n";
    }
    return text;
}

// Releasing the document is not part of parsing it, so it is left out of the timing.
void parse_document(benchmark::State& state, const std::string& text, auto parse) {
    for (auto _ : state) {
        auto result = parse(text);
        benchmark::DoNotOptimize(result);
        state.PauseTiming();
        { auto released = std::move(result); }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_ParseLockFile5MB(benchmark::State& state) {
    static const std::string text = tarnvik::bench::lock_file(5'000'000);
    parse_document(state, text, tarnvik::parse::parse);
}
BENCHMARK(BM_ParseLockFile5MB)->Unit(benchmark::kMillisecond);

void BM_ParseStrictLockFile5MB(benchmark::State& state) {
    static const std::string text = tarnvik::bench::lock_file(5'000'000);
    parse_document(state, text, tarnvik::parse::parse_strict);
}
BENCHMARK(BM_ParseStrictLockFile5MB)->Unit(benchmark::kMillisecond);

// The strict parse as the lock loader runs it: only the names, versions and sources filled in.
void BM_ParseStrictWantedLockFile5MB(benchmark::State& state) {
    static const std::string text = tarnvik::bench::lock_file(5'000'000);
    static constexpr tarnvik::document::Want ENTRY[] = {
        {"name", {}}, {"version", {}}, {"source", {}}};
    static constexpr tarnvik::document::Want LOCK[] = {{"package", ENTRY}};
    parse_document(state, text,
                   [](std::string_view t) { return tarnvik::parse::parse_strict_wanted(t, LOCK); });
}
BENCHMARK(BM_ParseStrictWantedLockFile5MB)->Unit(benchmark::kMillisecond);

// Parsing and releasing together, as one check of a lock file does.
void BM_ParseAndReleaseLockFile5MB(benchmark::State& state) {
    static const std::string text = tarnvik::bench::lock_file(5'000'000);
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnvik::parse::parse(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseAndReleaseLockFile5MB)->Unit(benchmark::kMillisecond);

void BM_ParsePyproject5KB(benchmark::State& state) {
    static const std::string text = pyproject(5'000);
    parse_document(state, text, tarnvik::parse::parse);
}
BENCHMARK(BM_ParsePyproject5KB)->Unit(benchmark::kMicrosecond);

void BM_Toml11DetectionPyproject5KB(benchmark::State& state) {
    static const std::string text = pyproject(5'000);
    for (auto _ : state) {
        auto result = tarnvik::toml_version::check_toml_1_1_syntax(text);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Toml11DetectionPyproject5KB)->Unit(benchmark::kMicrosecond);

}  // namespace
