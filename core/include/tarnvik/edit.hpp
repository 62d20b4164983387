#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tarnvik/span.hpp"

// Edits of the project file's text: the plain data a diagnostic's fix carries, and the text
// operations that build and apply them. Nothing here parses or checks.
namespace tarnvik {

// Ordered: a fix is eligible when its applicability is at least the minimum asked for.
enum class Applicability : std::uint8_t { Unsafe = 0, Safe = 1 };

struct Edit {
    std::string content;  // empty deletes the range
    Span range;           // empty inserts the content at range.start
};

struct Fix {
    std::vector<Edit> edits;  // applied all together or not at all
    Applicability applicability = Applicability::Safe;
};

}  // namespace tarnvik

namespace tarnvik::edit {

// The text with every edit applied; edits are taken in order of (range start, range end).
std::string splice(std::string_view text, std::span<const Edit> edits);
// The same for edits held elsewhere.
std::string splice(std::string_view text, std::vector<const Edit*> edits);

// `value` as a TOML string: of the kind `token` is written in (basic, literal, or either of them
// multi-line) when it holds `value` without an escape, else a basic string with the escapes
// `value` needs. A `token` that is no string, such as a bare key, gives a basic string.
std::string toml_string(std::string_view value, std::string_view token);

// Replaces the whole string written at `range`, quotes and escapes included, by one whose value
// is `value`, of the kind `toml_string` chooses: the edit never touches the inside of a string,
// and never writes anything but a string.
Edit replace_string(std::string_view text, Span range, std::string_view value);

// The edits that delete element `position` of an array whose elements have the spans `entries`
// (source order): the element, one separator (its own comma, or for a last element without one
// the comma in front of it), and, when the element is alone on its line, the comment that ends
// the line and the line itself. Every other element and comment stays as it is, a comment on a
// line the element shares with another element or the opening bracket included. No edits for a
// position outside the list.
std::vector<Edit> remove_entry(std::string_view text, std::span<const Span> entries,
                               std::size_t position);

}  // namespace tarnvik::edit
