#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "source_lines.hpp"
#include "tarnvik/diagnostic.hpp"
#include "tarnvik/span.hpp"

namespace tarnvik::cli {

enum class Level : std::uint8_t { Error, Warning, Help, Note };

// A marked span of the snippet: primary (`^`) or context (`-`), with an optional label.
struct Annotation {
    Span span;
    bool primary = false;
    std::string label;  // empty: no label
};

// A line after the snippet: "= help: ..." or "= note: ...".
struct Message {
    Level level = Level::Note;
    std::string text;
};

// Everything one annotated snippet shows.
struct Report {
    Level level = Level::Error;
    std::string title;
    std::string id;                   // shown in brackets after the level; empty: none
    std::optional<std::string> path;  // the origin above the lines; absent: no origin line
    std::string_view source;
    std::vector<Annotation> annotations;
    std::vector<Message> messages;
};

struct RenderOptions {
    std::size_t width = 140;
    bool color = false;
};

// The rustc-style annotated snippet of the report, without a final line end; `index` holds the
// lines of the report's source, split once for every report on it.
std::string render(const Report& report, const SourceIndex& index, const RenderOptions& options);
std::string render(const Report& report, const RenderOptions& options);

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
