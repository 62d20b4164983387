#pragma once

#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lock_corpus.hpp"

// Variants of a real-looking lock file for differential tests of lock readers: the same file
// with CRLF line ends, a byte order mark, comments or tabs, which a reader must still take, and
// the file truncated, with bytes that are not UTF-8, a key or a table defined twice, escapes,
// multi-line strings and other writings that one reader may leave to another. Each variant is
// labelled with what was done to it.
namespace tarnvik::test {

struct Mutant {
    std::string label;
    std::string text;
};

namespace mutation {

inline std::string replace_all(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The places where `what` occurs in the text.
inline std::vector<std::size_t> places(const std::string& text, std::string_view what) {
    std::vector<std::size_t> found;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        found.push_back(at);
    return found;
}

inline std::size_t pick(std::mt19937& random, const std::vector<std::size_t>& from) {
    return from.empty() ? 0 : from[random() % from.size()];
}

// Byte sequences put into a string or a comment: well-formed UTF-8 first, then ill-formed
// (a lone continuation byte, a cut sequence, an encoded surrogate, an overlong encoding).
inline constexpr std::string_view FOREIGN[] = {
    "\xc3\xa9",
    "\xe6\x97\xa5\xe6\x9c\xac",
    "\xf0\x9f\x90\x8d",
    "\xef\xbb\xbf",
    "\x80",
    "\xc3",
    "\xed\xa0\x80",
    "\xc0\xaf",
    "\xff",
    "\xf4\x90\x80\x80",
};

// Written inside a string in place of a character.
inline constexpr std::string_view ESCAPES[] = {
    "\\u0041", "\\n",     "\\\\", "\\\"",  "\\t",   "\\U0001F40D",
    "\\q",     "\\uD800", "\\e",  "\\x41", "\\u00",
};

// Lines put before a line of the file: most define something a second time, extend what cannot
// be extended, or are kinds of statement a plain reader leaves alone.
inline constexpr std::string_view LINES[] = {
    "[package.metadata]\n",
    "[[package]]\n",
    "[package]\n",
    "[package.source]\n",
    "[package.source]\neditable = \".\"\n",
    "[package.source.virtual]\n",
    "[[package.wheels]]\nurl = \"u\"\n",
    "[package.optional-dependencies]\n",
    "[options]\n",
    "[manifest]\nmembers = []\n",
    "[[packages]]\nname = \"extra\"\nversion = \"1\"\n",
    "version = \"9\"\n",
    "name = \"Second_Name\"\n",
    "source = { directory = \"d\" }\n",
    "source.editable = \".\"\n",
    "\"quoted\" = 1\n",
    "dotted.key = 1\n",
    "text = \"\"\"\nmulti\nline\"\"\"\n",
    "text = '''lit'''\n",
    "when = 1979-05-27 07:32:00Z\n",
    "number = 0x1f\n",
    "number = 00\n",
    "big = 123456789012345678901234567890\n",
    "flag = true\n",
    "# a comment \xc3\xa9\n",
    "# a control \x01 character\n",
    "  \t\n",
    "package = []\n",
    "x = [1,,2]\n",
    "x = { a = 1, }\n",
    "x = { a = 1, a = 2 }\n",
    "x = {\n  a = 1,\n}\n",
};

}  // namespace mutation

// The variants of `base`, `count` of the random ones, reproducibly.
inline std::vector<Mutant> lock_mutants(const std::string& base, std::size_t count) {
    using namespace mutation;
    std::vector<Mutant> out;
    // Writings a plain reader must take.
    out.push_back({"crlf", replace_all(base, "\n", "\r\n")});
    out.push_back({"bom", "\xef\xbb\xbf" + base});
    out.push_back({"bom crlf", "\xef\xbb\xbf" + replace_all(base, "\n", "\r\n")});
    out.push_back({"no final line break", base.substr(0, base.find_last_not_of('\n') + 1)});
    out.push_back({"tabs", replace_all(base, " = ", "\t=\t")});
    out.push_back({"comments", replace_all(base, "]\n", "]  # closes\n")});
    out.push_back({"literal strings",
                   replace_all(base, "\"https://pypi.org/simple\"", "'https://pypi.org/simple'")});
    out.push_back({"empty", ""});

    std::mt19937 random(1979);
    const std::vector<std::size_t> quotes = places(base, "\"");
    const std::vector<std::size_t> line_starts = [&] {
        std::vector<std::size_t> starts{0};
        for (std::size_t at : places(base, "\n"))
            starts.push_back(at + 1);
        return starts;
    }();
    for (std::size_t i = 0; i < count; ++i) {
        std::string text = base;
        std::string label;
        switch (i % 9) {
            case 0: {
                const std::size_t at = random() % (text.size() + 1);
                label = "truncated at " + std::to_string(at);
                text.resize(at);
                break;
            }
            case 1: {
                const std::size_t at = pick(random, line_starts);
                label = "one line ending in CR LF, or a lone CR, at " + std::to_string(at);
                const std::size_t end = text.find('\n', at);
                if (end != std::string::npos) text.insert(end, "\r");
                if (random() % 3 == 0 && end != std::string::npos) text.erase(end + 1, 1);
                break;
            }
            case 2:
            case 3: {
                const std::string_view bytes = FOREIGN[random() % std::size(FOREIGN)];
                const std::size_t at =
                    i % 9 == 2 ? pick(random, quotes) + 1 : random() % (text.size() + 1);
                label = "foreign bytes at " + std::to_string(at);
                text.insert(std::min(at, text.size()), bytes);
                break;
            }
            case 4: {
                const std::size_t at = pick(random, line_starts);
                const std::size_t end = text.find('\n', at);
                label = "line at " + std::to_string(at) + " twice";
                if (end != std::string::npos) text.insert(at, text.substr(at, end + 1 - at));
                break;
            }
            case 5: {
                const std::string_view escape = ESCAPES[random() % std::size(ESCAPES)];
                const std::size_t at = pick(random, quotes) + 1;
                label = "escape " + std::string(escape) + " at " + std::to_string(at);
                if (at < text.size() && text[at] != '"') text.replace(at, 1, escape);
                break;
            }
            case 6: {
                const std::size_t quote = random() % std::max<std::size_t>(1, quotes.size() / 2);
                const std::size_t open = quotes.empty() ? 0 : quotes[quote * 2 % quotes.size()];
                const std::size_t close = text.find('"', open + 1);
                label = "multi-line string at " + std::to_string(open);
                if (close != std::string::npos && close + 1 < text.size()) {
                    const std::string_view delimiter = random() % 2 ? "\"\"\"" : "'''";
                    text.replace(close, 1, delimiter);
                    text.replace(open, 1, std::string(delimiter) + (random() % 2 ? "\n" : ""));
                }
                break;
            }
            case 7: {
                const std::vector<std::string>& headers = entry_headers();
                const std::string_view line = random() % 2 == 0
                                                  ? LINES[random() % std::size(LINES)]
                                                  : headers[random() % headers.size()];
                const std::size_t at = pick(random, line_starts);
                label = "line put at " + std::to_string(at) + ": " + std::string(line);
                text.insert(at, line);
                break;
            }
            default: {
                // A key of an inline table given twice, or a key made to collide with another.
                const std::vector<std::size_t> tables = places(text, "{ ");
                const std::size_t at = pick(random, tables);
                label = "inline table key twice at " + std::to_string(at);
                const std::size_t equals = text.find(" = ", at);
                if (!tables.empty() && equals != std::string::npos) {
                    const std::string key = text.substr(at + 2, equals - at - 2);
                    text.insert(at + 2, key + " = 1, ");
                }
                break;
            }
        }
        out.push_back({std::move(label), std::move(text)});
    }
    return out;
}

}  // namespace tarnvik::test
