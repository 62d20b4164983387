#include "text/white_space.hpp"

#include "knowledge/unicode.hpp"

namespace tarnvik::text {

namespace {

// The longest UTF-8 sequence is a lead byte and three continuation bytes.
constexpr std::size_t MAX_CONTINUATION = 3;

// The byte length of the White_Space character that ends just before `end`, or 0.
std::size_t white_space_length_before(std::string_view text, std::size_t end) {
    if (end == 0) return 0;
    std::size_t start = end - 1;
    while (start > 0 && end - start <= MAX_CONTINUATION && is_utf8_continuation(text[start]))
        --start;
    return white_space_length(text, start) == end - start ? end - start : 0;
}

}  // namespace

bool is_white_space(char32_t c) {
    return unicode::is_white_space(c);
}

bool is_pattern_white_space(char32_t c) {
    return unicode::is_pattern_white_space(c);
}

std::size_t non_ascii_white_space_length(std::string_view text, std::size_t pos) {
    const Utf8Sequence sequence = utf8_sequence_at(text, pos);
    return sequence.valid && is_white_space(sequence.value) ? sequence.length : 0;
}

bool has_white_space(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size(); ++pos)
        if (white_space_length(text, pos) != 0) return true;
    return false;
}

std::string without_white_space(std::string_view text) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t space = white_space_length(text, pos);
        if (space == 0) out += text[pos++];
        pos += space;
    }
    return out;
}

std::string_view trim_white_space(std::string_view text) {
    while (std::size_t space = white_space_length(text, 0))
        text.remove_prefix(space);
    while (std::size_t space = white_space_length_before(text, text.size()))
        text.remove_suffix(space);
    return text;
}

}  // namespace tarnvik::text
