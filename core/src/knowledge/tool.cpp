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
    switch (element.tag()) {
        case ValueTag::Boolean:
            return "booleans";
        case ValueTag::Integer:
            return "integers";
        case ValueTag::String:
            return "strings";
        case ValueTag::RuleSelector:
            return "rule selectors";
        case ValueTag::OneOf:
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

Lacking lacking(std::span<const ReleaseRange> ranges, std::span<const Release> releases) {
    Lacking result;
    for (Release release : releases) {
        if (holds(ranges, release)) continue;
        ++result.count;
        if (!result.first) result.first = release;
    }
    return result;
}

bool ValueType::accepts(const document::Value& value) const {
    const stored::Type& type = row();
    switch (type.tag) {
        case ValueTag::Any:
            return true;
        case ValueTag::Boolean:
            return value.as_bool() != nullptr;
        case ValueTag::Integer: {
            const document::Integer* integer = value.as_integer();
            if (integer == nullptr) return false;
            const std::optional<std::int64_t> read = read_integer(*integer);
            return read && (!type.has_minimum || *read >= type.minimum);
        }
        case ValueTag::Number:
            return value.as_integer() != nullptr || value.as_float() != nullptr;
        case ValueTag::String:
        case ValueTag::RuleSelector:
            return value.as_string() != nullptr;
        case ValueTag::OneOf: {
            const std::string* text = value.as_string();
            if (text == nullptr) return false;
            for (const stored::Text& item : type.items.of(family_->type_texts)) {
                if (item.in(family_->text) == *text) return true;
            }
            return false;
        }
        case ValueTag::ArrayOf: {
            const document::Array* array = value.as_array();
            const ValueType element = at(type.items.offset);
            return array != nullptr &&
                   std::all_of(array->begin(), array->end(),
                               [&](const document::Value& item) { return element.accepts(item); });
        }
        case ValueTag::AnyOf: {
            const auto alternatives = type.items.of(family_->alternatives);
            return std::any_of(alternatives.begin(), alternatives.end(),
                               [&](std::uint16_t index) { return at(index).accepts(value); });
        }
    }
    return false;
}

std::string ValueType::describe() const {
    const stored::Type& type = row();
    switch (type.tag) {
        case ValueTag::Any:
            return "any value";
        case ValueTag::Boolean:
            return "a boolean";
        case ValueTag::Integer:
            return type.has_minimum ? "an integer of at least " + std::to_string(type.minimum)
                                    : "an integer";
        case ValueTag::Number:
            return "a number";
        case ValueTag::String:
            return "a string";
        case ValueTag::RuleSelector:
            return "a rule selector";
        case ValueTag::OneOf: {
            const auto texts = type.items.of(family_->type_texts);
            if (texts.size() == 1) return quoted(texts[0].in(family_->text));
            std::string phrase = "one of ";
            for (std::size_t i = 0; i < texts.size(); ++i) {
                if (i > 0) phrase += ", ";
                phrase += quoted(texts[i].in(family_->text));
            }
            return phrase;
        }
        case ValueTag::ArrayOf:
            return "an array of " + element_phrase(at(type.items.offset));
        case ValueTag::AnyOf: {
            const auto alternatives = type.items.of(family_->alternatives);
            std::string phrase;
            for (std::size_t i = 0; i < alternatives.size(); ++i) {
                if (i > 0) phrase += " or ";
                phrase += at(alternatives[i]).describe();
            }
            return phrase;
        }
    }
    return {};
}

std::string_view view_of(const stored::Family& family, const stored::Text& text) {
    return text.in(family.text);
}

ToolOption view_of(const stored::Family& family, const stored::Option& option) {
    return {
        .key = option.key.in(family.text),
        .kind = option.kind,
        .selectors = option.selectors,
        .exists = option.exists.of(family.ranges),
        .deprecated = option.deprecated.of(family.ranges),
        .type_rules = option.type_rules.of(family.type_rules),
        .note = option.has_note ? std::optional(option.note.in(family.text)) : std::nullopt,
        .family = &family,
    };
}

RenamedOption view_of(const stored::Family& family, const stored::Rename& rename) {
    return {.old_key = rename.old_key.in(family.text), .new_name = rename.new_name.in(family.text)};
}

std::optional<std::size_t> ToolOption::rule_in(Release release) const {
    for (std::size_t i = 0; i < type_rules.size(); ++i) {
        if (type_rules[i].first <= release && release <= type_rules[i].last) return i;
    }
    return std::nullopt;
}

std::optional<ValueType> ToolOption::type_in(Release release) const {
    const std::optional<std::size_t> rule = rule_in(release);
    if (!rule) return std::nullopt;
    return rule_type(*rule);
}

std::optional<Release> Tool::release_named(std::string_view text) const {
    for (Release release = 0; release <= newest(); ++release) {
        if (this->release(release) == text) return release;
    }
    return std::nullopt;
}

std::optional<ToolOption> Tool::option(std::string_view key) const {
    const stored::Option* row = stored::find(*family, family->options, key, &stored::Option::key);
    if (row == nullptr) return std::nullopt;
    return view_of(*family, *row);
}

std::optional<std::string_view> Tool::new_name(std::string_view key) const {
    const stored::Rename* row =
        stored::find(*family, family->renames, key, &stored::Rename::old_key);
    if (row == nullptr) return std::nullopt;
    return row->new_name.in(family->text);
}

std::string Tool::upgrade_to(Release release) const {
    constexpr std::string_view PLACEHOLDER = "{version}";
    std::string hint;
    std::string_view rest = upgrade_hint;
    for (std::size_t at = rest.find(PLACEHOLDER); at != std::string_view::npos;
         at = rest.find(PLACEHOLDER)) {
        hint += rest.substr(0, at);
        hint += this->release(release);
        rest.remove_prefix(at + PLACEHOLDER.size());
    }
    hint += rest;
    return hint;
}

Consequence Tool::unknown_key_consequence(std::string_view table_key) const {
    const stored::KeyConsequence* row = stored::find(*family, family->unknown_key_consequences,
                                                     table_key, &stored::KeyConsequence::key);
    return row != nullptr ? row->code : 0;
}

Consequence Tool::invalid_value_consequence(std::string_view option_key) const {
    const stored::KeyConsequence* row = stored::find(*family, family->invalid_value_consequences,
                                                     option_key, &stored::KeyConsequence::key);
    return row != nullptr ? row->code : 0;
}

}  // namespace tarnvik::tool
