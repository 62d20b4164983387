#pragma once

#include <cstddef>

namespace tarnvik {

// A half-open range of byte offsets into the decoded text of the project file.
struct Span {
    std::size_t start = 0;
    std::size_t end = 0;

    bool empty() const { return start == end; }
    std::size_t size() const { return end - start; }
    friend bool operator==(const Span&, const Span&) = default;
};

}  // namespace tarnvik
