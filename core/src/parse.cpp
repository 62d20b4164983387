#include "tarnvik/parse.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <limits>

#include "ascii.hpp"
#include "toml/builder.hpp"
#include "toml/parser.hpp"

namespace tarnvik::parse {

namespace {

constexpr std::string_view WHITESPACE = " \t\r\n\f\v";

std::string_view trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(WHITESPACE);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(WHITESPACE) - first + 1);
}

// Where the line holding `offset` starts.
std::size_t line_start(std::string_view text, std::size_t offset) {
    if (offset == 0) return 0;
    const std::size_t previous = text.rfind('\n', offset - 1);
    return previous == std::string_view::npos ? 0 : previous + 1;
}

// The line holding `offset`, without its line break, trimmed.
std::string_view line_at(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    const std::size_t start = line_start(text, offset);
    const std::size_t newline = text.find('\n', offset);
    std::string_view line = text.substr(
        start, newline == std::string_view::npos ? std::string_view::npos : newline - start);
    if (newline != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    return trim(line);
}

std::string duplicate_message(std::string_view text, Span span) {
    const std::string_view line = line_at(text, span.start);
    const std::string_view close = line.starts_with("[[") ? "]]" : "]";
    if (line.starts_with('[')) {
        const std::size_t end = line.find(close);
        if (end != std::string_view::npos) {
            return fmt::format("duplicate table `{}`", line.substr(0, end + close.size()));
        }
    }
    const std::size_t start = std::min(span.start, text.size());
    const std::size_t end = std::clamp(span.end, start, text.size());
    return fmt::format("duplicate key `{}`", text.substr(start, end - start));
}

// The message shown for one parser error at `span`: a duplicate key names the key as written,
// or the header when it stands in one.
std::string rewrite_message(std::string_view text, Span span, std::string_view message) {
    if (message == toml::DUPLICATE_KEY) return duplicate_message(text, span);
    return std::string(message);
}

// Answers whether a span overlaps any of a fixed set of spans, in logarithmic time, so that a
// file with many errors and many integers is not checked in quadratic time.
class Overlaps {
  public:
    explicit Overlaps(const std::vector<Diagnostic>& diagnostics) {
        for (const Diagnostic& diagnostic : diagnostics)
            spans_.push_back(diagnostic.span);
        std::sort(spans_.begin(), spans_.end(), [](Span a, Span b) { return a.start < b.start; });
        std::size_t furthest = 0;
        for (Span span : spans_)
            furthest_end_.push_back(furthest = std::max(furthest, span.end));
    }

    bool operator()(Span span) const {
        // The spans starting before `span` ends overlap it when one of them ends after its start.
        const auto before = std::lower_bound(spans_.begin(), spans_.end(), span.end,
                                             [](Span s, std::size_t end) { return s.start < end; });
        const std::size_t count = before - spans_.begin();
        return count > 0 && furthest_end_[count - 1] > span.start;
    }

  private:
    std::vector<Span> spans_;
    std::vector<std::size_t> furthest_end_;
};

// Converts like a signed 64-bit parse of the digits in their radix; the failure, if any.
std::string_view integer_failure(const document::Integer& integer) {
    std::string_view digits = integer.digits;
    if (digits.empty()) return "missing digits in integer";
    const bool negative = digits[0] == '-';
    if (digits[0] == '-' || digits[0] == '+') digits.remove_prefix(1);
    if (digits.empty()) return "invalid digit in integer";
    const auto radix = static_cast<unsigned>(integer.radix);
    const unsigned long long limit =
        static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + (negative ? 1 : 0);
    unsigned long long value = 0;
    bool overflow = false;
    for (char c : digits) {
        const int digit = ascii::hex_digit_value(c);  // radixes go up to 16
        if (digit < 0 || static_cast<unsigned>(digit) >= radix) return "invalid digit in integer";
        const auto d = static_cast<unsigned>(digit);
        if (value > (limit - d) / radix) overflow = true;
        if (!overflow) value = value * radix + d;
    }
    if (overflow) return "integer is out of range for a 64-bit signed integer";
    return {};
}

}  // namespace

namespace {

// Integer literals never overlap one another, so only the diagnostics listed before the walk
// can hide an integer.
void check_integers(const document::Value& value, const Overlaps& overlaps,
                    std::vector<Diagnostic>& diagnostics) {
    if (const document::Table* table = value.as_table()) {
        for (const document::Entry& entry : table->entries) {
            check_integers(entry.value, overlaps, diagnostics);
        }
    } else if (const document::Array* array = value.as_array()) {
        for (const document::Value& element : *array) {
            check_integers(element, overlaps, diagnostics);
        }
    } else if (const document::Integer* integer = value.as_integer()) {
        if (overlaps(value.span)) return;
        const std::string_view failure = integer_failure(*integer);
        if (!failure.empty()) {
            diagnostics.push_back(
                Diagnostic::error(std::string(failure), value.span, Code::InvalidToml));
        }
    }
}

}  // namespace

void check_integers(const document::Value& value, std::vector<Diagnostic>& diagnostics) {
    check_integers(value, Overlaps(diagnostics), diagnostics);
}

std::pair<document::Table, std::vector<Diagnostic>> parse(std::string_view text) {
    toml::DocumentBuilder builder(text, false);
    toml::Parser(text, builder).run();
    std::vector<Diagnostic> diagnostics;
    for (const toml::Error& error : builder.errors()) {
        diagnostics.push_back(Diagnostic::error(rewrite_message(text, error.span, error.message),
                                                error.span, Code::InvalidToml));
    }
    // Only a long integer can be out of range; most documents have none and skip the walk.
    if (builder.may_overflow()) {
        const Overlaps overlaps(diagnostics);
        for (const document::Entry& entry : builder.document().entries) {
            check_integers(entry.value, overlaps, diagnostics);
        }
    }
    sort_by_span(diagnostics);
    return {std::move(builder.document()), std::move(diagnostics)};
}

namespace {

std::variant<document::Table, ParseError> strict(std::string_view text,
                                                 const document::Want* wanted) {
    toml::DocumentBuilder builder(text, true, wanted);
    toml::Parser(text, builder).run();
    if (!builder.errors().empty()) {
        const toml::Error& error = builder.errors().front();
        return ParseError{rewrite_message(text, error.span, error.message), error.span};
    }
    return std::move(builder.document());
}

}  // namespace

std::variant<document::Table, ParseError> parse_strict(std::string_view text) {
    return strict(text, nullptr);
}

std::variant<document::Table, ParseError> parse_strict_wanted(
    std::string_view text, std::span<const document::Want> wanted) {
    const document::Want root{{}, wanted};
    return strict(text, &root);
}

}  // namespace tarnvik::parse
