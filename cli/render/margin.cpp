#include "render/margin.hpp"

#include <algorithm>
#include <limits>

#include "render/saturating.hpp"
#include "tarnvik/text.hpp"

namespace tarnvik::cli {

namespace {

// Room kept around the spans for the "..." marks.
constexpr std::size_t PADDING = 6;
// Columns that a window centred on the spans leaves unused at its right end.
constexpr std::size_t RIGHT_RESERVE = 5;

}  // namespace

Margin::Margin(std::size_t whitespace_left, std::size_t span_left, std::size_t span_right,
               std::size_t label_right, std::size_t column_width, std::size_t max_line_len)
    : whitespace_left_(sat_sub(whitespace_left, PADDING)),
      span_left_(sat_sub(span_left, PADDING)),
      span_right_(span_right + PADDING),
      label_right_(label_right + PADDING),
      column_width_(column_width) {
    // Plenty of leading white space is cut, keeping some.
    computed_left_ = whitespace_left_ > 20 ? whitespace_left_ - 16 : 0;
    computed_right_ = std::max(max_line_len, computed_left_);
    if (computed_right_ - computed_left_ <= column_width_) return;
    if (sat_sub(label_right_, whitespace_left_) <= column_width_) {
        // Cutting the leading white space is enough: the window is as wide as the terminal.
        computed_left_ = whitespace_left_;
        computed_right_ = computed_left_ + column_width_;
    } else if (sat_sub(label_right_, span_left_) <= column_width_) {
        std::size_t padding_left = (column_width_ - (label_right_ - span_left_)) / 2;
        computed_left_ = sat_sub(span_left_, padding_left);
        computed_right_ = computed_left_ + sat_sub(column_width_, RIGHT_RESERVE);
    } else if (sat_sub(span_right_, span_left_) <= column_width_) {
        std::size_t padding_left = (column_width_ - (span_right_ - span_left_)) / 5 * 2;
        computed_left_ = sat_sub(span_left_, padding_left);
        computed_right_ = computed_left_ + sat_sub(column_width_, RIGHT_RESERVE);
    } else {
        computed_left_ = span_left_;
        computed_right_ = span_right_;
    }
}

std::size_t Margin::left(std::size_t line_len) const {
    return std::min(computed_left_, line_len);
}

std::size_t Margin::right(std::size_t line_len) const {
    if (sat_sub(line_len, computed_left_) <= column_width_) return line_len;
    return std::min(line_len, computed_right_);
}

TrimmedLine Margin::trim(std::string_view line, const LineColumns& columns) const {
    std::size_t want_left = left(columns.width());
    std::size_t right_edge = right(columns.width());
    // Whole characters only: skip those that start left of the left edge (so a zero-width
    // character at the edge, such as a byte order mark at the start of a line, stays), keep
    // those that end at or before the right edge.
    std::size_t first = columns.first_from(want_left);
    std::size_t last = std::max(first, columns.ending_by(right_edge));
    LineColumns::Place from = columns.at(first);
    TrimmedLine out;
    out.left = from.column;
    out.code = normalize_whitespace(line.substr(from.byte, columns.at(last).byte - from.byte));
    out.chars = text::scalar_count(out.code);
    out.cut_left = computed_left_ > 0;
    out.cut_right = last < columns.chars();
    return out;
}

std::optional<std::size_t> leading_white_space(std::string_view text) {
    std::size_t leading = 0;
    for (std::size_t i = 0; i < text.size(); ++leading) {
        if (!text::is_pattern_white_space(text::next_scalar(text, i))) return leading;
    }
    return std::nullopt;
}

Margin make_margin(const std::vector<AnnotatedLine>& lines, const SourceIndex& index,
                   std::size_t column_width) {
    std::size_t whitespace = std::numeric_limits<std::size_t>::max();
    std::size_t span_left = std::numeric_limits<std::size_t>::max();
    std::size_t span_right = 0, label_right = 0, max_line_len = 0;
    for (const AnnotatedLine& line : lines) {
        if (auto leading = leading_white_space(line.line->text)) {
            whitespace = std::min(whitespace, *leading);
        }
        max_line_len = std::max(max_line_len, index.columns(line.line->number).width());
        for (const LineAnnotation& ann : line.annotations) {
            span_left = std::min({span_left, ann.start.display, ann.end.display});
            span_right = std::max({span_right, ann.start.display, ann.end.display});
            std::size_t label = ann.has_label() ? display_width(ann.label) + 1 : 0;
            label_right = std::max(label_right, ann.end.display + label);
        }
    }
    if (whitespace == std::numeric_limits<std::size_t>::max()) whitespace = 0;
    if (span_left == std::numeric_limits<std::size_t>::max()) span_left = 0;
    return Margin(whitespace, span_left, span_right, label_right, column_width, max_line_len);
}

}  // namespace tarnvik::cli
