#include "toml_error.hpp"

#include <fmt/format.h>

#include <algorithm>

#include "render/quoted_line.hpp"
#include "render/saturating.hpp"
#include "tarnvik/text.hpp"

namespace tarnvik::cli {

namespace {

// The width of the terminal a diagnostic's snippet is laid out for.
constexpr std::size_t TERMINAL_WIDTH = 140;

// Where the line holding `offset` starts.
std::size_t line_start(std::string_view text, std::size_t offset) {
    if (offset == 0) return 0;
    const std::size_t previous = text.rfind('\n', offset - 1);
    return previous == std::string_view::npos ? 0 : previous + 1;
}

}  // namespace

std::string toml_error_display(std::string_view text, const parse::ParseError& error) {
    const std::size_t start = std::min(error.span.start, text.size());
    const std::size_t first = line_start(text, start);
    const std::size_t line_end = std::min(text.find('\n', first), text.size());
    std::size_t line = 1;
    for (std::size_t i = 0; i < first; ++i)
        line += text[i] == '\n';
    std::size_t column = 0;  // characters before the start, not bytes
    for (std::size_t i = first; i < start; ++i) {
        column += !text::is_utf8_continuation(text[i]);
    }
    std::string_view content = text.substr(first, line_end - first);
    // A carriage return ends the line with its line feed; written out, it would move the cursor.
    if (content.ends_with('\r')) content.remove_suffix(1);
    const std::string number = std::to_string(line);
    const std::string gutter(number.size() + 1, ' ');
    // The line cut as a snippet's window cuts it, whatever a broken file holds on one line.
    const std::size_t column_width = sat_sub(TERMINAL_WIDTH, number.size() + 3);
    const QuotedLine quoted =
        quote_line(content, start - first, std::max(error.span.end, start) - first, column_width);
    std::string out = fmt::format("TOML parse error at line {}, column {}\n", number, column + 1);
    out += gutter + "|\n";
    out += number + " | " + quoted.text + "\n";
    out += gutter + "|" + std::string(quoted.mark_column + 1, ' ') +
           std::string(quoted.mark_width, '^');
    // The message may quote a key or a header of that line.
    out += "\n" + shortened(error.message, column_width) + "\n";
    return out;
}

}  // namespace tarnvik::cli
