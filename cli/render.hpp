#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The rustc-style annotated snippet of the report, without a final line end.
std::string render(const Report& report, const RenderOptions& options);

// A diagnostic as an annotated snippet of `source` with `display_name` as its origin.
std::string render_diagnostic(const Diagnostic& diagnostic, std::string_view source,
                              std::string_view display_name, bool color);

}  // namespace tarnvik::cli
