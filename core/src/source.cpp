#include "tarnvik/source.hpp"

#include "tarnvik/text.hpp"

namespace tarnvik::source {

std::pair<std::string, std::optional<Diagnostic>> decode(std::string bytes) {
    const std::size_t first_invalid = text::valid_utf8_length(bytes);
    if (first_invalid == bytes.size()) return {std::move(bytes), std::nullopt};

    std::string text;
    text.reserve(bytes.size() + 16);
    text.append(bytes, 0, first_invalid);
    for (std::size_t i = first_invalid; i < bytes.size();) {
        const text::Utf8Sequence sequence = text::utf8_sequence_at(bytes, i);
        if (sequence.valid) {
            text.append(bytes, i, sequence.length);
        } else {
            text::append_utf8(text, text::REPLACEMENT);
        }
        i += sequence.length;
    }
    auto diagnostic = Diagnostic::error("invalid UTF-8", Span{first_invalid, first_invalid + 3},
                                        Code::InvalidToml)
                          .with_help("TOML files must be encoded as UTF-8");
    return {std::move(text), std::move(diagnostic)};
}

std::optional<Diagnostic> check_byte_order_mark(std::string_view text) {
    if (!text.starts_with("\xEF\xBB\xBF")) return std::nullopt;
    return Diagnostic::error("file starts with a UTF-8 byte order mark", Span{0, 3},
                             Code::ByteOrderMark)
        .with_help(
            "tomllib (used by pip and most build backends) and uv reject it; save the file as "
            "UTF-8 without a byte order mark")
        .with_fix(Fix{{Edit{"", Span{0, 3}}}, Applicability::Safe});
}

}  // namespace tarnvik::source
