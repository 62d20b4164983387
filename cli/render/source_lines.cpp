#include "render/source_lines.hpp"

#include <algorithm>

#include "tarnvik/text.hpp"

namespace tarnvik::cli {

namespace {

bool is_direction_control(char32_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// Some terminals act on the C1 controls (U+009B as a control sequence introducer).
bool is_c1_control(char32_t c) {
    return c >= 0x80 && c <= 0x9F;
}

// Calls `put` with each character `c` is drawn as: tabs as four spaces, controls as their
// pictures, C1 controls and text direction controls as a replacement character.
template <typename Put>
void draw_char(char32_t c, Put put) {
    if (c == '\t') {
        for (int i = 0; i < 4; ++i)
            put(U' ');
    } else if (c < 0x20) {
        put(0x2400 + c);  // the control pictures block
    } else if (c == 0x7F) {
        put(0x2421);
    } else if (c == 0x200D) {
        // A zero width joiner draws differently from terminal to terminal.
    } else if (is_direction_control(c) || is_c1_control(c)) {
        put(text::REPLACEMENT);
    } else {
        put(c);
    }
}

}  // namespace

std::vector<SourceLine> split_lines(std::string_view source) {
    std::vector<SourceLine> lines;
    std::size_t start = 0;
    while (start < source.size()) {
        std::size_t newline = source.find('\n', start);
        std::size_t text_end = newline == std::string_view::npos ? source.size() : newline;
        std::size_t end = newline == std::string_view::npos ? source.size() : newline + 1;
        if (text_end > start && newline != std::string_view::npos && source[text_end - 1] == '\r') {
            --text_end;
        }
        lines.push_back({source.substr(start, text_end - start), lines.size() + 1, start});
        start = end;
    }
    if (lines.empty()) lines.push_back({source.substr(0, 0), 1, 0});
    return lines;
}

LineColumns LineColumns::of(std::string_view text) {
    LineColumns out;
    out.text_ = text;
    out.kept_.reserve(text.size() / STRIDE + 1);
    Place place;
    std::size_t chr = 0;
    for (; place.byte < text.size(); ++chr) {
        if (chr % STRIDE == 0) out.kept_.push_back(place);
        place.column += display_width(text::next_scalar(text, place.byte));
    }
    if (chr % STRIDE == 0) out.kept_.push_back(place);
    out.chars_ = chr;
    out.end_ = place;
    return out;
}

template <typename GoOn>
std::pair<std::size_t, LineColumns::Place> LineColumns::walk(std::size_t kept, GoOn go_on) const {
    std::size_t chr = kept * STRIDE;
    Place place = kept_[kept];
    while (chr < chars_) {
        Place next = place;
        next.column += display_width(text::next_scalar(text_, next.byte));
        if (!go_on(place, next)) break;
        place = next;
        ++chr;
    }
    return {chr, place};
}

template <typename Before>
std::size_t LineColumns::last_kept(Before before_target) const {
    auto after = std::partition_point(kept_.begin() + 1, kept_.end(), before_target);
    return static_cast<std::size_t>(after - kept_.begin()) - 1;
}

LineColumns::Place LineColumns::at(std::size_t chr) const {
    if (chr >= chars_) return end_;
    std::size_t steps = chr % STRIDE;
    return walk(chr / STRIDE, [&steps](const Place&, const Place&) { return steps-- > 0; }).second;
}

std::size_t LineColumns::first_from(std::size_t column) const {
    std::size_t kept = last_kept([&](const Place& p) { return p.column < column; });
    return walk(kept, [&](const Place& here, const Place&) { return here.column < column; }).first;
}

std::size_t LineColumns::ending_by(std::size_t column) const {
    std::size_t kept = last_kept([&](const Place& p) { return p.column <= column; });
    return walk(kept, [&](const Place&, const Place& next) { return next.column <= column; }).first;
}

std::pair<std::size_t, std::size_t> LineColumns::before(std::size_t offset) const {
    offset = std::min(offset, end_.byte);
    // The characters that start before the offset; the last of them may be cut by it.
    std::size_t kept = last_kept([&](const Place& p) { return p.byte <= offset; });
    auto [chr, place] =
        walk(kept, [&](const Place&, const Place& next) { return next.byte <= offset; });
    std::size_t cut = offset - place.byte;
    return {chr + cut, place.column + cut};
}

SourceIndex::SourceIndex(std::string_view source) : lines_(split_lines(source)) {}

const LineColumns& SourceIndex::columns(std::size_t number) const {
    auto it = columns_.find(number);
    if (it == columns_.end()) {
        it = columns_.emplace(number, LineColumns::of(line(number).text)).first;
    }
    return it->second;
}

// Lines are contiguous from 0: the line holding an offset is the last one starting at or
// before it, and an offset past the end falls on the last line.
const SourceLine& SourceIndex::line_of(std::size_t offset) const {
    auto after =
        std::upper_bound(lines_.begin(), lines_.end(), offset,
                         [](std::size_t o, const SourceLine& line) { return o < line.start; });
    return after == lines_.begin() ? lines_.front() : *(after - 1);
}

Loc SourceIndex::loc(const SourceLine& line, std::size_t offset) const {
    std::size_t within = offset - std::min(offset, line.start);
    auto [chars, width] = columns(line.number).before(within);
    return {line.number, chars, width};
}

std::pair<Loc, Loc> SourceIndex::locate(std::size_t start, std::size_t end) const {
    const SourceLine& first = line_of(start);
    Loc lo = loc(first, start);
    if (start > first.start + first.text.size()) ++lo.chr;
    if (start == end) return {lo, lo};

    const SourceLine& last = line_of(end);
    Loc hi = loc(last, end);
    // An end in a line's end belongs to the line and is cut back to its text; only a span
    // that began on an earlier line keeps one more column for it, to show that it runs on.
    if (end > last.start + last.text.size() && last.number != first.number) {
        ++hi.chr;
        ++hi.display;
    }
    return {lo, hi};
}

std::size_t display_width(char32_t c) {
    if (c == '\t') return 4;
    if (c < 0x20 || c == 0x7F || is_c1_control(c) || is_direction_control(c)) return 1;
    return text::char_width(c);
}

std::size_t display_width(std::string_view text) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size();)
        columns += display_width(text::next_scalar(text, i));
    return columns;
}

std::string normalize_whitespace(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        draw_char(text::next_scalar(text, i), [&out](char32_t c) { text::append_utf8(out, c); });
    return out;
}

bool drawn_prefix_is_blank(std::string_view text, std::size_t count) {
    std::size_t drawn = 0;
    bool blank = true;
    for (std::size_t i = 0; i < text.size() && drawn < count;) {
        draw_char(text::next_scalar(text, i), [&](char32_t c) {
            if (drawn++ < count && !text::is_white_space(c)) blank = false;
        });
    }
    return blank;
}

}  // namespace tarnvik::cli
