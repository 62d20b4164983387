#include <gtest/gtest.h>

#include <variant>

#include "lock_corpus.hpp"
#include "tarnvik/lock.hpp"
#include "tarnvik/parse.hpp"

namespace tarnvik::lock {
namespace {

using Versions = std::vector<std::pair<std::string, std::vector<std::string>>>;

struct LoadCase {
    std::string name;
    LockKind kind;
    std::string text;
    std::vector<std::string> local_packages;
    Versions versions;
};

TEST(LoadLock, TakesNamesVersionsAndLocalPackages) {
    const LockKind uv = LockKind::UvLock;
    const LockKind pylock = LockKind::PyLock;
    const std::vector<LoadCase> cases = {
        {"empty file", uv, "", {}, {}},
        {"entry list not an array", uv, "package = \"x\"\n", {}, {}},
        {"entry list a table", uv, "[package]\nname = \"a\"\nversion = \"1\"\n", {}, {}},
        {"uv.lock under the other format's key",
         uv,
         "[[packages]]\nname = \"a\"\nversion = \"1\"\n",
         {},
         {}},
        {"pylock.toml under the other format's key",
         pylock,
         "[[package]]\nname = \"a\"\nversion = \"1\"\n",
         {},
         {}},
        {"names join after normalization, first-seen order kept",
         uv,
         "[[package]]\nname = \"Foo_Bar\"\nversion = \"2.0\"\n"
         "[[package]]\nname = \"foo.bar\"\nversion = \"1.0\"\n",
         {},
         {{"foo-bar", {"2.0", "1.0"}}}},
        {"byte-equal versions recorded once, equal-valued ones both",
         uv,
         "[[package]]\nname = \"a\"\nversion = \"1.0\"\n"
         "[[package]]\nname = \"a\"\nversion = \"1.0\"\n"
         "[[package]]\nname = \"a\"\nversion = \"1.0.0\"\n",
         {},
         {{"a", {"1.0", "1.0.0"}}}},
        {"versions ordered by name",
         uv,
         "[[package]]\nname = \"zeta\"\nversion = \"1\"\n"
         "[[package]]\nname = \"Alpha\"\nversion = \"2\"\n"
         "[[package]]\nname = \"mid\"\nversion = \"3\"\n",
         {},
         {{"alpha", {"2"}}, {"mid", {"3"}}, {"zeta", {"1"}}}},
        {"names in normal form kept, others normalized, invalid ones skipped",
         uv,
         "[[package]]\nname = \"a-b\"\nversion = \"1\"\n"
         "[[package]]\nname = \"a--b\"\nversion = \"2\"\n"
         "[[package]]\nname = \"0\"\nversion = \"3\"\n"
         "[[package]]\nname = \"a-\"\nversion = \"4\"\n"
         "[[package]]\nname = \"-a\"\nversion = \"5\"\n"
         "[[package]]\nname = \"a_B.c\"\nversion = \"6\"\n",
         {},
         {{"0", {"3"}}, {"a-b", {"1", "2"}}, {"a-b-c", {"6"}}}},
        {"local package without version",
         uv,
         "[[package]]\nname = \"My.App\"\nsource = { editable = \".\" }\n",
         {"my-app"},
         {}},
        {"local packages in file order with duplicates",
         uv,
         "[[package]]\nname = \"b\"\nversion = \"1\"\nsource = { virtual = \".\" }\n"
         "[[package]]\nname = \"a\"\nversion = \"1\"\nsource = { directory = \"a\" }\n"
         "[[package]]\nname = \"B\"\nversion = \"2\"\nsource = { editable = \"b\" }\n"
         "[[package]]\nname = \"c\"\nversion = \"1\"\nsource = { registry = \"r\" }\n",
         {"b", "a", "b"},
         {{"a", {"1"}}, {"b", {"1", "2"}}, {"c", {"1"}}}},
        {"a source written as an array of tables is no table, and makes nothing local",
         uv,
         "[[package]]\nname = \"a\"\nversion = \"1\"\n[[package.source]]\neditable = \".\"\n",
         {},
         {{"a", {"1"}}}},
        {"pylock.toml never records local packages",
         pylock,
         "[[packages]]\nname = \"x\"\nversion = \"1\"\n"
         "[packages.source]\ndirectory = \".\"\n",
         {},
         {{"x", {"1"}}}},
        {"invalid name skipped altogether",
         uv,
         "[[package]]\nname = \"-bad-\"\nversion = \"1\"\nsource = { editable = \".\" }\n",
         {},
         {}},
        {"entries that do not fit are skipped",
         uv,
         "package = [1, \"x\", [], { version = \"1\" }, { name = 3, version = \"1\" },"
         " { name = \"\", version = \"1\" }, { name = \"ok\", version = 1 },"
         " { name = \"ok\", version = \"2\" }]\n",
         {},
         {{"ok", {"2"}}}},
        {"other keys ignored",
         pylock,
         "lock-version = \"1.0\"\n[[packages]]\nname = \"p\"\nversion = \"0.1\"\nextra = 1\n",
         {},
         {{"p", {"0.1"}}}},
    };
    for (const auto& c : cases) {
        auto loaded = load_lock(c.kind, "../uv.lock", c.text);
        const auto* read = std::get_if<Loaded>(&loaded);
        ASSERT_NE(read, nullptr) << c.name;
        const Lock* lock = &read->lock;
        EXPECT_EQ(lock->path, "../uv.lock") << c.name;
        EXPECT_EQ(lock->local_packages, c.local_packages) << c.name;
        EXPECT_EQ(lock->package_versions, c.versions) << c.name;
    }
}

std::vector<std::string> numbered(std::string_view prefix, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.push_back(std::string(prefix) + std::to_string(i));
    return out;
}

// Many versions of a name: each kept once, in first-seen order, by both readers, whether the
// names' entries come together or scattered among each other, with repeats near and far.
TEST(LoadLock, ManyVersionsOfOneName) {
    using Entry = std::pair<std::string, std::string>;
    const std::vector<std::string> hundred = numbered("0.", 100);
    const std::vector<std::string> forty = numbered("1.", 40);
    std::vector<Entry> together, scattered, far;
    for (const std::string& version : hundred)
        together.insert(together.end(), 2, {"ruff", version});
    for (const std::string& version : forty)
        together.insert(together.end(), 2, {"ty", version});
    for (std::size_t i = 0; i < 2 * hundred.size(); ++i) {
        scattered.emplace_back("ruff", hundred[i / 2]);
        scattered.emplace_back("ty", forty[i % forty.size()]);
    }
    for (const auto& versions : {hundred, {hundred.rbegin(), hundred.rend()}, forty}) {
        for (const std::string& version : versions)
            far.emplace_back("ruff", version);
    }
    std::vector<std::string> all = hundred;
    all.insert(all.end(), forty.begin(), forty.end());
    const std::pair<std::vector<Entry>, Versions> cases[] = {
        {together, {{"ruff", hundred}, {"ty", forty}}},
        {scattered, {{"ruff", hundred}, {"ty", forty}}},
        {far, {{"ruff", all}}},
    };
    for (const auto& [entries, expected] : cases) {
        std::string text;
        for (const auto& [name, version] : entries)
            text += "[[package]]\nname = \"" + name + "\"\nversion = \"" + version + "\"\n";
        auto strict = load_lock(LockKind::UvLock, "uv.lock", text);
        ASSERT_TRUE(std::holds_alternative<Loaded>(strict));
        EXPECT_EQ(std::get<Loaded>(strict).lock.package_versions, expected);
        const auto plain = read_plain_lock(LockKind::UvLock, "uv.lock", text);
        ASSERT_TRUE(plain.has_value());
        EXPECT_EQ(plain->package_versions, expected);
    }
}

TEST(LoadLock, TomlErrorIsTheStrictParseError) {
    for (const std::string text : {"[[package]]\nname = \n", "a = 1\na = 2\n"}) {
        auto parsed = parse::parse_strict(text);
        const auto* expected = std::get_if<parse::ParseError>(&parsed);
        ASSERT_NE(expected, nullptr) << text;
        auto loaded = load_lock(LockKind::UvLock, "uv.lock", text);
        const auto* error = std::get_if<parse::ParseError>(&loaded);
        ASSERT_NE(error, nullptr) << text;
        EXPECT_EQ(error->message, expected->message) << text;
        EXPECT_EQ(error->span, expected->span) << text;
    }
}

// The lock of a text as read from its whole parsed document, or the parse error.
std::variant<Lock, parse::ParseError> load_from_whole_document(LockKind kind,
                                                               std::string_view text) {
    auto parsed = parse::parse_strict(text);
    if (auto* error = std::get_if<parse::ParseError>(&parsed)) return *error;
    return read_lock(kind, "uv.lock", std::get<document::Table>(parsed));
}

TEST(LoadLock, ReadsWhatTheWholeDocumentHolds) {
    int locks = 0;
    int with_packages = 0;
    for (const std::string& text : test::lock_corpus(3000)) {
        for (const LockKind kind : {LockKind::UvLock, LockKind::PyLock}) {
            const auto expected = load_from_whole_document(kind, text);
            const auto loaded = load_lock(kind, "uv.lock", text);
            ASSERT_EQ(loaded.index(), expected.index()) << text;
            if (const auto* error = std::get_if<parse::ParseError>(&expected)) {
                EXPECT_EQ(std::get<parse::ParseError>(loaded).message, error->message) << text;
                EXPECT_EQ(std::get<parse::ParseError>(loaded).span, error->span) << text;
                continue;
            }
            const auto& want = std::get<Lock>(expected);
            const auto& got = std::get<Loaded>(loaded).lock;
            EXPECT_EQ(got.path, want.path);
            EXPECT_EQ(got.local_packages, want.local_packages) << text;
            EXPECT_EQ(got.package_versions, want.package_versions) << text;
            ++locks;
            with_packages += !want.package_versions.empty() && !want.local_packages.empty();
        }
    }
    EXPECT_GT(with_packages, 1000);  // the comparison saw real locks, not only empty ones
    EXPECT_GT(locks, with_packages);
}

}  // namespace
}  // namespace tarnvik::lock
