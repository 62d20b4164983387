#include "render/elision.hpp"

#include <algorithm>

#include "tarnvik/text.hpp"

namespace tarnvik::cli {

namespace {

constexpr std::string_view MARK = "...";
// The columns kept at each end of a long span: a third of the window, never fewer than five.
constexpr std::size_t MIN_KEPT = 5;

}  // namespace

std::size_t Elision::map(std::size_t column) const {
    if (column <= begin) return column;
    if (column < end) return begin;
    return column - (end - begin) + MARK.size();
}

std::optional<Elision> find_elision(const AnnotatedLine& line, std::size_t column_width) {
    std::size_t kept = std::max(MIN_KEPT, column_width / 3);
    for (const LineAnnotation& ann : line.annotations) {
        if (ann.kind != Kind::Single) continue;
        std::size_t width = ann.len();
        if (width > 2 * column_width && width > 2 * kept + MARK.size()) {
            std::size_t start = std::min(ann.start.display, ann.end.display);
            return Elision{start + kept, start + width - kept};
        }
    }
    return std::nullopt;
}

std::string elide_text(std::string_view text, const Elision& elision) {
    std::string out;
    std::size_t column = 0;
    bool marked = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t at = i;
        char32_t c = text::next_scalar(text, i);
        if (column >= elision.begin && column < elision.end) {
            if (!marked) out += MARK;
            marked = true;
        } else {
            out.append(text.substr(at, i - at));
        }
        column += display_width(c);
    }
    return out;
}

AnnotatedLine elide_annotations(const AnnotatedLine& line, const Elision& elision) {
    AnnotatedLine out = line;
    for (LineAnnotation& ann : out.annotations) {
        ann.start.display = elision.map(ann.start.display);
        ann.end.display = elision.map(ann.end.display);
    }
    return out;
}

}  // namespace tarnvik::cli
