#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace tarnvik::cli
