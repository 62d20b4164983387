#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvik::cli {

// The roles a piece of rendered text plays; the colour sheet maps each to a terminal style.
enum class Style : std::uint8_t {
    Plain,
    Emphasis,
    LineNumber,
    Secondary,
    Error,
    Warning,
    Help,
    Note,
};

// A grid of characters, one per cell, each with a style. Drawing may write any cell in any
// order; cells never written read as plain spaces.
class StyledBuffer {
  public:
    // `ch` is one character: one UTF-8 sequence, or one ill-formed part of one.
    void putc(std::size_t row, std::size_t col, std::string_view ch, Style style);
    // Puts each character of `text` (UTF-8) in its own cell from `col` on.
    void puts(std::size_t row, std::size_t col, std::string_view text, Style style);
    void append(std::size_t row, std::string_view text, Style style);
    std::size_t num_lines() const { return rows_.size(); }
    // The rows joined by line ends, without a final one; escape sequences only when `color`.
    std::string render(bool color) const;

  private:
    // A character's bytes kept in the cell itself: a long line costs a few bytes a character.
    struct Cell {
        std::array<char, 4> bytes = {' '};
        std::uint8_t size = 1;
        Style style = Style::Plain;

        std::string_view text() const { return {bytes.data(), size}; }
    };
    std::vector<Cell>& row(std::size_t index, std::size_t min_width);
    std::vector<std::vector<Cell>> rows_;
};

}  // namespace tarnvik::cli
