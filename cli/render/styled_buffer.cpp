#include "render/styled_buffer.hpp"

#include <algorithm>
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

std::vector<StyledBuffer::Cell>& StyledBuffer::row(std::size_t index, std::size_t min_width) {
    if (rows_.size() <= index) rows_.resize(index + 1);
    std::vector<Cell>& cells = rows_[index];
    if (cells.size() < min_width) cells.resize(min_width);
    return cells;
}

void StyledBuffer::putc(std::size_t row_index, std::size_t col, std::string_view ch, Style style) {
    Cell& cell = row(row_index, col + 1)[col];
    cell.size = static_cast<std::uint8_t>(std::min(ch.size(), cell.bytes.size()));
    std::copy_n(ch.begin(), cell.size, cell.bytes.begin());
    cell.style = style;
}

void StyledBuffer::puts(std::size_t row_index, std::size_t col, std::string_view text,
                        Style style) {
    if (text.empty()) return;
    // The row grows once to its new width rather than a cell at a time.
    row(row_index, col + text::scalar_count(text));
    for (std::size_t i = 0; i < text.size(); ++col) {
        const std::size_t n = text::utf8_sequence_at(text, i).length;
        putc(row_index, col, text.substr(i, n), style);
        i += n;
    }
}

void StyledBuffer::append(std::size_t row_index, std::string_view text, Style style) {
    puts(row_index, row(row_index, 0).size(), text, style);
}

std::string StyledBuffer::render(bool color) const {
    std::string out;
    std::size_t plain_size = rows_.size();
    for (const std::vector<Cell>& cells : rows_) {
        for (const Cell& cell : cells)
            plain_size += cell.size;
    }
    out.reserve(plain_size);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (r > 0) out += '\n';
        Style current = Style::Plain;
        for (const Cell& cell : rows_[r]) {
            if (color && cell.style != current) {
                if (current != Style::Plain) out += RESET;
                out += STYLE_CODES[static_cast<std::size_t>(cell.style)];
                current = cell.style;
            }
            out += cell.text();
        }
        if (color && current != Style::Plain) out += RESET;
    }
    return out;
}

}  // namespace tarnvik::cli
