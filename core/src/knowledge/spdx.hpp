#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "generated/spdx.hpp"

// The SPDX license and exception identifiers.
namespace tarnvik::spdx {

// The license with exactly this id, or null.
const License* find_license(std::string_view id);

bool is_exception(std::string_view id);

// An imprecise license name at the start of a text, and the license it stands for.
struct ImpreciseMatch {
    std::size_t length;
    const License* license;
};

// The first imprecise name, in matching order, that the text starts with, without regard to
// ASCII case.
std::optional<ImpreciseMatch> imprecise_name_at_start(std::string_view text);

}  // namespace tarnvik::spdx
