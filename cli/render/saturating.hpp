#pragma once

#include <cstddef>

namespace tarnvik::cli {

// a - b, or 0 where b is larger: columns and rows never go below the left or top edge.
inline std::size_t sat_sub(std::size_t a, std::size_t b) {
    return a > b ? a - b : 0;
}

}  // namespace tarnvik::cli
