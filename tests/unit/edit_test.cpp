#include "tarnvik/edit.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnvik {
namespace {

struct RenameCase {
    std::string text;
    std::string span_text;  // the first occurrence in `text` is the renamed span
    std::string old_name;
    std::string new_name;
    std::string expected_content;
};

TEST(EditRename, ReplacesFirstOccurrenceInsideSpanOrWholeSpan) {
    const std::vector<RenameCase> cases = {
        {R"(x = "a-b")", R"("a-b")", "a-b", "a_b", R"("a_b")"},
        {R"(x = "c-d")", R"("c-d")", "a-b", "a_b", "a_b"},
        {"a-b = 1", "a-b", "a-b", "a_b", "a_b"},
        {R"("a-b" = 1)", R"("a-b")", "a-b", "a_b", R"("a_b")"},
        {"'a-b' = 1", "'a-b'", "a-b", "a_b", "'a_b'"},
        {"tool.a-b.c = 1", "tool.a-b.c", "a-b", "x", "tool.x.c"},
        {R"("a-b.a-b" = 1)", R"("a-b.a-b")", "a-b", "x", R"("x.a-b")"},
        {"k = 1", "k", "", "n", "n"},
    };
    for (const auto& c : cases) {
        const std::size_t start = c.text.find(c.span_text);
        const std::size_t end = start + c.span_text.size();
        const Edit edit = edit::rename(c.text, start, end, c.old_name, c.new_name);
        EXPECT_EQ(edit.content, c.expected_content) << c.text;
        EXPECT_EQ(edit.range, (Span{start, end})) << c.text;
    }
}

struct RemoveCase {
    std::string text;
    std::vector<std::string> elements;  // found in order in `text`, giving their spans
    std::size_t position;
    std::string expected;
};

std::vector<Span> spans_of(const std::string& text, const std::vector<std::string>& elements) {
    std::vector<Span> spans;
    std::size_t from = text.find('[') + 1;
    for (const auto& element : elements) {
        const std::size_t at = text.find(element, from);
        spans.push_back(Span{at, at + element.size()});
        from = at + element.size();
    }
    return spans;
}

TEST(EditRemoveEntry, DeletesElementWithSeparatorCommentAndLine) {
    const std::vector<RemoveCase> cases = {
        {R"(x = ["a", "b", "c"])", {R"("a")", R"("b")", R"("c")"}, 0, R"(x = ["b", "c"])"},
        {R"(x = ["a", "b", "c"])", {R"("a")", R"("b")", R"("c")"}, 1, R"(x = ["a", "c"])"},
        {R"(x = ["a", "b", "c"])", {R"("a")", R"("b")", R"("c")"}, 2, R"(x = ["a", "b"])"},
        {R"(x = ["a"])", {R"("a")"}, 0, "x = []"},
        {R"(x = ["a",])", {R"("a")"}, 0, "x = []"},
        {R"(x = ["a" , "b"])", {R"("a")", R"("b")"}, 1, R"(x = ["a"])"},
        // One element per line, trailing commas: the whole line goes, comment included.
        {"x = [\n  \"a\",\n  \"b\",  # why\n  \"c\",\n]\n",
         {R"("a")", R"("b")", R"("c")"},
         1,
         "x = [\n  \"a\",\n  \"c\",\n]\n"},
        {"x = [\n  \"a\",\n  \"b\",\n]\n", {R"("a")", R"("b")"}, 0, "x = [\n  \"b\",\n]\n"},
        {"x = [\n\t\"a\",\n\t\"b\",\n]\n", {R"("a")", R"("b")"}, 1, "x = [\n\t\"a\",\n]\n"},
        {"x = [0, \"a\",\n]\n", {"0", R"("a")"}, 1, "x = [0, \n]\n"},
        {"x = [\n  \"a\",\n  \"b\",\n]\n", {R"("a")", R"("b")"}, 1, "x = [\n  \"a\",\n]\n"},
        {"x = [\r\n  \"a\",\r\n  \"b\",\r\n]\r\n",
         {R"("a")", R"("b")"},
         0,
         "x = [\r\n  \"b\",\r\n]\r\n"},
        // No trailing comma after the last element: the comma before it goes instead.
        {"x = [\n  \"a\",\n  \"b\"\n]\n", {R"("a")", R"("b")"}, 1, "x = [\n  \"a\"\n]\n"},
        // A comment after an element without comma stays; the separator in front goes.
        {"x = [\n  \"a\",\n  \"b\" # keep\n]\n",
         {R"("a")", R"("b")"},
         1,
         "x = [\n  \"a\" # keep\n]\n"},
        // The text ends right after the comma.
        {"x = [\"a\",", {R"("a")"}, 0, "x = ["},
        {"x = [\"a\", # c", {R"("a")"}, 0, "x = ["},
        {"x = [\n\"a\", # c", {R"("a")"}, 0, "x = [\n"},
    };
    for (const auto& c : cases) {
        const std::vector<Span> spans = spans_of(c.text, c.elements);
        const Edit edit = edit::remove_entry(c.text, spans, c.position);
        EXPECT_EQ(edit.content, "") << c.text;
        EXPECT_EQ(edit::splice(c.text, std::vector{edit}), c.expected)
            << c.text << " position " << c.position;
    }
}

TEST(EditRemoveEntry, PositionOutsideTheListChangesNothing) {
    const std::string text = R"(x = ["a"])";
    const std::vector<Span> spans = {{5, 8}};
    EXPECT_EQ(edit::splice(text, std::vector{edit::remove_entry(text, spans, 1)}), text);
}

struct SpliceCase {
    std::string text;
    std::vector<Edit> edits;
    std::string expected;
};

TEST(EditSplice, AppliesEditsInRangeOrder) {
    const std::vector<SpliceCase> cases = {
        {"abc", {}, "abc"},
        {"abc", {{"X", {1, 2}}}, "aXc"},
        {"abc", {{"", {0, 3}}}, ""},
        {"abc", {{"X", {1, 1}}}, "aXbc"},
        {"abcdef", {{"Y", {4, 5}}, {"X", {1, 2}}}, "aXcdYf"},
        // Insertion at the start of a replaced range, given after it, still comes first.
        {"abc", {{"Y", {1, 2}}, {"X", {1, 1}}}, "aXYc"},
        // Two insertions at one offset keep their order.
        {"abc", {{"X", {1, 1}}, {"Y", {1, 1}}}, "aXYbc"},
        {"abc", {{"X", {3, 3}}}, "abcX"},
        // Out-of-range offsets are clamped rather than read past the text.
        {"abc", {{"X", {2, 9}}}, "abX"},
        {"abc", {{"X", {7, 9}}}, "abcX"},
        // Overlapping edits of one fix: the overlapped bytes are neither kept twice nor read.
        {"abcdef", {{"X", {1, 4}}, {"Y", {2, 5}}}, "aXYf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(edit::splice(c.text, c.edits), c.expected) << c.text;
}

}  // namespace
}  // namespace tarnvik
