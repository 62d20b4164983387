#include "tarnvik/document.hpp"

#include <gtest/gtest.h>

#include "tarnvik/parse.hpp"

namespace tarnvik::document {
namespace {

TEST(Get, FirstEntryWithTheExactKey) {
    Table table;
    table.entries.push_back(Entry{"name", {0, 4}, Value{std::string("a"), {7, 10}}});
    table.entries.push_back(Entry{"Name", {11, 15}, Value{std::string("b"), {18, 21}}});
    table.entries.push_back(Entry{"name", {22, 26}, Value{std::string("c"), {29, 32}}});
    struct Case {
        std::string key;
        const Entry* expected;
    };
    const Case cases[] = {
        {"name", &table.entries[0]},
        {"Name", &table.entries[1]},
        {"NAME", nullptr},
        {"nam", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(get(table, c.key), c.expected) << c.key;
    EXPECT_EQ(get(Table{}, "name"), nullptr);
}

TEST(ValueOf, ChainsThroughAbsentKeysAndOtherKinds) {
    auto [root, errors] = parse::parse("a = 1\n[t]\nb = 2\n[t.u]\n");
    ASSERT_TRUE(errors.empty());
    const Table* t = table_of(&root, "t");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(value_of(t, "b"), &t->entries[0].value);
    EXPECT_NE(table_of(t, "u"), nullptr);
    EXPECT_EQ(table_of(&root, "a"), nullptr);  // an integer, not a table
    EXPECT_EQ(value_of(&root, "missing"), nullptr);
    EXPECT_EQ(value_of(table_of(&root, "missing"), "b"), nullptr);
}

TEST(StringSpan, MapsContentOffsetsOrFallsBackToTheWholeLiteral) {
    struct Case {
        std::string source;
        std::size_t inner_start, inner_end;
        Span expected;  // relative to the literal at offset 10
    };
    const Case cases[] = {
        {R"("abc")", 1, 2, {2, 3}},     {R"("abc")", 0, 3, {1, 4}},
        {R"("abc")", 0, 4, {0, 5}},   // past the content
        {R"("abc")", 2, 1, {0, 5}},   // reversed
        {R"("a\tb")", 0, 1, {0, 6}},  // escapes shift offsets
        {R"('a\tb')", 1, 3, {2, 4}},  // a literal string has no escapes
        {R"('abc')", 2, 1, {0, 5}},     {R"('''abc''')", 0, 1, {0, 9}},
        {R"("""abc""")", 0, 1, {0, 9}}, {R"("")", 0, 0, {1, 1}},
        {R"(abc)", 0, 1, {0, 3}},       {R"(")", 0, 0, {0, 1}},
    };
    for (const Case& c : cases) {
        const std::string source = std::string(10, ' ') + c.source;
        const Span span{10, source.size()};
        const Span expected{10 + c.expected.start, 10 + c.expected.end};
        EXPECT_EQ(string_span(source, span, c.inner_start, c.inner_end), expected) << c.source;
    }
}

TEST(StringSpan, WorksOnParsedStrings) {
    const std::string text = "a = \"hello\"";
    auto [doc, errors] = parse::parse(text);
    ASSERT_TRUE(errors.empty());
    const Span span = string_span(text, get(doc, "a")->value.span, 1, 3);
    EXPECT_EQ(text.substr(span.start, span.size()), "el");
    // A span that does not lie in the text is given back as it is.
    EXPECT_EQ(string_span("ab", Span{5, 9}, 0, 1), (Span{5, 9}));
    EXPECT_EQ(string_span("abcd", Span{3, 1}, 0, 1), (Span{3, 1}));
}

}  // namespace
}  // namespace tarnvik::document
