// Host parsing of the WHATWG URL standard: IPv6 literals, opaque hosts and domains.
#include <idn2.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "ascii.hpp"
#include "url/host.hpp"

namespace tarnvik::url::detail {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view FORBIDDEN_HOST_CODE_POINTS = "\0\t\n\r #/:<>?@[\\]^|"sv;

bool is_forbidden_host_code_point(char c) {
    return FORBIDDEN_HOST_CODE_POINTS.find(c) != std::string_view::npos;
}

bool is_forbidden_domain_code_point(char c) {
    auto byte = static_cast<unsigned char>(c);
    return is_forbidden_host_code_point(c) || byte <= 0x1F || c == '%' || byte == 0x7F;
}

bool has_forbidden_domain_code_point(std::string_view text) {
    return std::any_of(text.begin(), text.end(), is_forbidden_domain_code_point);
}

// "%" followed by two hexadecimal digits becomes that byte; any other "%" stays.
std::string percent_decode(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && ascii::hex_digit_value(text[i + 1]) >= 0 &&
            ascii::hex_digit_value(text[i + 2]) >= 0) {
            bytes.push_back(static_cast<char>(ascii::hex_digit_value(text[i + 1]) * 16 +
                                              ascii::hex_digit_value(text[i + 2])));
            i += 2;
        } else {
            bytes.push_back(text[i]);
        }
    }
    return bytes;
}

bool is_ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool starts_with_ace_prefix(std::string_view label) {
    constexpr std::string_view PREFIX = "xn--";
    return ascii::equal_ignoring_case(label.substr(0, PREFIX.size()), PREFIX);
}

std::optional<std::string> idn2_to_ascii(const std::string& label, int flags) {
    char* output = nullptr;
    int status = idn2_to_ascii_8z(label.c_str(), &output, flags);
    std::unique_ptr<char, decltype(&std::free)> owned(output, &std::free);
    if (status != IDN2_OK || output == nullptr) return std::nullopt;
    return std::string(output);
}

bool has_joiner(std::string_view label) {
    return label.find("\u200c") != std::string_view::npos ||
           label.find("\u200d") != std::string_view::npos;
}

// UTS 46 processing of one label through libidn2; nothing when it refuses the label.
// Nontransitional processing alone also applies IDNA2008's stricter validity and refuses
// symbols that UTS 46 allows (`☃.net`). Transitional processing judges validity by UTS 46; it
// differs from nontransitional only by mapping the deviation characters, of which only the
// joiners can make a label invalid, so a label without joiners may use its answer.
std::optional<std::string> label_to_ascii(const std::string& label) {
    if (auto ascii = idn2_to_ascii(label, IDN2_NONTRANSITIONAL)) return ascii;
    if (has_joiner(label)) return std::nullopt;
    return idn2_to_ascii(label, IDN2_TRANSITIONAL);
}

// Domain to ASCII, label by label, so that plain ASCII labels are only lowered: the standard
// does not check hyphens or DNS lengths for them.
std::optional<std::string> domain_to_ascii(std::string_view domain) {
    std::string ascii;
    for (std::size_t start = 0;;) {
        std::size_t dot = domain.find('.', start);
        std::string label(domain.substr(start, dot - start));
        if (is_ascii(label) && !starts_with_ace_prefix(label)) {
            std::transform(label.begin(), label.end(), label.begin(), ascii::to_lower);
            ascii += label;
        } else if (std::optional<std::string> converted = label_to_ascii(label)) {
            ascii += *converted;
        } else {
            return std::nullopt;
        }
        if (dot == std::string_view::npos) return ascii;
        ascii += '.';
        start = dot + 1;
    }
}

Refusal check_domain(std::string_view host) {
    std::string domain = percent_decode(host);
    if (has_forbidden_domain_code_point(domain)) return reason::INVALID_DOMAIN_CHAR;
    std::optional<std::string> ascii = domain_to_ascii(domain);
    if (!ascii) return reason::INVALID_IDN;
    if (ascii->empty()) return reason::EMPTY_HOST;
    if (has_forbidden_domain_code_point(*ascii)) return reason::INVALID_DOMAIN_CHAR;
    if (ends_in_a_number(*ascii) && !is_ipv4(*ascii)) return reason::INVALID_IPV4;
    return std::nullopt;
}

}  // namespace

Refusal check_host(std::string_view host, bool opaque) {
    if (host.front() == '[') {
        bool closed = host.size() >= 2 && host.back() == ']';
        if (closed && is_ipv6(host.substr(1, host.size() - 2))) return std::nullopt;
        return reason::INVALID_IPV6;
    }
    if (opaque) {
        bool forbidden = std::any_of(host.begin(), host.end(), is_forbidden_host_code_point);
        return forbidden ? Refusal(reason::INVALID_DOMAIN_CHAR) : std::nullopt;
    }
    return check_domain(host);
}

}  // namespace tarnvik::url::detail
