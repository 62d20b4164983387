#include "render/snippet_layout.hpp"

#include <algorithm>
#include <limits>
#include <map>
#include <string_view>

#include "tarnvik/text.hpp"

namespace tarnvik::cli {

namespace {

struct MultilineAnnotation {
    Loc start;
    Loc end;
    bool primary = false;
    std::string label;
    std::size_t depth = 1;
    bool overlaps_exactly = false;

    bool same_span(const MultilineAnnotation& other) const {
        return start == other.start && end == other.end;
    }

    LineAnnotation as_start() const {
        return {start, Loc{start.line, start.chr + 1, start.display + 1}, primary, "", Kind::Start,
                depth};
    }
    LineAnnotation as_end() const {
        Loc before{end.line, end.chr > 0 ? end.chr - 1 : 0, end.display > 0 ? end.display - 1 : 0};
        return {before, end, primary, label, Kind::End, depth};
    }
    LineAnnotation as_line() const { return {Loc{}, Loc{}, primary, "", Kind::Line, depth}; }
};

bool num_overlap(std::size_t a_start, std::size_t a_end, std::size_t b_start, std::size_t b_end,
                 bool inclusive) {
    std::size_t extra = inclusive ? 1 : 0;
    return (b_start <= a_start && a_start < b_end + extra) ||
           (a_start <= b_start && b_start < a_end + extra);
}

std::string_view trim(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    for (std::size_t i = 0; i < text.size();) {
        if (!text::is_white_space(text::next_scalar(text, i))) break;
        begin = i;
    }
    while (end > begin) {
        std::size_t at = end - 1;
        while (at > begin && text::is_utf8_continuation(text[at]))
            --at;
        std::size_t i = at;
        if (!text::is_white_space(text::next_scalar(text, i))) break;
        end = at;
    }
    return text.substr(begin, end - begin);
}

// Lines that carry nothing worth showing inside a long multi-line span: blank lines, lone
// delimiters and line comments.
bool worth_showing(std::string_view text) {
    std::string_view s = trim(text);
    bool comment = s.starts_with("//") && !(s.starts_with("///") || s.starts_with("//!"));
    constexpr std::string_view BARE[] = {"", "{", "}", "(", ")", "[", "]"};
    return !comment && std::find(std::begin(BARE), std::end(BARE), s) == std::end(BARE);
}

// Spreads overlapping multi-line spans over different bar columns; a span equal to an earlier
// one shares its bar, and takes the primary mark when any equal span is primary.
void assign_depths(std::vector<MultilineAnnotation>& multi) {
    std::stable_sort(multi.begin(), multi.end(), [](const auto& a, const auto& b) {
        return std::make_pair(a.start.line, std::numeric_limits<std::size_t>::max() - a.end.line) <
               std::make_pair(b.start.line, std::numeric_limits<std::size_t>::max() - b.end.line);
    });
    std::vector<std::pair<Loc, Loc>> primary_spans;
    const std::vector<MultilineAnnotation> snapshot = multi;
    for (std::size_t i = 0; i < snapshot.size(); ++i) {
        const MultilineAnnotation& ann = snapshot[i];
        if (ann.primary) primary_spans.emplace_back(ann.start, ann.end);
        for (std::size_t k = 0; k < multi.size(); ++k) {
            MultilineAnnotation& a = multi[k];
            if (!ann.same_span(a) &&
                num_overlap(ann.start.line, ann.end.line, a.start.line, a.end.line, true)) {
                ++a.depth;
            } else if (ann.same_span(a) && k != i) {
                a.overlaps_exactly = true;
            } else {
                for (const auto& [s, e] : primary_spans) {
                    if (a.start == s && a.end == e) a.primary = true;
                }
                break;
            }
        }
    }
    std::size_t deepest = 0;
    for (const auto& a : multi)
        deepest = std::max(deepest, a.depth);
    // Reversed, so that the outermost span gets the bar nearest the line numbers.
    for (auto& a : multi)
        a.depth = deepest - a.depth + 1;
}

}  // namespace

bool overlaps(const LineAnnotation& a, const LineAnnotation& b, std::size_t padding) {
    return num_overlap(a.start.display, a.end.display + padding, b.start.display, b.end.display,
                       false);
}

Layout lay_out(const SourceIndex& index, const std::vector<Annotation>& annotations) {
    const std::vector<SourceLine>& lines = index.lines();
    // Only the lines that get an annotation, so the cost follows the spans, not the file.
    std::map<std::size_t, AnnotatedLine> annotated;
    auto add = [&](std::size_t number, LineAnnotation ann) {
        AnnotatedLine& line = annotated[number];
        line.line = &lines[number - 1];
        line.annotations.push_back(std::move(ann));
    };
    auto text_of = [&](std::size_t number) -> const std::string_view* {
        return number >= 1 && number <= lines.size() ? &lines[number - 1].text : nullptr;
    };

    std::vector<MultilineAnnotation> multi;
    for (const Annotation& annotation : annotations) {
        auto [lo, hi] = index.locate(annotation.span.start, annotation.span.end);
        // An empty span still gets one mark.
        if (lo.display == hi.display && lo.line == hi.line) ++hi.display;
        if (lo.line == hi.line) {
            add(lo.line, {lo, hi, annotation.primary, annotation.label, Kind::Single, 0});
        } else {
            multi.push_back({lo, hi, annotation.primary, annotation.label});
        }
    }
    assign_depths(multi);

    std::size_t depth = 0;
    for (const MultilineAnnotation& ann : multi) {
        depth = std::max(depth, ann.depth);
        LineAnnotation end = ann.as_end();
        if (ann.overlaps_exactly) {
            end.kind = Kind::Single;
            add(ann.end.line, std::move(end));
            continue;
        }
        add(ann.start.line, ann.as_start());
        // Up to four lines after the start stay visible, less the blank lines at their end.
        std::size_t middle = std::min(ann.start.line + 4, ann.end.line);
        std::size_t until = ann.start.line;
        for (std::size_t number = middle; number-- > ann.start.line;) {
            const std::string_view* text = text_of(number);
            if (text && worth_showing(*text)) {
                until = number + 1;
                break;
            }
        }
        for (std::size_t number = ann.start.line + 1; number < until; ++number) {
            add(number, ann.as_line());
        }
        std::size_t before_end = ann.end.line - 1;
        const std::string_view* text = text_of(before_end);
        bool end_is_empty = text && !worth_showing(*text);
        if (middle < before_end && !end_is_empty) add(before_end, ann.as_line());
        add(ann.end.line, std::move(end));
    }

    Layout layout;
    layout.depth = depth;
    for (auto& [number, line] : annotated)
        layout.lines.push_back(std::move(line));
    return layout;
}

}  // namespace tarnvik::cli
