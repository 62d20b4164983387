#include "tarnvik/text.hpp"

namespace tarnvik::text {

char32_t next_scalar(std::string_view text, std::size_t& at) {
    const Utf8Sequence sequence = utf8_sequence_at(text, at);
    at += sequence.length;
    return sequence.valid ? sequence.value : REPLACEMENT;
}

std::vector<char32_t> scalars(std::string_view text) {
    std::vector<char32_t> result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        result.push_back(next_scalar(text, i));
    return result;
}

std::size_t scalar_count(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count)
        i += utf8_sequence_at(text, i).length;
    return count;
}

}  // namespace tarnvik::text
