#include "knowledge/ty.hpp"

#include <algorithm>

namespace tarnvik::ty {

const Rule* rule(std::string_view name) {
    const auto it = std::ranges::lower_bound(RULES, name, {}, &Rule::name);
    return it != RULES.end() && it->name == name ? &*it : nullptr;
}

}  // namespace tarnvik::ty
