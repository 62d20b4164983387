#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "generated/ruff.hpp"
#include "generated/ruff_rules.hpp"
#include "knowledge/tool.hpp"

// Ruff's descriptor `ruff::RUFF` and its rule selectors; releases are indices into RUFF's
// releases.
namespace tarnvik::ruff {

// A rule's life cycle; None marks a selector that is not a single rule (a code prefix, a group,
// a rule name, a former code).
enum class RuleStatus : std::uint16_t {
    Removed = 0,     // gone from `removed` on
    Deprecated = 1,  // deprecated for since <= r < removed, gone from `removed` on
    Stable = 2,      // stable from `since` on, in preview before
    Preview = 3,     // in preview in every release that has it
    None = 0xFFFF,
};

struct SelectorRow {
    std::string_view selector;
    std::span<const tool::ReleaseRange> releases;  // ascending, apart, never empty
    RuleStatus status;
    tool::Release since;    // Stable, Deprecated; else 0
    tool::Release removed;  // Deprecated, Removed: one past the last accepting release; else 0

    bool accepted_in(tool::Release release) const { return tool::holds(releases, release); }
    bool deprecated_in(tool::Release release) const {
        return status == RuleStatus::Deprecated && since <= release && release < removed;
    }
    bool preview_in(tool::Release release) const {
        return status == RuleStatus::Preview || (status == RuleStatus::Stable && release < since);
    }
};

SelectorRow view_of(const tool::stored::Family& family, const StoredSelector& row);

// Every selector any release accepted, in ascending byte order.
inline tool::Rows<SelectorRow, StoredSelector> selectors() {
    return {SELECTOR_TABLES, SELECTORS};
}
// The row of exactly this selector (byte for byte).
std::optional<SelectorRow> selector(std::string_view text);
// What Ruff remaps exactly this selector to.
std::optional<std::string_view> redirect(std::string_view text);
// Whether the selector selects rules in the release and all of them are in preview there.
bool selects_only_preview_rules(std::string_view text, tool::Release release);

}  // namespace tarnvik::ruff
