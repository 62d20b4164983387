#include "tarnvik/text.hpp"

#include <cstdint>
#include <cstring>

namespace tarnvik::text {

namespace {

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
            return is_utf8_continuation(second);
    }
}

}  // namespace

Utf8Sequence utf8_sequence_at(std::string_view text, std::size_t at) {
    const auto first = static_cast<unsigned char>(text[at]);
    auto [length, value] = lead(first);
    std::size_t taken = 1;
    // The longest valid prefix of the sequence, so one ill-formed subpart is one unit.
    while (length > 1 && taken < length && at + taken < text.size()) {
        const auto next = static_cast<unsigned char>(text[at + taken]);
        const bool allowed =
            taken == 1 ? second_byte_allowed(first, next) : is_utf8_continuation(text[at + taken]);
        if (!allowed) break;
        value = (value << 6) | (next & 0x3F);
        ++taken;
    }
    const bool valid = length != 0 && taken == length;
    return {taken, valid, valid ? value : 0};
}

std::size_t valid_utf8_length(std::string_view text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        // Plain ASCII, the bulk of any lock file, sixteen bytes at a time.
        if (i + 16 <= n) {
            std::uint64_t chunk[2];
            std::memcpy(chunk, bytes + i, 16);
            if (((chunk[0] | chunk[1]) & 0x8080808080808080ull) == 0) {
                i += 16;
                continue;
            }
        }
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        const Utf8Sequence sequence = utf8_sequence_at(text, i);
        if (!sequence.valid) return i;
        i += sequence.length;
    }
    return n;
}

}  // namespace tarnvik::text
