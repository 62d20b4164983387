// The IPv4 and IPv6 host parsers of the WHATWG URL standard, reduced to accepting or refusing.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "ascii.hpp"
#include "url/host.hpp"

namespace tarnvik::url::detail {
namespace {

// Large enough to exceed every IPv4 limit, small enough that one more digit cannot overflow.
constexpr std::uint64_t SATURATED = std::uint64_t{1} << 40;

int digit_value(char c, unsigned radix) {
    const int value = ascii::hex_digit_value(c);
    return value < static_cast<int>(radix) ? value : -1;
}

bool is_hex(char c) {
    return digit_value(c, 16) >= 0;
}

// One dotted part: decimal, octal with a leading "0", or hexadecimal with "0x"; "0x" alone is 0.
std::optional<std::uint64_t> ipv4_number(std::string_view text) {
    if (text.empty()) return std::nullopt;
    unsigned radix = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        radix = 16;
    } else if (text.size() >= 2 && text[0] == '0') {
        text.remove_prefix(1);
        radix = 8;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        int digit = digit_value(c, radix);
        if (digit < 0) return std::nullopt;
        value = std::min(value * radix + static_cast<std::uint64_t>(digit), SATURATED);
    }
    return value;
}

std::vector<std::string_view> split_dots(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        std::size_t dot = text.find('.', start);
        parts.push_back(text.substr(start, dot - start));
        if (dot == std::string_view::npos) return parts;
        start = dot + 1;
    }
}

}  // namespace

bool ends_in_a_number(std::string_view domain) {
    std::vector<std::string_view> parts = split_dots(domain);
    if (parts.back().empty()) {
        if (parts.size() == 1) return false;
        parts.pop_back();
    }
    std::string_view last = parts.back();
    if (!last.empty() && std::all_of(last.begin(), last.end(), ascii::is_digit)) return true;
    return ipv4_number(last).has_value();
}

bool is_ipv4(std::string_view text) {
    std::vector<std::string_view> parts = split_dots(text);
    if (parts.back().empty() && parts.size() > 1) parts.pop_back();
    if (parts.size() > 4) return false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::optional<std::uint64_t> number = ipv4_number(parts[i]);
        if (!number) return false;
        bool last = i + 1 == parts.size();
        // The last part fills the bytes that the earlier parts leave: 256^(5 - parts).
        std::uint64_t limit = last ? std::uint64_t{1} << (8 * (5 - parts.size())) : 256;
        if (*number >= limit) return false;
    }
    return true;
}

bool is_ipv6(std::string_view text) {
    std::size_t pointer = 0;
    auto at = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
    int piece = 0;
    bool compressed = false;
    if (at(0) == ':') {
        if (at(1) != ':') return false;
        pointer = 2;
        ++piece;
        compressed = true;
    }
    while (pointer < text.size()) {
        if (piece == 8) return false;
        if (text[pointer] == ':') {
            if (compressed) return false;
            ++pointer;
            ++piece;
            compressed = true;
            continue;
        }
        std::size_t length = 0;
        while (length < 4 && is_hex(at(pointer)))
            ++pointer, ++length;
        if (at(pointer) == '.') {
            // An embedded IPv4 address fills the last two pieces.
            if (length == 0 || piece > 6) return false;
            pointer -= length;
            int numbers_seen = 0;
            while (pointer < text.size()) {
                if (numbers_seen > 0) {
                    if (text[pointer] != '.' || numbers_seen >= 4) return false;
                    ++pointer;
                }
                if (!ascii::is_digit(at(pointer))) return false;
                int value = -1;
                while (ascii::is_digit(at(pointer))) {
                    if (value == 0) return false;  // no leading zero
                    value = (value < 0 ? 0 : value * 10) + (text[pointer] - '0');
                    if (value > 255) return false;
                    ++pointer;
                }
                ++numbers_seen;
                if (numbers_seen == 2 || numbers_seen == 4) ++piece;
            }
            return numbers_seen == 4 && (compressed || piece == 8);
        }
        if (at(pointer) == ':') {
            ++pointer;
            if (pointer >= text.size()) return false;
        } else if (pointer < text.size()) {
            return false;
        }
        ++piece;
    }
    return compressed || piece == 8;
}

}  // namespace tarnvik::url::detail
