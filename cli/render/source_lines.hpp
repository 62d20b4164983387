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

// Where the characters of a line start, in bytes and in display columns, measured once. Only
// every STRIDE-th character's place is kept; the others are found by reading on from the one
// kept before them, so a line of any length costs a fraction of a byte per character. The text
// must outlive the measure.
class LineColumns {
  public:
    struct Place {
        std::size_t byte = 0;
        std::size_t column = 0;
    };

    static LineColumns of(std::string_view text);
    std::size_t width() const { return end_.column; }
    std::size_t chars() const { return chars_; }
    // Where character `chr` starts; `chars()` and beyond give the end of the text.
    Place at(std::size_t chr) const;
    // The first character that starts at or after `column`, or `chars()` when none does.
    std::size_t first_from(std::size_t column) const;
    // How many characters end at or before `column`.
    std::size_t ending_by(std::size_t column) const;
    // The characters and columns before byte `offset`; a character cut by it counts as one
    // replacement character per byte.
    std::pair<std::size_t, std::size_t> before(std::size_t offset) const;

  private:
    static constexpr std::size_t STRIDE = 64;

    // Reads on from a kept place while `go_on` holds for the place and the character there:
    // the index of the character it stops at, and its place.
    template <typename GoOn>
    std::pair<std::size_t, Place> walk(std::size_t kept, GoOn go_on) const;
    // The last kept place for which `before_target` holds, or the first one.
    template <typename Before>
    std::size_t last_kept(Before before_target) const;

    std::string_view text_;
    std::vector<Place> kept_;  // the places of characters 0, STRIDE, 2 * STRIDE, ...
    std::size_t chars_ = 0;
    Place end_;
};

// The lines of one text, split once, with their columns measured on first use: many
// diagnostics on one long line cost no more than one measure of it.
class SourceIndex {
  public:
    explicit SourceIndex(std::string_view source);

    const std::vector<SourceLine>& lines() const { return lines_; }
    const SourceLine& line(std::size_t number) const { return lines_[number - 1]; }
    const LineColumns& columns(std::size_t number) const;
    // Where a span starts and ends. An offset past every line falls on the last line. A start
    // beyond its line's text counts the line end as one more character; so does the end of a
    // span over several lines, while a span on one line ends with the text.
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

// Whether the first `count` characters of the text as drawn are all white space (all of them,
// when it draws fewer).
bool drawn_prefix_is_blank(std::string_view text, std::size_t count);

}  // namespace tarnvik::cli
