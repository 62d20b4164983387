#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tarnvik::cli {

// One line of the source: its text without the line end, its number (from 1) and the offset
// it starts at.
struct SourceLine {
    std::string_view text;
    std::size_t number = 1;
    std::size_t start = 0;
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

// Where each character of a line starts, in bytes and in display columns, with the text's
// size and width as the last entries.
struct LineColumns {
    std::vector<std::size_t> bytes;
    std::vector<std::size_t> columns;

    static LineColumns of(std::string_view text);
    std::size_t width() const { return columns.back(); }
    std::size_t chars() const { return bytes.size() - 1; }
    // The characters and columns before byte `offset`; a character cut by it counts as one
    // replacement character per byte.
    std::pair<std::size_t, std::size_t> before(std::size_t offset) const;
};

// The lines of one text, split once, with their columns measured on first use: many
// diagnostics on one long line cost no more than one measure of it.
class SourceIndex {
  public:
    explicit SourceIndex(std::string_view source);

    const std::vector<SourceLine>& lines() const { return lines_; }
    const SourceLine& line(std::size_t number) const { return lines_[number - 1]; }
    const LineColumns& columns(std::size_t number) const;
    // Where a span starts and ends. An offset past every line falls on the last line; an
    // offset beyond a line's text counts the line end as one more character.
    std::pair<Loc, Loc> locate(std::size_t start, std::size_t end) const;

  private:
    const SourceLine& line_of(std::size_t offset) const;
    Loc loc(const SourceLine& line, std::size_t offset) const;

    std::vector<SourceLine> lines_;
    mutable std::unordered_map<std::size_t, LineColumns> columns_;
};

// The columns a terminal gives one character as drawn in a snippet: a tab takes four, control
// characters show as one-column pictures.
std::size_t display_width(char32_t c);
std::size_t display_width(std::string_view text);

// The text as it is drawn: tabs become four spaces, control characters their pictures, C1
// controls and text direction controls a replacement character.
std::string normalize_whitespace(std::string_view text);

}  // namespace tarnvik::cli
