#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "generated/ty.hpp"
#include "knowledge/tool.hpp"

// ty's descriptor `ty::TY` and its lint rules; releases are indices into TY's releases.
namespace tarnvik::ty {

struct Rule {
    std::string_view name;
    std::span<const tool::ReleaseRange> releases;  // ascending
};

Rule view_of(const tool::stored::Family& family, const StoredRule& row);

// Every rule any release knew, in ascending byte order of name.
inline tool::Rows<Rule, StoredRule> rules() {
    return {*TY.family, RULES};
}
// The rule of exactly this name (byte for byte).
std::optional<Rule> rule(std::string_view name);

}  // namespace tarnvik::ty
