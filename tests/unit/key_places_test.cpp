#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "checker.hpp"
#include "tarnvik/parse.hpp"

// Every place a key is written, as the builder keeps them, and the rename that edits them all.
namespace tarnvik {
namespace {

// The entry at the dotted path of plain keys; through an array of tables, its last table.
const document::Entry* entry_at(const document::Table& root, std::string_view path) {
    const document::Table* table = &root;
    while (true) {
        const std::size_t dot = path.find('.');
        const document::Entry* entry = document::get(*table, path.substr(0, dot));
        if (entry == nullptr || dot == std::string_view::npos) return entry;
        const document::Value* value = &entry->value;
        if (const document::Array* array = value->as_array()) value = &array->back();
        table = value->as_table();
        if (table == nullptr) return nullptr;
        path.remove_prefix(dot + 1);
    }
}

// Each place as "line:column text".
std::vector<std::string> places(std::string_view text, const document::Entry& entry) {
    std::vector<std::string> out;
    document::for_each_key_span(entry, [&](Span span) {
        const std::string_view before = text.substr(0, span.start);
        const std::size_t line = 1 + std::count(before.begin(), before.end(), '\n');
        const std::size_t line_start = before.rfind('\n') + 1;  // npos + 1 is 0
        out.push_back(std::to_string(line) + ":" + std::to_string(span.start - line_start + 1) +
                      " " + std::string(text.substr(span.start, span.size())));
    });
    return out;
}

TEST(KeyPlaces, EveryPlaceAKeyIsWrittenInSourceOrder) {
    struct Case {
        std::string_view name;
        std::string_view text;
        std::string_view path;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"written once", "[a]\nb = 1\n", "a.b", {"2:1 b"}},
        {"dotted keys on several lines",
         "[a]\nb.x = 1\nc = 2\nb.y = 3\n",
         "a.b",
         {"2:1 b", "4:1 b"}},
        {"quoted keys keep their quotes",
         "[a]\n\"b\".x = 1\n'b'.y = 2\n",
         "a.b",
         {"2:1 \"b\"", "3:1 'b'"}},
        {"a header and a sub-table header",
         "[a.b]\nx = 1\n[a.b.c]\ny = 2\n",
         "a.b",
         {"1:4 b", "3:4 b"}},
        {"a sub-table header before the table's own",
         "[a.b.c]\n[a.b]\n",
         "a.b",
         {"1:4 b", "2:4 b"}},
        {"every header names the tables above it",
         "[a.b]\n[a.c]\n[a.b.d]\n",
         "a",
         {"1:2 a", "2:2 a", "3:2 a"}},
        {"dotted keys and a sub-table header",
         "[a]\nb.x = 1\n[a.b.c]\n",
         "a.b",
         {"2:1 b", "3:4 b"}},
        {"tables of an array and a table below one",
         "[[a.b]]\n[[a.b]]\n[a.b.c]\n",
         "a.b",
         {"1:5 b", "2:5 b", "3:4 b"}},
        {"dotted keys in an inline table", "t = {a.x = 1, a.y = 2}\n", "t.a", {"1:6 a", "1:15 a"}},
        {"dotted keys in the section of a dotted table",
         "a.b.x = 1\na.b.y = 2\n",
         "a.b",
         {"1:3 b", "2:3 b"}},
    };
    for (const Case& c : cases) {
        auto [root, errors] = parse::parse(c.text);
        ASSERT_TRUE(errors.empty()) << c.name;
        const document::Entry* entry = entry_at(root, c.path);
        ASSERT_NE(entry, nullptr) << c.name;
        EXPECT_EQ(places(c.text, *entry), c.expected) << c.name;
    }
}

TEST(KeyPlaces, ASelectiveReadKeepsOnlyTheFirst) {
    static constexpr document::Want WANTED[] = {{"a", {}}};
    const std::string_view text = "[[a]]\nx = 1\n[[a]]\nx = 2\n[a.b]\n";
    auto read = parse::parse_strict_wanted(text, WANTED);
    ASSERT_TRUE(std::holds_alternative<document::Table>(read));
    const document::Entry* entry = document::get(std::get<document::Table>(read), "a");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(places(text, *entry), std::vector<std::string>{"1:3 a"});
}

// The edits of a rename of the key at `path` as "written -> new", one per place.
std::vector<std::string> renamed(std::string_view text, std::string_view path,
                                 std::string_view name) {
    auto [root, errors] = parse::parse(text);
    EXPECT_TRUE(errors.empty());
    const document::Entry* entry = entry_at(root, path);
    if (entry == nullptr) return {"no entry"};
    const std::string_view table_path = path.substr(0, path.rfind('.'));
    const document::Entry* table_entry = entry_at(root, table_path);
    KeyNames names(table_entry != nullptr ? *table_entry->value.as_table() : root);
    Checker checker{{}, text, nullptr};
    names.offer_rename(checker, unknown_key(entry->key, "t", entry->key_span), *entry, name,
                       Applicability::Unsafe);
    names.settle(checker);
    const std::optional<Fix>& fix = checker.diagnostics.front().fix;
    if (!fix) return {"no fix"};
    std::vector<std::string> edits;
    for (const Edit& edit : fix->edits) {
        edits.push_back(std::string(text.substr(edit.range.start, edit.range.size())) + " -> " +
                        edit.content);
    }
    return edits;
}

TEST(RenameKey, EditsEveryPlaceKeepingQuotesThatHoldTheNewName) {
    struct Case {
        std::string_view name;
        std::string_view text;
        std::string_view path;
        std::string_view new_name;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"bare",
         "[t]\nisrot.a = 1\n'isrot'.b = 2\n\"isrot\".c = 3\n",
         "t.isrot",
         "isort",
         {"isrot -> isort", "'isrot' -> 'isort'", "\"isrot\" -> \"isort\""}},
        {"headers",
         "[t.isrot]\n[t.isrot.x]\n",
         "t.isrot",
         "isort",
         {"isrot -> isort", "isrot -> isort"}},
        {"a new name that is no bare key gets quotes",
         "[t]\ntset = 1\n",
         "t.tset",
         "te.st",
         {"tset -> \"te.st\""}},
        {"a literal key keeps its quotes",
         "[t]\n'tset' = 1\n",
         "t.tset",
         "te.st",
         {"'tset' -> 'te.st'"}},
        {"a literal key that cannot hold the new name",
         "[t]\n'tset' = 1\n",
         "t.tset",
         "it's",
         {"'tset' -> \"it's\""}},
        {"what a basic string must escape",
         "[t]\n\"tset\" = 1\n",
         "t.tset",
         "a\"b\\c",
         {"\"tset\" -> \"a\\\"b\\\\c\""}},
        // The escape holds the old name `u`: only a whole replacement keeps the key right.
        {"a key written with escapes is replaced whole",
         "[t]\n\"\\u0075\" = 1\n",
         "t.u",
         "n",
         {"\"\\u0075\" -> \"n\""}},
        {"a name the table has", "[t]\nisrot = 1\nisort = 2\n", "t.isrot", "isort", {"no fix"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(renamed(c.text, c.path, c.new_name), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace tarnvik
