#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnvik::cli {

// A line quoted outside a snippet with one span marked under it, cut to the window a snippet
// `column_width` columns wide shows of it: the text as drawn, with "..." where it is cut, the
// column where the span starts in it, and how many columns of the span it shows (at least one).
struct QuotedLine {
    std::string text;
    std::size_t mark_column = 0;
    std::size_t mark_width = 1;
};

// The window of `line` around the bytes `start` to `end` within it. Only the characters up to
// `column_width` before and after the start are looked at, so a line of any length, even one
// of characters without width, gives a few hundred characters at most.
QuotedLine quote_line(std::string_view line, std::size_t start, std::size_t end,
                      std::size_t column_width);

// The text itself when it has at most `limit` characters; else its first and last characters,
// a third of `limit` each, around "...".
std::string shortened(std::string_view text, std::size_t limit);

}  // namespace tarnvik::cli
