#include "knowledge/ruff.hpp"

#include <algorithm>

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
    const std::string_view all = SELECTOR_TABLES.text;
    const auto it = std::ranges::lower_bound(
        SELECTORS, text, {}, [&](const StoredSelector& row) { return row.selector.in(all); });
    if (it == SELECTORS.end() || it->selector.in(all) != text) return std::nullopt;
    return view_of(SELECTOR_TABLES, *it);
}

std::optional<std::string_view> redirect(std::string_view text) {
    const std::string_view all = SELECTOR_TABLES.text;
    const auto it = std::ranges::lower_bound(
        REDIRECTS, text, {}, [&](const StoredRedirect& row) { return row.old_selector.in(all); });
    if (it == REDIRECTS.end() || it->old_selector.in(all) != text) return std::nullopt;
    return it->new_selector.in(all);
}

bool selects_only_preview_rules(std::string_view text, tool::Release release) {
    // The selectors that start with the text sort together, from the text itself on.
    const std::string_view all = SELECTOR_TABLES.text;
    auto it = std::ranges::lower_bound(
        SELECTORS, text, {}, [&](const StoredSelector& row) { return row.selector.in(all); });
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
