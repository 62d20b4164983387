#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "render/report.hpp"
#include "render/source_lines.hpp"

namespace tarnvik::cli {

// How an annotation shows on one line: a span within the line, the start or the end of a
// multi-line span, or a line that a multi-line span passes through.
enum class Kind { Single, Start, End, Line };

struct LineAnnotation {
    Loc start;
    Loc end;
    bool primary = false;
    std::string label;
    Kind kind = Kind::Single;
    std::size_t depth = 0;  // multi-line spans: the bar's column, 1 nearest the line numbers

    bool has_label() const { return !label.empty(); }
    bool takes_space() const { return kind == Kind::Start || kind == Kind::End; }
    std::size_t len() const {
        return end.display > start.display ? end.display - start.display
                                           : start.display - end.display;
    }
};

struct AnnotatedLine {
    const SourceLine* line = nullptr;
    std::vector<LineAnnotation> annotations;
};

// The lines to show, in order, and how many multi-line bars run beside them at most.
struct Layout {
    std::vector<AnnotatedLine> lines;
    std::size_t depth = 0;
};

Layout lay_out(const SourceIndex& index, const std::vector<Annotation>& annotations);

bool overlaps(const LineAnnotation& a, const LineAnnotation& b, std::size_t padding);

}  // namespace tarnvik::cli
