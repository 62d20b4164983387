#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "lock_corpus.hpp"
#include "tarnvik/parse.hpp"
#include "toml_dump.hpp"

namespace tarnvik::parse {
namespace {

std::string dumped(const document::Value& value) {
    std::ostringstream out;
    test::dump(value, out);
    return out.str();
}

const document::Want* under(const document::Want* want, std::string_view key) {
    if (want == nullptr) return nullptr;
    for (const document::Want& part : want->within) {
        if (part.key == key) return &part;
    }
    return nullptr;
}

// Whether `lean` agrees with `full`: the kind and span of every value, and inside the wanted
// parts the content too.
bool same_where_wanted(const document::Value& full, const document::Value& lean,
                       const document::Want* want) {
    if (full.kind() != lean.kind() || full.span.start != lean.span.start ||
        full.span.end != lean.span.end) {
        return false;
    }
    if (want == nullptr) return true;
    if (const document::Table* table = full.as_table()) {
        const auto& entries = table->entries;
        const auto& lean_entries = lean.as_table()->entries;
        if (entries.size() != lean_entries.size()) return false;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].key != lean_entries[i].key ||
                !same_where_wanted(entries[i].value, lean_entries[i].value,
                                   under(want, entries[i].key))) {
                return false;
            }
        }
        return true;
    }
    if (const document::Array* array = full.as_array()) {
        const document::Array& lean_array = *lean.as_array();
        if (array->size() != lean_array.size()) return false;
        for (std::size_t i = 0; i < array->size(); ++i) {
            if (!same_where_wanted((*array)[i], lean_array[i], want)) return false;
        }
        return true;
    }
    return dumped(full) == dumped(lean);
}

// What a lock reader looks at, and deeper parts for the arrays of inline tables in it.
constexpr document::Want SOURCE[] = {{"editable", {}}};
constexpr document::Want WHEEL[] = {{"url", {}}, {"size", {}}};
constexpr document::Want ENTRY[] = {
    {"name", {}}, {"version", {}}, {"source", SOURCE}, {"wheels", WHEEL}, {"sdist", WHEEL}};
constexpr document::Want LOCK[] = {{"package", ENTRY}, {"packages", ENTRY}, {"version", {}}};
const document::Want ROOT{{}, LOCK};

// Both strict parses of `text` agree: accepted by both with the wanted parts alike, or rejected
// by both with the same first error.
void expect_agreement(const std::string& text, int& accepted) {
    auto full = parse_strict(text);
    auto lean = parse_strict_wanted(text, LOCK);
    ASSERT_EQ(full.index(), lean.index()) << text;
    if (const auto* error = std::get_if<ParseError>(&full)) {
        const auto& lean_error = std::get<ParseError>(lean);
        EXPECT_EQ(error->message, lean_error.message) << text;
        EXPECT_EQ(error->span.start, lean_error.span.start) << text;
        EXPECT_EQ(error->span.end, lean_error.span.end) << text;
        return;
    }
    ++accepted;
    const document::Value full_root{std::move(std::get<document::Table>(full)), {}};
    const document::Value lean_root{std::move(std::get<document::Table>(lean)), {}};
    EXPECT_TRUE(same_where_wanted(full_root, lean_root, &ROOT)) << text;
}

TEST(ParseWanted, AcceptsAndRejectsLikeTheFullStrictParse) {
    const std::vector<std::string> corpus = test::lock_corpus(3000);
    int accepted = 0;
    for (const std::string& text : corpus)
        expect_agreement(text, accepted);
    // Both outcomes are well represented, so both were compared.
    EXPECT_GT(accepted, static_cast<int>(corpus.size() / 10)) << accepted;
    EXPECT_LT(accepted, static_cast<int>(corpus.size() * 9 / 10));
}

TEST(ParseWanted, ArbitraryBytesGiveTheSameFirstError) {
    std::mt19937 random(7);
    const std::string alphabet = "[]{}=.,\"'#\\\n\r\t abz019-+:_xeuU\x01\xc3\xa9";
    const std::string_view words[] = {"package", "name", "version", "source", "packages"};
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (std::size_t length = random() % 60; text.size() < length;) {
            if (random() % 4 == 0) {
                text += words[random() % std::size(words)];
            } else {
                text += alphabet[random() % alphabet.size()];
            }
        }
        expect_agreement(text, accepted);
    }
    EXPECT_GT(accepted, 300) << accepted;
}

TEST(ParseWanted, LeavesOutTheContentOfWhatIsNotWanted) {
    struct Case {
        std::string text;
        std::string document;
    };
    const Case cases[] = {
        {"a = \"x\"\nb = 12\nc = 1.5\nd = true\ne = 1979-05-27\nf = [1]\ng = { h = 1 }",
         "{a=\"\", b=, c=f:0, d=false, e=d:, f=[], g={}}"},
        {"[[package]]\nname = \"a\"\nsize = 3\nsource = { editable = \".\", x = [1] }",
         "{package=[{name=\"a\", size=, source={editable=\".\", x=[]}}]}"},
        {"package = [{ name = \"a\", source.virtual = 1 }, [{ name = \"b\" }], 2]",
         "{package=[{name=\"a\", source={virtual=}}, [{name=\"b\"}], 2]}"},
        {"[x]\nname = \"kept only under the entry list\"\n[package.source.editable]\ny = 1",
         "{x={name=\"\"}, package={source={editable={y=}}}}"},
        {"\"package\" = [{ 'name' = \"q\\u0041\", \"wheels\" = [{ url = 'w', hash = 'h' }] }]",
         "{package=[{name=\"qA\", wheels=[{url=\"w\", hash=\"\"}]}]}"},
    };
    for (const Case& c : cases) {
        auto lean = parse_strict_wanted(c.text, LOCK);
        const auto* root = std::get_if<document::Table>(&lean);
        ASSERT_NE(root, nullptr) << c.text;
        EXPECT_EQ(test::dump(*root), c.document) << c.text;
    }
}

}  // namespace
}  // namespace tarnvik::parse
