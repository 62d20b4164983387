#pragma once

#include <string>
#include <string_view>

#include "render/source_lines.hpp"
#include "tarnvik/diagnostic.hpp"

namespace tarnvik::cli {

// Renders the diagnostics of one checked text, whose lines it splits once.
class DiagnosticRenderer {
  public:
    DiagnosticRenderer(std::string_view source, std::string display_name, bool color);
    std::string render(const Diagnostic& diagnostic) const;

  private:
    std::string_view source_;
    SourceIndex index_;
    std::string display_name_;
    bool color_;
};

// A diagnostic as an annotated snippet of `source` with `display_name` as its origin.
std::string render_diagnostic(const Diagnostic& diagnostic, std::string_view source,
                              std::string_view display_name, bool color);

}  // namespace tarnvik::cli
