#include "knowledge/tool.hpp"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace tarnvik::tool {

namespace {

// The literal as a signed 64-bit integer: an optional sign, then only digits of the radix.
std::optional<std::int64_t> read_integer(const document::Integer& integer) {
    std::string_view digits = integer.digits;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    // from_chars reads no sign into an unsigned value, so a second sign is refused below.
    const int radix = integer.radix;
    if (digits.empty() || (radix != 2 && radix != 8 && radix != 10 && radix != 16)) {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, magnitude, radix);
    if (error != std::errc{} || stop != end) return std::nullopt;
    constexpr std::uint64_t MAX = std::numeric_limits<std::int64_t>::max();
    if (magnitude > MAX + (negative ? 1 : 0)) return std::nullopt;
    if (!negative) return static_cast<std::int64_t>(magnitude);
    return magnitude == MAX + 1 ? std::numeric_limits<std::int64_t>::min()
                                : -static_cast<std::int64_t>(magnitude);
}

std::string quoted(std::string_view text) {
    std::string out = "`\"";
    out += text;
    out += "\"`";
    return out;
}

// How an element type reads after "an array of".
std::string element_phrase(const ValueType& element) {
    switch (element.tag) {
        case ValueType::Tag::Boolean:
            return "booleans";
        case ValueType::Tag::Integer:
            return "integers";
        case ValueType::Tag::String:
            return "strings";
        case ValueType::Tag::RuleSelector:
            return "rule selectors";
        case ValueType::Tag::OneOf:
            return "strings, each " + element.describe();
        default:
            return "values, each " + element.describe();
    }
}

}  // namespace

bool holds(std::span<const ReleaseRange> ranges, Release release) {
    return range_holding(ranges, release) != nullptr;
}

const ReleaseRange* range_holding(std::span<const ReleaseRange> ranges, Release release) {
    for (const ReleaseRange& range : ranges) {
        if (range.first <= release && release <= range.last) return &range;
    }
    return nullptr;
}

std::optional<Release> added_after(std::span<const ReleaseRange> ranges, Release release) {
    for (const ReleaseRange& range : ranges) {
        if (range.first > release) return range.first;
    }
    return std::nullopt;
}

std::optional<Release> removed_before(std::span<const ReleaseRange> ranges, Release release) {
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        if (it->last < release) return static_cast<Release>(it->last + 1);
    }
    return std::nullopt;
}

bool ValueType::accepts(const document::Value& value) const {
    switch (tag) {
        case Tag::Any:
            return true;
        case Tag::Boolean:
            return value.as_bool() != nullptr;
        case Tag::Integer: {
            const document::Integer* integer = value.as_integer();
            if (integer == nullptr) return false;
            const std::optional<std::int64_t> read = read_integer(*integer);
            return read && (!minimum || *read >= *minimum);
        }
        case Tag::Number:
            return value.as_integer() != nullptr || value.as_float() != nullptr;
        case Tag::String:
        case Tag::RuleSelector:
            return value.as_string() != nullptr;
        case Tag::OneOf: {
            const std::string* text = value.as_string();
            return text != nullptr &&
                   std::find(values.begin(), values.end(), *text) != values.end();
        }
        case Tag::ArrayOf: {
            const document::Array* array = value.as_array();
            return array != nullptr &&
                   std::all_of(array->begin(), array->end(),
                               [&](const document::Value& item) { return element->accepts(item); });
        }
        case Tag::AnyOf:
            return std::any_of(alternatives.begin(), alternatives.end(),
                               [&](const ValueType* type) { return type->accepts(value); });
    }
    return false;
}

std::string ValueType::describe() const {
    switch (tag) {
        case Tag::Any:
            return "any value";
        case Tag::Boolean:
            return "a boolean";
        case Tag::Integer:
            return minimum ? "an integer of at least " + std::to_string(*minimum) : "an integer";
        case Tag::Number:
            return "a number";
        case Tag::String:
            return "a string";
        case Tag::RuleSelector:
            return "a rule selector";
        case Tag::OneOf: {
            if (values.size() == 1) return quoted(values.front());
            std::string phrase = "one of ";
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (i > 0) phrase += ", ";
                phrase += quoted(values[i]);
            }
            return phrase;
        }
        case Tag::ArrayOf:
            return "an array of " + element_phrase(*element);
        case Tag::AnyOf: {
            std::string phrase;
            for (std::size_t i = 0; i < alternatives.size(); ++i) {
                if (i > 0) phrase += " or ";
                phrase += alternatives[i]->describe();
            }
            return phrase;
        }
    }
    return {};
}

const ValueType* ToolOption::type_in(Release release) const {
    for (const TypeRule& rule : type_rules) {
        if (rule.first <= release && release <= rule.last) return rule.type;
    }
    return nullptr;
}

const ToolOption* Tool::option(std::string_view key) const {
    const auto it = std::ranges::lower_bound(options, key, {}, &ToolOption::key);
    return it != options.end() && it->key == key ? &*it : nullptr;
}

std::optional<std::string_view> Tool::new_name(std::string_view key) const {
    const auto it = std::ranges::lower_bound(renames, key, {}, &Rename::old_key);
    if (it == renames.end() || it->old_key != key) return std::nullopt;
    return it->new_name;
}

std::string Tool::upgrade_to(Release release) const {
    constexpr std::string_view PLACEHOLDER = "{version}";
    std::string hint;
    std::string_view rest = upgrade_hint;
    for (std::size_t at = rest.find(PLACEHOLDER); at != std::string_view::npos;
         at = rest.find(PLACEHOLDER)) {
        hint += rest.substr(0, at);
        hint += releases[release];
        rest.remove_prefix(at + PLACEHOLDER.size());
    }
    hint += rest;
    return hint;
}

Consequence consequence(std::span<const KeyConsequence> list, std::string_view key) {
    const auto it = std::ranges::lower_bound(list, key, {}, &KeyConsequence::key);
    return it != list.end() && it->key == key ? it->code : 0;
}

}  // namespace tarnvik::tool
