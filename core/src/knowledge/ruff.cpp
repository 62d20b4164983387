#include "knowledge/ruff.hpp"

#include <algorithm>

namespace tarnvik::ruff {

const SelectorRow* selector(std::string_view text) {
    const auto it = std::ranges::lower_bound(SELECTORS, text, {}, &SelectorRow::selector);
    return it != SELECTORS.end() && it->selector == text ? &*it : nullptr;
}

std::optional<std::string_view> redirect(std::string_view text) {
    const auto it = std::ranges::lower_bound(REDIRECTS, text, {}, &Redirect::old_selector);
    if (it == REDIRECTS.end() || it->old_selector != text) return std::nullopt;
    return it->new_selector;
}

bool accepted(const SelectorRow& row, tool::Release release) {
    return tool::holds(row.releases, release);
}

bool deprecated(const SelectorRow& row, tool::Release release) {
    return row.status == RuleStatus::Deprecated && row.since <= release && release < row.removed;
}

bool preview(const SelectorRow& row, tool::Release release) {
    return row.status == RuleStatus::Preview ||
           (row.status == RuleStatus::Stable && release < row.since);
}

bool selects_only_preview_rules(std::string_view text, tool::Release release) {
    bool selects = false;
    for (const SelectorRow& row : SELECTORS) {
        if (row.status == RuleStatus::None || !row.selector.starts_with(text) ||
            !accepted(row, release)) {
            continue;
        }
        if (!preview(row, release)) return false;  // removed, deprecated or stable by then
        selects = true;
    }
    return selects;
}

}  // namespace tarnvik::ruff
