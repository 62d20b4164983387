#pragma once

#include <optional>
#include <string_view>

#include "generated/ruff.hpp"
#include "generated/ruff_rules.hpp"

// Ruff's descriptor `ruff::RUFF` and its rule selectors; releases are indices into RUFF's
// releases.
namespace tarnvik::ruff {

// The row of exactly this selector (byte for byte), or null.
const SelectorRow* selector(std::string_view text);
// What Ruff remaps exactly this selector to.
std::optional<std::string_view> redirect(std::string_view text);
// Whether the selector selects rules in the release and all of them are in preview there.
bool selects_only_preview_rules(std::string_view text, tool::Release release);

bool accepted(const SelectorRow& row, tool::Release release);
bool deprecated(const SelectorRow& row, tool::Release release);
bool preview(const SelectorRow& row, tool::Release release);

}  // namespace tarnvik::ruff
