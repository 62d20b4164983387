#include "tarnvik/edit.hpp"

#include <algorithm>
#include <utility>

#include "ascii.hpp"

namespace tarnvik::edit {

namespace {

std::size_t skip_blanks(std::string_view text, std::size_t i) {
    while (i < text.size() && ascii::is_blank(text[i]))
        ++i;
    return i;
}

// One past the first line feed at or after `from`, or the end of the text.
std::size_t past_line_end(std::string_view text, std::size_t from) {
    const std::size_t lf = text.find('\n', from);
    return lf == std::string_view::npos ? text.size() : lf + 1;
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

Edit rename(std::string_view text, std::size_t start, std::size_t end, std::string_view old_name,
            std::string_view new_name) {
    start = std::min(start, text.size());
    end = std::clamp(end, start, text.size());
    std::string content(text.substr(start, end - start));
    const std::size_t at = old_name.empty() ? std::string::npos : content.find(old_name);
    if (at == std::string::npos) {
        content = new_name;
    } else {
        content.replace(at, old_name.size(), new_name);
    }
    return Edit{std::move(content), Span{start, end}};
}

Edit remove_entry(std::string_view text, std::span<const Span> entries, std::size_t position) {
    const std::size_t n = text.size();
    if (position >= entries.size()) return Edit{"", Span{n, n}};
    const std::size_t s = std::min(entries[position].start, n);
    const std::size_t e = std::clamp(entries[position].end, s, n);

    // What follows the element: its comma, and where the deletion may stop.
    std::size_t after = skip_blanks(text, e);
    const bool comma = after < n && text[after] == ',';
    if (comma) {
        after = skip_blanks(text, after + 1);
        if (after < n && text[after] == '#') after = std::min(text.find('\n', after), n);
    }

    // Back over the blanks only: searching the whole line for its start would make removing
    // many elements of one long line quadratic.
    std::size_t line_start = s;
    while (line_start > 0 &&
           std::string_view(" \t\r").find(text[line_start - 1]) != std::string_view::npos)
        --line_start;
    const bool blank_before = line_start == 0 || text[line_start - 1] == '\n';
    const bool line_ends = after == n || text[after] == '\r' || text[after] == '\n';

    if (blank_before && line_ends && comma)
        return Edit{"", Span{line_start, past_line_end(text, after)}};
    if (position > 0 && !comma) {
        const std::size_t previous_end = std::min(entries[position - 1].end, s);
        return Edit{"", Span{previous_end, e}};
    }
    return Edit{"", Span{s, comma ? after : e}};
}

}  // namespace tarnvik::edit
