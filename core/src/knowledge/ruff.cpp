#include "knowledge/ruff.hpp"

namespace tarnvik::ruff {

SelectorRow view_of(const tool::stored::Family& family, const StoredSelector& row) {
    return {
        .selector = row.selector.in(family.text),
        .releases = row.releases.of(family.ranges),
        .status = static_cast<RuleStatus>(row.status),
        .since = row.since,
        .removed = row.removed,
    };
}

std::optional<SelectorRow> selector(std::string_view text) {
    const StoredSelector* row =
        tool::stored::find(SELECTOR_TABLES, SELECTORS, text, &StoredSelector::selector);
    if (row == nullptr) return std::nullopt;
    return view_of(SELECTOR_TABLES, *row);
}

std::optional<std::string_view> redirect(std::string_view text) {
    const StoredRedirect* row =
        tool::stored::find(SELECTOR_TABLES, REDIRECTS, text, &StoredRedirect::old_selector);
    if (row == nullptr) return std::nullopt;
    return row->new_selector.in(SELECTOR_TABLES.text);
}

bool selects_only_preview_rules(std::string_view text, tool::Release release) {
    // The selectors that start with the text sort together, from the text itself on.
    const std::string_view all = SELECTOR_TABLES.text;
    auto it =
        tool::stored::first_not_before(SELECTOR_TABLES, SELECTORS, text, &StoredSelector::selector);
    bool selects = false;
    for (; it != SELECTORS.end() && it->selector.in(all).starts_with(text); ++it) {
        const SelectorRow row = view_of(SELECTOR_TABLES, *it);
        if (row.status == RuleStatus::None || !row.accepted_in(release)) continue;
        if (!row.preview_in(release)) return false;  // removed, deprecated or stable by then
        selects = true;
    }
    return selects;
}

}  // namespace tarnvik::ruff
