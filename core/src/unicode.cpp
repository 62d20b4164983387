#include "unicode.hpp"

#include <algorithm>

#include "tarnvik/utf8.hpp"

namespace tarnvik::unicode {

namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

}  // namespace

bool in_ranges(std::span<const Range> ranges, char32_t c) {
    auto it =
        std::lower_bound(ranges.begin(), ranges.end(), c,
                         [](const Range& range, char32_t value) { return range.last < value; });
    return it != ranges.end() && it->first <= c;
}

bool is_alphabetic(char32_t c) {
    return in_ranges(ALPHABETIC, c);
}

bool is_numeric(char32_t c) {
    return in_ranges(NUMERIC, c);
}

std::vector<char32_t> scalars(std::string_view utf8) {
    std::vector<char32_t> result;
    result.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Sequence sequence = utf8_sequence_at(utf8, i);
        result.push_back(sequence.valid ? sequence.value : REPLACEMENT);
        i += sequence.length;
    }
    return result;
}

std::size_t scalar_count(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++count)
        i += utf8_sequence_at(utf8, i).length;
    return count;
}

}  // namespace tarnvik::unicode
