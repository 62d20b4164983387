#include "unicode.hpp"

#include <algorithm>

namespace tarnvik::unicode {

namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

bool is_continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the sequence a lead byte starts and the bits it contributes; 0 when no valid
// sequence starts with it.
struct Lead {
    std::size_t length;
    char32_t bits;
};

Lead lead(unsigned char byte) {
    if (byte < 0x80) return {1, byte};
    if (byte >= 0xC2 && byte <= 0xDF) return {2, char32_t(byte & 0x1F)};
    if (byte >= 0xE0 && byte <= 0xEF) return {3, char32_t(byte & 0x0F)};
    if (byte >= 0xF0 && byte <= 0xF4) return {4, char32_t(byte & 0x07)};
    return {0, 0};
}

// The range the second byte must lie in so that the sequence is neither overlong, a surrogate
// nor beyond U+10FFFF.
bool second_byte_allowed(unsigned char first, unsigned char second) {
    switch (first) {
        case 0xE0:
            return second >= 0xA0 && second <= 0xBF;
        case 0xED:
            return second >= 0x80 && second <= 0x9F;
        case 0xF0:
            return second >= 0x90 && second <= 0xBF;
        case 0xF4:
            return second >= 0x80 && second <= 0x8F;
        default:
            return is_continuation(second);
    }
}

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
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto first = static_cast<unsigned char>(utf8[i]);
        auto [length, value] = lead(first);
        std::size_t taken = 1;
        // Consume the longest valid prefix of the sequence, so one ill-formed subpart gives one
        // replacement character.
        while (length > 1 && taken < length && i + taken < utf8.size()) {
            auto next = static_cast<unsigned char>(utf8[i + taken]);
            bool allowed = taken == 1 ? second_byte_allowed(first, next) : is_continuation(next);
            if (!allowed) break;
            value = (value << 6) | (next & 0x3F);
            ++taken;
        }
        result.push_back(length != 0 && taken == length ? value : REPLACEMENT);
        i += taken;
    }
    return result;
}

}  // namespace tarnvik::unicode
