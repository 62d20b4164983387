#include "knowledge/ty.hpp"

namespace tarnvik::ty {

Rule view_of(const tool::stored::Family& family, const StoredRule& row) {
    return {row.name.in(family.text), row.releases.of(family.ranges)};
}

std::optional<Rule> rule(std::string_view name) {
    const StoredRule* row = tool::stored::find(*TY.family, RULES, name, &StoredRule::name);
    if (row == nullptr) return std::nullopt;
    return view_of(*TY.family, *row);
}

}  // namespace tarnvik::ty
