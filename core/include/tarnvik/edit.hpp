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

// Replaces the first occurrence of `old_name` within [start, end) by `new_name`, keeping what
// surrounds it (quotes, for one); the whole range becomes `new_name` when it does not hold it.
Edit rename(std::string_view text, std::size_t start, std::size_t end, std::string_view old_name,
            std::string_view new_name);

// The edits that delete element `position` of an array whose elements have the spans `entries`
// (source order): the element, one separator (its own comma, or for a last element without one
// the comma in front of it), and, when the element is alone on its line, the comment that ends
// the line and the line itself. Every other element and comment stays as it is, a comment on a
// line the element shares with another element or the opening bracket included. No edits for a
// position outside the list.
std::vector<Edit> remove_entry(std::string_view text, std::span<const Span> entries,
                               std::size_t position);

}  // namespace tarnvik::edit
