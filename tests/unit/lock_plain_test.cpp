#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <variant>

#include "lock_corpus.hpp"
#include "lock_loader.hpp"
#include "lock_mutations.hpp"
#include "tarnvik/lock.hpp"
#include "tarnvik/text.hpp"
#include "toml_error.hpp"

namespace tarnvik::lock {
namespace {

std::string read_data(const std::string& name) {
    std::ifstream in(std::string(TARNVIK_SOURCE_DIR) + "/tests/data/locks/" + name,
                     std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lock the strict parse reads from the bytes; none when they are not UTF-8 or not TOML.
std::optional<Lock> strict_lock(LockKind kind, std::string_view bytes) {
    if (!text::is_utf8(bytes)) return std::nullopt;
    auto loaded = load_lock(kind, "uv.lock", bytes);
    if (auto* read = std::get_if<Loaded>(&loaded)) return std::move(read->lock);
    return std::nullopt;
}

struct Tally {
    int read = 0;      // by the plain pass
    int declined = 0;  // left to the strict parse
};

// The plain read either declines, or the strict parse accepts the bytes and reads the same lock.
void expect_agreement(LockKind kind, std::string_view bytes, const std::string& label,
                      Tally& tally) {
    const std::optional<Lock> plain = read_plain_lock(kind, "uv.lock", bytes);
    if (!plain) {
        ++tally.declined;
        return;
    }
    ++tally.read;
    const std::optional<Lock> strict = strict_lock(kind, bytes);
    ASSERT_TRUE(strict.has_value()) << "read what the strict parse refuses: " << label;
    EXPECT_EQ(plain->path, strict->path) << label;
    EXPECT_EQ(plain->local_packages, strict->local_packages) << label;
    EXPECT_EQ(plain->package_versions, strict->package_versions) << label;
}

constexpr LockKind KINDS[] = {LockKind::UvLock, LockKind::PyLock};

// The lock files tools write, and the ways of writing them that change nothing, are read in
// one pass; CRLF line ends included.
TEST(PlainLock, ReadsRealLockFilesInOnePass) {
    for (const auto& [file, kind] :
         {std::pair{"uv.lock", LockKind::UvLock}, std::pair{"pylock.toml", LockKind::PyLock}}) {
        const std::string base = read_data(file);
        ASSERT_FALSE(base.empty()) << file;
        const auto mutants = test::lock_mutants(base, 0);
        for (const test::Mutant& mutant : mutants) {
            const std::string label = std::string(file) + ", " + mutant.label;
            ASSERT_TRUE(read_plain_lock(kind, "uv.lock", mutant.text)) << label;
            Tally tally;
            expect_agreement(kind, mutant.text, label, tally);
        }
    }
    const auto lock = read_plain_lock(LockKind::UvLock, "../uv.lock", read_data("uv.lock"));
    ASSERT_TRUE(lock);
    EXPECT_EQ(lock->path, "../uv.lock");
    EXPECT_EQ(lock->local_packages, (std::vector<std::string>{"bench-project", "tool-lib"}));
    EXPECT_EQ(lock->versions("Ruff"), std::vector<std::string>{"0.9.4"});
    EXPECT_GT(lock->package_versions.size(), 10u);
}

// Valid TOML outside the plain layout is left to the strict parse, which reads it.
TEST(PlainLock, LeavesOtherWritingsToTheStrictParse) {
    const std::string_view cases[] = {
        "[[package]]\nname = \"a\\u0041\"\nversion = \"1\"\n",
        "[[package]]\nname = \"a\"\nversion = \"\"\"1\"\"\"\n",
        "[[package]]\nname = '''a'''\nversion = \"1\"\n",
        "[[package]]\n\"name\" = \"a\"\nversion = \"1\"\n",
        "[[package]]\nname = \"a\"\nsource.virtual = \".\"\n",
        "[[package]]\nname = \"a\"\nsource = { virtual.x = \".\" }\n",
        "[[\"package\"]]\nname = \"a\"\n",
        "package = [{ name = \"a\", version = \"1\" }]\n",
        "[[package]]\nname = \"a\"\n[package.x]\nnote = \"tab\\there\"\n",
        "[[package]]\nname = \"a\"\n[[package.source]]\neditable = \".\"\n",
        "[[package]]\n[[package.name]]\n[[package.version]]\n",
    };
    for (const std::string_view text : cases) {
        EXPECT_FALSE(read_plain_lock(LockKind::UvLock, "uv.lock", text)) << text;
        EXPECT_TRUE(strict_lock(LockKind::UvLock, text)) << text;
    }
}

// TOML's rules on defining tables and keys, which the plain pass checks without a document.
TEST(PlainLock, DefinitionsAgreeWithTheStrictParse) {
    const std::string_view cases[] = {
        // valid
        "[a]\n[a.b]\n[b]\n",
        "[a.b]\n[a]\n",
        "[[a]]\n[a.b]\n[[a]]\n[a.b]\n",
        "[[a]]\n[[a.b]]\n[[a.b]]\n[[a]]\n[[a.b]]\n",
        "[x]\n[[package]]\nname = \"p\"\n[package.source]\nvirtual = 1\n[x.y]\n",
        "[[package]]\nname = \"p\"\n[package.source.editable]\n[[package]]\nname = \"q\"\n",
        "[[package]]\nname = \"p\"\n[package.source.x.editable]\n",
        "[[package]]\nname = \"p\"\n[package.metadata.requires-dev]\n[package.metadata]\n",
        "a = 1\nb = { a = 1, b = { a = 2 } }\n[c]\na = [1, [2, { a = 3 }]]\n",
        // invalid
        "[a]\n[a]\n",
        "[a.b]\n[a]\n[a]\n",
        "[a]\nb = 1\n[a.b]\n",
        "[a]\nb = 1\n[a.b.c]\n",
        "[a.b]\n[a]\nb = 1\n",
        "a = 1\n[a]\n",
        "a = {}\n[a.b]\n",
        "a = []\n[[a]]\n",
        "[a]\n[[a]]\n",
        "[[a]]\n[a]\n",
        "[a.b]\n[[a]]\n",
        "[[package]]\nname = \"p\"\nname = \"q\"\n",
        "[[package]]\nsource = { editable = 1 }\n[package.source]\n",
        "[[package]]\nname = \"p\"\n[package.name]\n",
        "x = { a = 1, a = 2 }\n",
    };
    Tally tally;
    for (const std::string_view text : cases) {
        for (const LockKind kind : KINDS)
            expect_agreement(kind, text, std::string(text), tally);
    }
    EXPECT_EQ(tally.read, 2 * 9);  // every valid case in one pass
}

// A table or an array of tables in every place of a package entry, at every line of a lock:
// read in one pass or left to the strict parse, never read otherwise.
TEST(PlainLock, EveryTableInEveryPlaceOfAnEntry) {
    const std::string base =
        "version = 1\n[[package]]\nname = \"app\"\nversion = \"1.0\"\nsource = { registry = \"r\" }\n"
        "sdist = { url = \"u\" }\n[package.metadata]\nrequires-dist = []\n[[package.wheels]]\n"
        "url = \"w\"\n[[package]]\nname = \"lib\"\nversion = \"2.0\"\n[[packages]]\nname = \"p\"\n"
        "version = \"3.0\"\n";
    std::vector<std::size_t> line_starts{0};
    for (std::size_t at = base.find('\n'); at + 1 < base.size(); at = base.find('\n', at + 1))
        line_starts.push_back(at + 1);
    Tally tally;
    for (const std::string& header : test::entry_headers()) {
        for (const std::size_t at : line_starts) {
            const std::string text = std::string(base).insert(at, header);
            for (const LockKind kind : KINDS)
                expect_agreement(kind, text, text, tally);
        }
    }
    EXPECT_GT(tally.read, 1000);
    EXPECT_GT(tally.declined, 1000);
}

// Every prefix of a text, in a buffer of exactly its size (so that the sanitizers see a read
// past its end), is read or declined like the strict parse would have it.
TEST(PlainLock, StopsAtTheEndOfItsBytes) {
    const std::string text =
        "[[package]]\nname = \"abcdefghijklmnopqrstuvwxyz\"\nversion = '1.0'  # \xc3\xa9\r\n"
        "source = { editable = \".\" }\n[package.metadata]\nlong-key-of-more-than-sixteen = ["
        "1979-05-27 07:32:00, 1_000, true]" +
        std::string(20, ' ') + "\n" + std::string(17, '\t');
    Tally tally;
    for (std::size_t size = 0; size <= text.size(); ++size) {
        const auto buffer = std::make_unique<char[]>(size);
        std::copy_n(text.data(), size, buffer.get());
        expect_agreement(LockKind::UvLock, {buffer.get(), size}, text.substr(0, size), tally);
    }
    EXPECT_GT(tally.read, 10);
}

// Every byte value in a key, a string, a comment and between tokens, with enough text after it
// that the sixteen-byte scans see it, is judged as the strict parse judges it.
TEST(PlainLock, EveryByteInEveryPlace) {
    const std::string padding = "\n[[package]]\nname = \"padding-after-the-byte\"\n";
    const std::string places[][2] = {
        {"[[package]]\nname = \"p\"\nk", "ey = 1"},
        {"[[package]]\nname = \"p", "q\""},
        {"[[package]]\nname = 'p", "q'"},
        {"[[package]]\nname = \"p\" # ", "comment"},
        {"[[package]]\nname = \"p\"\nx = [1,", "2]"},
        {"[[package]]\nname = \"p\"\nx = { a = 1,", "b = 2 }"},
        {"[[package]]\nname = \"p\"\n[package.", "x]"},
        {"[[package]]\nname = \"p\"\nversion = 1", "2"},
    };
    Tally tally;
    for (const auto& [before, after] : places) {
        for (int byte = 0; byte < 256; ++byte) {
            const std::string text = before + static_cast<char>(byte) + after + padding;
            expect_agreement(LockKind::UvLock, text, text, tally);
        }
    }
    EXPECT_GT(tally.read, 8 * 60);  // the key, string and comment bytes, and the blanks
}

// Over real-looking lock files and their variants, and the lock-like corpus of the loader's
// tests: the plain read agrees with the strict parse on what it accepts and on the lock, and
// the loader as a whole (plain read, UTF-8 check, strict parse) reports exactly what the
// strict parse alone would, errors included.
TEST(PlainLock, AgreesWithTheStrictParse) {
    std::vector<std::pair<LockKind, test::Mutant>> texts;
    for (const auto& [file, kind] :
         {std::pair{"uv.lock", LockKind::UvLock}, std::pair{"pylock.toml", LockKind::PyLock}}) {
        for (test::Mutant& mutant : test::lock_mutants(read_data(file), 900))
            texts.emplace_back(kind, std::move(mutant));
    }
    for (std::string& text : test::lock_corpus(300)) {
        for (const LockKind kind : KINDS)
            texts.emplace_back(kind, test::Mutant{"corpus: " + text, text});
    }
    Tally tally;
    for (const auto& [kind, mutant] : texts) {
        expect_agreement(kind, mutant.text, mutant.label, tally);
        auto loaded = cli::load_lock_text(kind, "uv.lock", mutant.text);
        const std::optional<Lock> strict = strict_lock(kind, mutant.text);
        if (strict) {
            ASSERT_TRUE(std::holds_alternative<Lock>(loaded)) << mutant.label;
            EXPECT_EQ(std::get<Lock>(loaded).package_versions, strict->package_versions);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<std::string>(loaded)) << mutant.label;
        std::string expected = "stream did not contain valid UTF-8";
        if (text::is_utf8(mutant.text)) {
            auto error = load_lock(kind, "uv.lock", mutant.text);
            expected = cli::toml_error_display(mutant.text, std::get<parse::ParseError>(error));
        }
        EXPECT_EQ(std::get<std::string>(loaded), expected) << mutant.label;
    }
    // Both ways were taken often: the comparison is not one-sided.
    EXPECT_GT(tally.read, 500);
    EXPECT_GT(tally.declined, 500);
}

}  // namespace
}  // namespace tarnvik::lock
