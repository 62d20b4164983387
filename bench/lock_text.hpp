#pragma once

#include <cstdint>
#include <string>

// A generated lock file in the shape of a uv.lock, for the benchmarks.
namespace tarnvik::bench {

// A deterministic hex string of `n` digits derived from `seed`.
inline std::string hex(std::size_t seed, std::size_t n) {
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

inline std::string wheel(std::size_t package, std::size_t i, const std::string& name) {
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

inline std::string lock_file(std::size_t target_size) {
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

// A uv.lock that pins one package at `versions` versions, one entry each, as a lock of a
// project that tries every release of a tool would.
inline std::string many_versions_lock(std::size_t versions) {
    std::string text = "version = 1\nrequires-python = \">=3.12\"\n";
    for (std::size_t i = 0; i < versions; ++i) {
        text += "\n[[package]]\nname = \"ruff\"\nversion = \"0." + std::to_string(i / 1000) + "." +
                std::to_string(i % 1000) + "\"\n";
    }
    return text;
}

}  // namespace tarnvik::bench
