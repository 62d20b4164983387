#include "tarnvik/source.hpp"

#include <cstdint>

namespace tarnvik::source {

namespace {

constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence at `i`, or 0 with `bad` set to the length of the
// maximal subpart of an ill-formed sequence (at least 1), as Unicode recommends for substitution.
std::size_t sequence_length(std::string_view s, std::size_t i, std::size_t& bad) {
    auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
    const std::uint8_t b0 = byte(i);
    if (b0 < 0x80) return 1;
    std::size_t need = 0;
    std::uint8_t lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        bad = 1;
        return 0;
    }
    std::size_t k = 1;
    for (; k <= need; ++k) {
        if (i + k >= s.size()) break;
        const std::uint8_t b = byte(i + k);
        const bool ok = k == 1 ? (b >= lo && b <= hi) : (b >= 0x80 && b <= 0xBF);
        if (!ok) break;
    }
    if (k > need) return need + 1;
    bad = k;
    return 0;
}

}  // namespace

std::pair<std::string, std::optional<Diagnostic>> decode(std::string bytes) {
    std::size_t i = 0;
    std::size_t bad = 0;
    while (i < bytes.size()) {
        const std::size_t n = sequence_length(bytes, i, bad);
        if (n == 0) break;
        i += n;
    }
    if (i == bytes.size()) return {std::move(bytes), std::nullopt};

    const std::size_t first_invalid = i;
    std::string text;
    text.reserve(bytes.size() + 16);
    text.append(bytes, 0, first_invalid);
    while (i < bytes.size()) {
        const std::size_t n = sequence_length(bytes, i, bad);
        if (n == 0) {
            text.append(REPLACEMENT);
            i += bad;
        } else {
            text.append(bytes, i, n);
            i += n;
        }
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
