#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "render/snippet_layout.hpp"

namespace tarnvik::cli {

// The hidden middle of a span too wide for the window, in display columns: the span shows its
// first and last columns with "..." between them, in the source line and under it.
struct Elision {
    std::size_t begin;
    std::size_t end;

    std::size_t map(std::size_t column) const;
};

// The elision for the first span on the line that is wider than twice `column_width`, if any.
std::optional<Elision> find_elision(const AnnotatedLine& line, std::size_t column_width);

// The line's text (already normalized) with the elided columns replaced by "...", and its
// annotations moved to match.
std::string elide_text(std::string_view text, const Elision& elision);
AnnotatedLine elide_annotations(const AnnotatedLine& line, const Elision& elision);

}  // namespace tarnvik::cli
