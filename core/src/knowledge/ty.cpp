#include "knowledge/ty.hpp"

#include <algorithm>

namespace tarnvik::ty {

Rule view_of(const tool::stored::Family& family, const StoredRule& row) {
    return {row.name.in(family.text), row.releases.of(family.ranges)};
}

std::optional<Rule> rule(std::string_view name) {
    const std::string_view all = TY.family->text;
    const auto it = std::ranges::lower_bound(
        RULES, name, {}, [&](const StoredRule& row) { return row.name.in(all); });
    if (it == RULES.end() || it->name.in(all) != name) return std::nullopt;
    return view_of(*TY.family, *it);
}

}  // namespace tarnvik::ty
