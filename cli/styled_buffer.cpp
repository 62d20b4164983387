#include "styled_buffer.hpp"

#include <array>

namespace tarnvik::cli {

namespace {

// rustc's default colour sheet: bold, bright colours.
constexpr std::array<std::string_view, 8> STYLE_CODES = {
    "",                 // Plain
    "\x1b[1m",          // Emphasis
    "\x1b[1m\x1b[94m",  // LineNumber: bright blue
    "\x1b[1m\x1b[94m",  // Secondary: bright blue
    "\x1b[1m\x1b[91m",  // Error: bright red
    "\x1b[1m\x1b[93m",  // Warning: bright yellow
    "\x1b[1m\x1b[96m",  // Help: bright cyan
    "\x1b[1m\x1b[92m",  // Note: bright green
};
constexpr std::string_view RESET = "\x1b[0m";

std::size_t utf8_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead >> 5) == 0x6) return 2;
    if ((lead >> 4) == 0xE) return 3;
    if ((lead >> 3) == 0x1E) return 4;
    return 1;
}

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
        std::size_t n = std::min(utf8_length(static_cast<unsigned char>(text[i])), text.size() - i);
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
