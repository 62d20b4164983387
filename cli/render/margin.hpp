#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/snippet_layout.hpp"

namespace tarnvik::cli {

// A source line cut to the window: the text kept, how many columns were cut on the left, how
// many characters were kept, and whether "..." marks a cut on either side.
struct TrimmedLine {
    std::string code;
    std::size_t left = 0;
    std::size_t chars = 0;
    bool cut_left = false;
    bool cut_right = false;
};

// The window of columns that a snippet shows of lines too long for the terminal: centred on
// the marked spans and their labels.
class Margin {
  public:
    Margin(std::size_t whitespace_left, std::size_t span_left, std::size_t span_right,
           std::size_t label_right, std::size_t column_width, std::size_t max_line_len);

    // The window of a line whose characters `columns` measures.
    TrimmedLine trim(std::string_view line, const LineColumns& columns) const;

  private:
    std::size_t left(std::size_t line_len) const;
    std::size_t right(std::size_t line_len) const;

    std::size_t whitespace_left_;
    std::size_t span_left_;
    std::size_t span_right_;
    std::size_t label_right_;
    std::size_t column_width_;
    std::size_t computed_left_ = 0;
    std::size_t computed_right_ = 0;
};

// How many white space characters a line starts with; none for a blank line.
std::optional<std::size_t> leading_white_space(std::string_view text);

Margin make_margin(const std::vector<AnnotatedLine>& lines, const SourceIndex& index,
                   std::size_t column_width);

}  // namespace tarnvik::cli
