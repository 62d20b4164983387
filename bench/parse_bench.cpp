// Parse throughput of the TOML document parser on a generated lock file of about 5 MB (the
// shape of a uv.lock) and on a typical 5 KB pyproject.toml.
#include <benchmark/benchmark.h>

#include <string>

#include "heap.hpp"
#include "tarnvik/parse.hpp"
#include "toml_version.hpp"

namespace {

// The parse is measured on the heap as the program prepares it at start-up: memory released
// between iterations stays with the process rather than being faulted in again by the next.
const bool HEAP_PREPARED = (tarnvik::cli::prepare_heap(), true);

// A deterministic hex string of `n` digits derived from `seed`.
std::string hex(std::size_t seed, std::size_t n) {
    std::string out;
    std::uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
    while (out.size() < n) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        out += "0123456789abcdef"[x & 15];
    }
    return out;
}

std::string wheel(std::size_t package, std::size_t i, const std::string& name) {
    static const char* const TAGS[] = {"cp312-cp312-manylinux_2_17_x86_64.manylinux2014_x86_64",
                                       "cp312-cp312-macosx_11_0_arm64", "cp313-cp313-win_amd64",
                                       "py3-none-any"};
    return "    { url = \"https://files.pythonhosted.org/packages/" + hex(package * 31 + i, 2) +
           "/" + hex(package * 37 + i, 2) + "/" + hex(package * 41 + i, 60) + "/" + name + "-1." +
           std::to_string(i) + ".0-" + TAGS[i % 4] +
           ".whl\", hash = \"sha256:" + hex(package * 43 + i, 64) +
           "\", size = " + std::to_string(100000 + package * 7 + i) +
           ", upload-time = \"2025-01-05T13:13:07.985Z\" },\n";
}

std::string lock_file(std::size_t target_size) {
    std::string text = "version = 1\nrevision = 3\nrequires-python = \">=3.12\"\n";
    for (std::size_t p = 0; text.size() < target_size; ++p) {
        const std::string name = "package-" + std::to_string(p);
        text += "\n[[package]]\nname = \"" + name + "\"\nversion = \"" + std::to_string(p % 13) +
                "." + std::to_string(p % 7) +
                ".0\"\nsource = { registry = \"https://pypi.org/simple\" }\n";
        text += "dependencies = [\n    { name = \"package-" + std::to_string(p / 2) +
                "\" },\n    { name = \"idna\" },\n    { name = \"sniffio\", marker = "
                "\"python_full_version < '3.13'\" },\n]\n";
        text += "sdist = { url = \"https://files.pythonhosted.org/packages/" + hex(p, 60) + "/" +
                name + "-1.0.tar.gz\", hash = \"sha256:" + hex(p + 1, 64) +
                "\", size = 181126, upload-time = \"2025-01-05T13:13:11.095Z\" }\n";
        text += "wheels = [\n";
        for (std::size_t i = 0; i < 8; ++i)
            text += wheel(p, i, name);
        text += "]\n\n[package.optional-dependencies]\ntrio = [\n    { name = \"trio\" },\n]\n";
    }
    return text;
}

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
    static const std::string text = lock_file(5'000'000);
    parse_document(state, text, tarnvik::parse::parse);
}
BENCHMARK(BM_ParseLockFile5MB)->Unit(benchmark::kMillisecond);

void BM_ParseStrictLockFile5MB(benchmark::State& state) {
    static const std::string text = lock_file(5'000'000);
    parse_document(state, text, tarnvik::parse::parse_strict);
}
BENCHMARK(BM_ParseStrictLockFile5MB)->Unit(benchmark::kMillisecond);

// The strict parse as the lock loader runs it: only the names, versions and sources filled in.
void BM_ParseStrictWantedLockFile5MB(benchmark::State& state) {
    static const std::string text = lock_file(5'000'000);
    static constexpr tarnvik::document::Want ENTRY[] = {
        {"name", {}}, {"version", {}}, {"source", {}}};
    static constexpr tarnvik::document::Want LOCK[] = {{"package", ENTRY}};
    parse_document(state, text,
                   [](std::string_view t) { return tarnvik::parse::parse_strict_wanted(t, LOCK); });
}
BENCHMARK(BM_ParseStrictWantedLockFile5MB)->Unit(benchmark::kMillisecond);

// Parsing and releasing together, as one check of a lock file does.
void BM_ParseAndReleaseLockFile5MB(benchmark::State& state) {
    static const std::string text = lock_file(5'000'000);
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
