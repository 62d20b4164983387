#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvik::cli {

// One line of the source: its text without the line end, its number (from 1) and the bytes it
// covers, line end included.
struct SourceLine {
    std::string_view text;
    std::size_t number = 1;
    std::size_t start = 0;
    std::size_t end = 0;
};

// A position on a line: the line number, the count of characters before it and the columns
// they take on a terminal.
struct Loc {
    std::size_t line = 0;
    std::size_t chr = 0;
    std::size_t display = 0;
    friend bool operator==(const Loc&, const Loc&) = default;
};

// The lines split at "\n" (a "\r\n" counts as one line end); a final line end opens no new
// line, and an empty source is one empty line.
std::vector<SourceLine> split_lines(std::string_view source);

// Where a span starts and ends. An offset past every line falls on the last line; an offset
// beyond a line's text counts the line end as one more character.
std::pair<Loc, Loc> locate(const std::vector<SourceLine>& lines, std::size_t start,
                           std::size_t end);

// The columns a terminal gives one character as drawn in a snippet: a tab takes four, control
// characters show as one-column pictures.
std::size_t display_width(char32_t c);
std::size_t display_width(std::string_view text);

// The text as it is drawn: tabs become four spaces, control characters their pictures, text
// direction controls a replacement character.
std::string normalize_whitespace(std::string_view text);

// Decodes one UTF-8 character at `i` and advances `i`; an ill-formed byte reads as U+FFFD.
char32_t next_char(std::string_view text, std::size_t& i);

}  // namespace tarnvik::cli
