#pragma once

#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Lock-like TOML documents for differential tests: a few lock files written in every shape the
// TOML rules allow, and many seeded mutations of them, most of which break some rule (a key
// defined twice in a wheel, a table defined twice, a lexical error, ...) and some of which do
// not; and the headers of a table or an array of tables in every place of a package entry.
namespace tarnvik::test {

inline const std::vector<std::string>& lock_bases() {
    static const std::vector<std::string> bases = {
        "version = 1\n"
        "requires-python = \">=3.10\"\n"
        "\n"
        "[[package]]\n"
        "name = \"bench-project\"\n"
        "version = \"1.4.2\"\n"
        "source = { editable = \".\" }\n"
        "dependencies = [{ name = \"alpha\" }, { name = \"beta\", extra = [\"x\"] }]\n"
        "\n"
        "[package.metadata]\n"
        "requires-dist = [{ name = \"alpha\", specifier = \">=1\" }]\n"
        "\n"
        "[[package]]\n"
        "name = \"Alpha_Pkg\"\n"
        "version = \"2.0\"\n"
        "source = { registry = \"https://pypi.org/simple\" }\n"
        "sdist = { url = \"https://files.example.org/alpha.tar.gz\", hash = \"sha256:abc\", "
        "size = 1000 }\n"
        "wheels = [\n"
        "    { url = \"https://files.example.org/alpha.whl\", hash = \"sha256:def\", size = 900 "
        "},\n"
        "    { url = \"https://e.org/a2.whl\", hash = \"sha256:fed\", size = 0x1f, "
        "upload-time = 2024-01-02T03:04:05Z },  # second\n"
        "]\n"
        "\n"
        "[[package]]\n"
        "name = \"beta\"\n"
        "version = '1.0'\n"
        "source.virtual = \".\"\n"
        "optional-dependencies.x = [{ name = \"gamma\", marker = 'python_version < \"3.11\"' }]\n"
        "\n"
        "[[package]]\n"
        "name = \"gam\\u006da\"\n"
        "\"version\" = \"\"\"3.1\"\"\"\n"
        "[package.source]\n"
        "directory = \"libs/gamma\"\n"
        "[[package.wheels]]\n"
        "url = \"u\"\n"
        "size = 1.5e3\n",

        "lock-version = \"1.0\"\n"
        "created-by = \"tool\"\n"
        "[[packages]]\n"
        "name = \"p\"\n"
        "version = \"0.1\"\n"
        "[packages.source]\n"
        "directory = \".\"\n"
        "[[packages.wheels]]\n"
        "url = \"https://x.org/p.whl\"\n"
        "hashes = { sha256 = \"abc\" }\n"
        "[[packages]]\n"
        "name = \"Q.q\"\n"
        "version = \"1e3\"\n"
        "editable = true\n"
        "[packages.tool.x]\n"
        "when = 1979-05-27\n",

        "package = [\n"
        "  { name = \"a\", version = \"1\", source = { virtual = \".\" } },\n"
        "  { name = \"b\", version = \"2\", sdist = { url = \"u\", size = 1 }, wheels = [{ url = "
        "\"w\" }] },\n"
        "  { name = \"c\\u0041\", version = \"3\", \"source\" = { 'editable' = \".\", f = true } "
        "},\n"
        "  { name = \"d\", version = 4, source.directory = \"d\" },\n"
        "  [{ name = \"nested\" }], \"x\", 5,\n"
        "]\n"
        "packages = [{ name = \"p\", version = \"1\", source = { directory = \".\" } }]\n",
    };
    return bases;
}

// The places of a package entry a header can name: each key a lock writes in an entry, and the
// keys of its `source` table and of its other tables.
inline constexpr std::string_view ENTRY_PLACES[] = {"name",
                                                    "version",
                                                    "source",
                                                    "dependencies",
                                                    "sdist",
                                                    "wheels",
                                                    "metadata",
                                                    "optional-dependencies",
                                                    "source.editable",
                                                    "source.virtual",
                                                    "source.directory",
                                                    "source.registry",
                                                    "metadata.requires-dist",
                                                    "wheels.source"};

// Every place of an entry of either format as a table and as an array of tables, empty or
// holding a key that makes a `source` table local.
inline const std::vector<std::string>& entry_headers() {
    static const std::vector<std::string> headers = [] {
        std::vector<std::string> out;
        for (const std::string_view list : {"package", "packages"}) {
            for (const std::string_view place : ENTRY_PLACES) {
                const std::string name = std::string(list) + "." + std::string(place);
                for (const std::string_view body : {"", "editable = \".\"\n"}) {
                    out.push_back("[" + name + "]\n" + std::string(body));
                    out.push_back("[[" + name + "]]\n" + std::string(body));
                }
            }
        }
        return out;
    }();
    return headers;
}

namespace detail {

// Snippets put at the start of a line: most define again something already there.
inline constexpr std::string_view LINES[] = {
    "name = \"dup\"\n",     "version = \"9\"\n",
    "[[package]]\n",        "[package]\n",
    "[package.source]\n",   "[[package.wheels]]\n",
    "package = 1\n",        "source = { virtual = 1 }\n",
    "[packages.source]\n",  "source.editable = 1\n",
    "package.x = 1\n",      "wheels.url = 1\n",
    "[[packages]]\n",       "sdist.size = 2\n",
    "[package.sdist]\n",    "[package.metadata.x]\n",
    "[[package.source]]\n", "metadata.y = 1\n",
};

// Characters put anywhere.
inline constexpr std::string_view CHARACTERS = "[]{}=,.\"'#\\\n \t\r\x01\xc3";

// Words replaced at one of their places: keys made to collide, values made to change kind.
inline constexpr std::pair<std::string_view, std::string_view> SWAPS[] = {
    {"hash", "url"},          {"size", "hash"},         {"wheels", "sdist"}, {"version", "name"},
    {"source", "sdist"},      {"editable", "registry"}, {"name", "version"}, {"extra", "name"},
    {"url", "url.x"},         {"\"1\"", "1"},           {"{", "["},          {"]", "}"},
    {"directory", "virtual"}, {"package", "packages"},  {"= ", "= {"},
};

inline std::size_t below(std::mt19937& random, std::size_t bound) {
    return bound == 0 ? 0 : random() % bound;
}

inline std::size_t line_start(std::mt19937& random, const std::string& text) {
    const std::size_t at = below(random, text.size() + 1);
    const std::size_t newline = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
    return newline == std::string::npos ? 0 : newline + 1;
}

inline void mutate(std::mt19937& random, std::string& text) {
    switch (random() % 5) {
        case 0: {
            const std::vector<std::string>& headers = entry_headers();
            const std::string_view line = random() % 2 == 0
                                              ? LINES[below(random, std::size(LINES))]
                                              : headers[below(random, headers.size())];
            text.insert(line_start(random, text), line);
            break;
        }
        case 1:
            text.insert(below(random, text.size() + 1), 1,
                        CHARACTERS[below(random, CHARACTERS.size())]);
            break;
        case 2: {
            const std::size_t at = below(random, text.size());
            text.erase(at, 1 + below(random, 6));
            break;
        }
        case 3: {
            const std::size_t start = line_start(random, text);
            const std::size_t end = text.find('\n', start);
            const std::size_t size = end == std::string::npos ? text.size() - start : end - start;
            text.insert(start, text.substr(start, size) + "\n");
            break;
        }
        default: {
            const auto& [from, to] = SWAPS[below(random, std::size(SWAPS))];
            std::vector<std::size_t> places;
            for (std::size_t at = text.find(from); at != std::string::npos;
                 at = text.find(from, at + 1)) {
                places.push_back(at);
            }
            if (!places.empty())
                text.replace(places[below(random, places.size())], from.size(), to);
            break;
        }
    }
}

}  // namespace detail

// The bases, then `per_base` mutants of each (one to three mutations apiece), reproducibly.
inline std::vector<std::string> lock_corpus(std::size_t per_base) {
    std::mt19937 random(2026);
    std::vector<std::string> corpus = lock_bases();
    for (const std::string& base : lock_bases()) {
        for (std::size_t i = 0; i < per_base; ++i) {
            std::string text = base;
            for (std::size_t mutations = 1 + random() % 3; mutations > 0; --mutations) {
                detail::mutate(random, text);
            }
            corpus.push_back(std::move(text));
        }
    }
    return corpus;
}

}  // namespace tarnvik::test
