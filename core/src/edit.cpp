#include "tarnvik/edit.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "ascii.hpp"

namespace tarnvik::edit {

namespace {

std::size_t skip_blanks(std::string_view text, std::size_t i) {
    while (i < text.size() && ascii::is_blank(text[i]))
        ++i;
    return i;
}

std::size_t skip_blanks_back(std::string_view text, std::size_t i) {
    while (i > 0 && ascii::is_blank(text[i - 1]))
        --i;
    return i;
}

bool at_line_end(std::string_view text, std::size_t i) {
    return i == text.size() || text[i] == '\r' || text[i] == '\n';
}

// One past the first line feed at or after `from`, or the end of the text.
std::size_t past_line_end(std::string_view text, std::size_t from) {
    const std::size_t lf = text.find('\n', from);
    return lf == std::string_view::npos ? text.size() : lf + 1;
}

// The end of the comment that starts at `from`: its line break, a carriage return before the
// line feed included, stays.
std::size_t comment_end(std::string_view text, std::size_t from) {
    const std::size_t lf = text.find('\n', from);
    if (lf == std::string_view::npos) return text.size();
    return lf > from && text[lf - 1] == '\r' ? lf - 1 : lf;
}

// Whether nothing but blanks, and the comma that separates the element from the one before,
// stands on the element's line before it: no other element, bracket or key shares its start.
bool starts_own_line(std::string_view text, std::size_t element_start) {
    std::size_t i = skip_blanks_back(text, element_start);
    if (i > 0 && text[i - 1] == ',') i = skip_blanks_back(text, i - 1);
    return i == 0 || text[i - 1] == '\n';
}

// What follows an element on its line and goes with it: the comma right after it, and the
// comment that ends the line when the element is alone on it. A comment on a line that other
// elements share stays.
struct Tail {
    std::optional<std::size_t> comma;
    std::size_t end;  // past the comma and the comment it takes; the element's end without either
    bool ends_line;   // only blanks and a comment follow `end` on the line
};

Tail tail_of(std::string_view text, Span element) {
    Tail tail{std::nullopt, element.end, false};
    std::size_t i = skip_blanks(text, element.end);
    if (i < text.size() && text[i] == ',') {
        tail.comma = i;
        tail.end = i + 1;
        i = skip_blanks(text, tail.end);
    }
    if (i < text.size() && text[i] == '#') {
        i = comment_end(text, i);
        if (starts_own_line(text, element.start)) tail.end = i;
    }
    tail.ends_line = at_line_end(text, i);
    return tail;
}

// The comma that follows `from` across white space, line breaks and comments, if the next
// thing there is one: TOML lets a separator stand on a later line than its element.
std::optional<std::size_t> comma_in_gap(std::string_view text, std::size_t from) {
    for (std::size_t i = from; i < text.size();) {
        const char c = text[i];
        if (c == ',') return i;
        if (c == '#') {
            i = comment_end(text, i);
        } else if (ascii::is_blank(c) || c == '\r' || c == '\n') {
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The comma between an element and the one before it, and where deleting it starts: at the
// end of the previous element when only blanks stand between them.
struct Separator {
    std::size_t comma;
    std::size_t start;
};

std::optional<Separator> separator_before(std::string_view text, std::size_t previous_end,
                                          std::size_t element_start) {
    const std::optional<std::size_t> comma = comma_in_gap(text, previous_end);
    if (!comma || *comma >= element_start) return std::nullopt;
    return Separator{*comma, skip_blanks(text, previous_end) == *comma ? previous_end : *comma};
}

// Deletes `range` with the blanks that would be left dangling: the whole line when nothing else
// stands on it, the blanks before a line end, or the blanks up to what follows on the line
// (those before a comment stay, so that it keeps its place).
Edit deletion(std::string_view text, Span range) {
    const std::size_t from = skip_blanks_back(text, range.start);
    const std::size_t to = skip_blanks(text, range.end);
    const bool starts_line = from == 0 || text[from - 1] == '\n';
    if (starts_line && at_line_end(text, to)) return Edit{"", Span{from, past_line_end(text, to)}};
    if (at_line_end(text, to)) return Edit{"", Span{from, to}};
    if (text[to] == '#') return Edit{"", range};
    return Edit{"", Span{range.start, to}};
}

// A kind of TOML string, told by its opening delimiter, and the characters other than control
// characters that it holds only as escapes, or not at all.
struct StringKind {
    std::string_view delimiter;
    std::string_view escaped;
};

// The multi-line kinds first: their delimiters begin with the others'.
constexpr StringKind STRING_KINDS[] = {
    {R"(""")", R"("\)"},
    {"'''", "'"},
    {R"(")", R"("\)"},
    {"'", "'"},
};

bool holds_as_is(const StringKind& kind, std::string_view value) {
    return value.find_first_of(kind.escaped) == std::string_view::npos &&
           std::ranges::none_of(value, ascii::is_control);
}

// The value between double quotes, with what a basic string cannot hold escaped.
std::string basic_string(std::string_view value) {
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (ascii::is_control(c)) {
            quoted += fmt::format("\\u{:04X}", static_cast<unsigned char>(c));
        } else {
            quoted += c;
        }
    }
    quoted += '"';
    return quoted;
}

}  // namespace

std::string splice(std::string_view text, std::vector<const Edit*> edits) {
    std::ranges::stable_sort(edits, [](const Edit* a, const Edit* b) {
        return std::pair(a->range.start, a->range.end) < std::pair(b->range.start, b->range.end);
    });
    std::string out;
    out.reserve(text.size());
    std::size_t cursor = 0;
    for (const Edit* edit : edits) {
        // Edits of one fix never overlap; should they, the overlapped bytes are dropped once
        // rather than duplicated, and out-of-range offsets are clamped to the text.
        const std::size_t start = std::min(edit->range.start, text.size());
        if (start > cursor) out.append(text.substr(cursor, start - cursor));
        out.append(edit->content);
        cursor = std::max(cursor, std::min(std::max(edit->range.end, start), text.size()));
    }
    out.append(text.substr(cursor));
    return out;
}

std::string splice(std::string_view text, std::span<const Edit> edits) {
    std::vector<const Edit*> refs;
    refs.reserve(edits.size());
    for (const Edit& e : edits)
        refs.push_back(&e);
    return splice(text, std::move(refs));
}

std::string toml_string(std::string_view value, std::string_view token) {
    for (const StringKind& kind : STRING_KINDS) {
        if (!token.starts_with(kind.delimiter)) continue;
        if (holds_as_is(kind, value)) return fmt::format("{0}{1}{0}", kind.delimiter, value);
        break;
    }
    return basic_string(value);
}

Edit replace_string(std::string_view text, Span range, std::string_view value) {
    const std::size_t start = std::min(range.start, text.size());
    const std::size_t end = std::clamp(range.end, start, text.size());
    return Edit{toml_string(value, text.substr(start, end - start)), Span{start, end}};
}

std::vector<Edit> remove_entry(std::string_view text, std::span<const Span> entries,
                               std::size_t position) {
    if (position >= entries.size()) return {};
    const std::size_t s = std::min(entries[position].start, text.size());
    const std::size_t e = std::clamp(entries[position].end, s, text.size());
    const Tail tail = tail_of(text, {s, e});
    if (tail.comma) return {deletion(text, {s, tail.end})};

    const std::optional<Separator> before =
        position > 0 ? separator_before(text, std::min(entries[position - 1].end, s), s)
                     : std::nullopt;
    // `"a", "b"` at the end of an array, or a separator written at the start of the line.
    if (before && skip_blanks(text, before->comma + 1) == s)
        return {deletion(text, {before->start, tail.end})};
    // A comma on a later line is still the element's own; the lines between keep theirs.
    if (const std::optional<std::size_t> after =
            tail.ends_line ? comma_in_gap(text, tail.end) : std::nullopt) {
        return {deletion(text, {s, tail.end}), deletion(text, {*after, *after + 1})};
    }
    // The last element: the separator in front of it goes, what stands between them stays.
    if (before)
        return {deletion(text, {before->start, before->comma + 1}), deletion(text, {s, tail.end})};
    return {deletion(text, {s, tail.end})};
}

}  // namespace tarnvik::edit
