#pragma once

#include <span>
#include <string_view>

#include "generated/trove.hpp"

// The trove classifiers of one release of the trove-classifiers list (its VERSION).
namespace tarnvik::trove {

struct Status {
    enum Kind { Known, Private, Deprecated, Unknown };
    Kind kind;
    std::span<const std::string_view> replacements = {};  // for Deprecated
};

Status lookup(std::string_view classifier);

// The known classifiers, sorted by bytes.
std::span<const std::string_view> classifiers();

}  // namespace tarnvik::trove
