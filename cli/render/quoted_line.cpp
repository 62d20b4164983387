#include "render/quoted_line.hpp"

#include <algorithm>

#include "render/margin.hpp"
#include "render/saturating.hpp"
#include "render/source_lines.hpp"
#include "render/styled_buffer.hpp"
#include "tarnvik/text.hpp"

namespace tarnvik::cli {

namespace {

constexpr std::string_view MARK = "...";

// Where the character `count` characters before the one at byte `at` starts, or 0.
std::size_t chars_back(std::string_view text, std::size_t at, std::size_t count) {
    for (; at > 0 && count > 0; --count) {
        --at;
        while (at > 0 && text::is_utf8_continuation(text[at]))
            --at;
    }
    return at;
}

// Where the character `count` characters after the one at byte `at` starts, or the end.
std::size_t chars_on(std::string_view text, std::size_t at, std::size_t count) {
    for (; at < text.size() && count > 0; --count)
        at += text::utf8_sequence_at(text, at).length;
    return at;
}

}  // namespace

QuotedLine quote_line(std::string_view line, std::size_t start, std::size_t end,
                      std::size_t column_width) {
    start = std::min(start, line.size());
    end = std::clamp(end, start, line.size());
    // Wider than any window around the start: the margin then cuts it as it cuts a whole line.
    const std::size_t from = chars_back(line, start, column_width);
    const std::size_t to = chars_on(line, start, column_width);
    const std::string_view part = line.substr(from, to - from);
    const LineColumns columns = LineColumns::of(part);
    const std::size_t left = columns.before(start - from).second;
    // An empty span still gets one mark.
    const std::size_t right = std::max(columns.before(std::min(end, to) - from).second, left + 1);
    const Margin margin(leading_white_space(part).value_or(0), left, right, right, column_width,
                        columns.width());
    const TrimmedLine trimmed = margin.trim(part, columns);

    StyledBuffer buffer;
    buffer.puts(0, 0, trimmed.code, Style::Plain);
    if (trimmed.cut_left || from > 0) buffer.puts(0, 0, MARK, Style::Plain);
    if (trimmed.cut_right || to < line.size()) {
        buffer.puts(0, sat_sub(trimmed.chars, MARK.size()), MARK, Style::Plain);
    }
    std::string shown = buffer.render(false);
    // The marks stand under the text as shown, measured there: "..." takes three columns
    // whatever the characters it covers took. A byte of the line is found in it by the
    // characters drawn before it, one a cell (a tab is drawn as four spaces).
    const std::size_t kept_from = columns.at(columns.first_from(trimmed.left)).byte;
    auto shown_column = [&](std::size_t at) {
        const std::size_t in_part = std::max(at - from, kept_from);
        const std::size_t cells =
            text::scalar_count(normalize_whitespace(part.substr(kept_from, in_part - kept_from)));
        return display_width(std::string_view(shown).substr(0, chars_on(shown, 0, cells)));
    };
    const std::size_t mark_start = shown_column(start);
    const std::size_t mark_end = shown_column(std::min(end, to));
    return {std::move(shown), mark_start, std::max<std::size_t>(sat_sub(mark_end, mark_start), 1)};
}

std::string shortened(std::string_view text, std::size_t limit) {
    const std::size_t kept = limit / 3;
    const std::size_t head = chars_on(text, 0, kept);
    const std::size_t beyond = chars_on(text, head, limit - kept);
    if (beyond == text.size()) return std::string(text);
    const std::size_t tail = chars_back(text, text.size(), kept);
    return std::string(text.substr(0, head)) + std::string(MARK) + std::string(text.substr(tail));
}

}  // namespace tarnvik::cli
