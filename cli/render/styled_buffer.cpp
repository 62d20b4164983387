#include "render/styled_buffer.hpp"

#include <array>

#include "tarnvik/text.hpp"

namespace tarnvik::cli {

namespace {

// The default colour sheet of rustc's renderer: bold, mostly bright colours.
constexpr std::array<std::string_view, 8> STYLE_CODES = {
    "",                 // Plain
    "\x1b[1m",          // Emphasis
    "\x1b[1m\x1b[94m",  // LineNumber: bright blue
    "\x1b[1m\x1b[94m",  // Secondary: bright blue
    "\x1b[1m\x1b[91m",  // Error: bright red
    "\x1b[1m\x1b[33m",  // Warning: yellow
    "\x1b[1m\x1b[96m",  // Help: bright cyan
    "\x1b[1m\x1b[92m",  // Note: bright green
};
constexpr std::string_view RESET = "\x1b[0m";

}  // namespace

std::vector<StyledBuffer::Cell>& StyledBuffer::row(std::size_t index) {
    if (rows_.size() <= index) rows_.resize(index + 1);
    return rows_[index];
}

void StyledBuffer::putc(std::size_t row_index, std::size_t col, std::string_view ch, Style style) {
    auto& cells = row(row_index);
    if (cells.size() <= col) cells.resize(col + 1);
    cells[col] = Cell{std::string(ch), style};
}

void StyledBuffer::puts(std::size_t row_index, std::size_t col, std::string_view text,
                        Style style) {
    for (std::size_t i = 0; i < text.size(); ++col) {
        const std::size_t n = text::utf8_sequence_at(text, i).length;
        putc(row_index, col, text.substr(i, n), style);
        i += n;
    }
}

void StyledBuffer::append(std::size_t row_index, std::string_view text, Style style) {
    puts(row_index, row(row_index).size(), text, style);
}

std::string StyledBuffer::render(bool color) const {
    std::string out;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (r > 0) out += '\n';
        Style current = Style::Plain;
        for (const Cell& cell : rows_[r]) {
            if (color && cell.style != current) {
                if (current != Style::Plain) out += RESET;
                out += STYLE_CODES[static_cast<std::size_t>(cell.style)];
                current = cell.style;
            }
            out += cell.ch;
        }
        if (color && current != Style::Plain) out += RESET;
    }
    return out;
}

}  // namespace tarnvik::cli
