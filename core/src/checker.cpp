#include "tarnvik/checker.hpp"

#include <algorithm>

#include "ascii.hpp"
#include "knowledge/unicode.hpp"
#include "tarnvik/fix.hpp"
#include "tarnvik/similarity.hpp"
#include "tarnvik/standards.hpp"
#include "tarnvik/text.hpp"

namespace tarnvik {

namespace {

constexpr double SUGGESTION_THRESHOLD = 0.85;
// Room for rounding between the length limit and the similarity computed.
constexpr double LIMIT_MARGIN = 1e-9;

// Indexed by document::Kind.
constexpr std::string_view KIND_PHRASES[] = {
    "a string", "an integer", "a float", "a boolean", "a datetime", "an array", "a table",
};

// Misspellings often differ from the known names only in capitals or in `_` for `-`.
std::string normalize_for_suggestion(std::string_view name) {
    std::string result(name);
    for (char& c : result)
        c = c == '_' ? '-' : ascii::to_lower(c);
    return result;
}

template <typename Name>
std::optional<std::string_view> closest(std::string_view name, std::span<const Name> candidates) {
    std::string normalized = normalize_for_suggestion(name);
    const std::size_t length = text::scalar_count(normalized);
    std::optional<std::string_view> best;
    double best_similarity = SUGGESTION_THRESHOLD;
    for (std::string_view candidate : candidates) {
        // A name far longer or shorter than a candidate cannot be close to it, and comparing a
        // huge name with every candidate would take seconds.
        double limit = similarity::jaro_winkler_limit(length, text::scalar_count(candidate));
        if (limit + LIMIT_MARGIN < SUGGESTION_THRESHOLD) continue;
        double similarity = similarity::jaro_winkler(normalized, candidate);
        // `>=` so that the later of equally close candidates wins.
        if (similarity >= best_similarity) {
            best = candidate;
            best_similarity = similarity;
        }
    }
    return best;
}

template <typename Name>
std::vector<std::string> quote_all(std::span<const Name> names) {
    std::vector<std::string> result;
    result.reserve(names.size());
    for (std::string_view name : names)
        result.push_back(backticked(name));
    return result;
}

template <typename Name>
std::string join_quoted(std::span<const Name> names) {
    std::string result;
    for (const std::string& quoted : quote_all(names)) {
        if (!result.empty()) result += ", ";
        result += quoted;
    }
    return result;
}

// The known keys that the table holds, looked up once per table: looking up each suggestion
// anew would cost a scan of the table per unknown key.
std::vector<std::string_view> present_keys(const document::Table& table,
                                           std::span<const std::string_view> known_keys) {
    std::vector<std::string_view> present;
    for (std::string_view key : known_keys) {
        if (document::get(table, key)) present.push_back(key);
    }
    return present;
}

bool starts_identifier(char32_t c) {
    return c == U'_' || unicode::is_alphabetic(c);
}

bool is_identifier(std::string_view text) {
    std::vector<char32_t> chars = text::scalars(text);
    return !chars.empty() && starts_identifier(chars.front()) &&
           std::all_of(chars.begin() + 1, chars.end(), is_identifier_character);
}

}  // namespace

std::string_view value_kind(document::Kind kind) {
    return KIND_PHRASES[static_cast<std::size_t>(kind)];
}

std::string_view value_kind(const document::Value& value) {
    return value_kind(value.kind());
}

void Checker::unknown_keys(const document::Table& table, std::string_view table_name,
                           std::span<const std::string_view> known_keys) {
    const std::vector<std::string_view> present = present_keys(table, known_keys);
    for (const document::Entry& entry : table.entries) {
        if (std::find(known_keys.begin(), known_keys.end(), entry.key) != known_keys.end()) {
            continue;
        }
        std::optional<std::string_view> suggestion = closest_name(entry.key, known_keys);
        std::string help = suggestion ? "did you mean `" + std::string(*suggestion) + "`?"
                                      : "expected one of " + quoted_list(known_keys);
        std::string message = "unknown key `" + entry.key + "` in " + std::string(table_name);
        Diagnostic diagnostic =
            Diagnostic::error(std::move(message), entry.key_span, Code::UnknownKey)
                .with_help(std::move(help));
        // Renaming onto a key the table already has would define it twice.
        if (suggestion && std::find(present.begin(), present.end(), *suggestion) == present.end()) {
            Fix fix{{fix::rename(source, entry.key_span.start, entry.key_span.end, entry.key,
                                 *suggestion)},
                    Applicability::Unsafe};
            diagnostic = std::move(diagnostic).with_fix(std::move(fix));
        }
        push(std::move(diagnostic));
    }
}

void Checker::invalid_type(std::string_view key, std::string_view expected,
                           const document::Value& value) {
    std::string message = "`" + std::string(key) + "` must be " + std::string(expected) +
                          ", found " + std::string(value_kind(value));
    push(Diagnostic::error(std::move(message), value.span, Code::InvalidType));
}

const document::Entry* Checker::table_entry(const document::Table& parent, std::string_view key,
                                            std::string_view path) {
    const document::Entry* entry = document::get(parent, key);
    if (entry == nullptr || entry->value.as_table() != nullptr) return entry;
    invalid_type(path, "a table", entry->value);
    return nullptr;
}

void Checker::invalid_value(std::string message, Span span, std::optional<Span> inner) {
    if (inner) span = document::string_span(source, span, inner->start, inner->end);
    push(Diagnostic::error(std::move(message), span, Code::InvalidValue));
}

std::vector<StringEntry> Checker::string_array(std::string_view key, const document::Value& value) {
    const document::Array* array = value.as_array();
    if (!array) {
        invalid_type(key, "an array of strings", value);
        return {};
    }
    std::vector<StringEntry> strings;
    for (const document::Value& element : *array) {
        if (const std::string* text = element.as_string()) {
            strings.push_back({*text, element.span});
            continue;
        }
        std::string message = "entries of `" + std::string(key) + "` must be strings, found " +
                              std::string(value_kind(element));
        push(Diagnostic::error(std::move(message), element.span, Code::InvalidType));
    }
    return strings;
}

void Checker::requirement(std::string_view text, Span span) {
    if (auto error = standards::check_requirement(text)) {
        invalid_value("invalid requirement: " + error->message, span, error->span);
    }
}

void Checker::requirement_array(std::string_view key, const document::Value& value) {
    for (const StringEntry& entry : string_array(key, value))
        requirement(entry.text, entry.span);
}

void Checker::push(Diagnostic diagnostic) {
    diagnostics.push_back(std::move(diagnostic));
}

std::optional<std::string_view> closest_name(std::string_view name,
                                             std::span<const std::string_view> candidates) {
    return closest(name, candidates);
}

std::optional<std::string_view> closest_name(std::string_view name,
                                             std::span<const std::string> candidates) {
    return closest(name, candidates);
}

std::vector<std::string> quote_names(std::span<const std::string_view> names) {
    return quote_all(names);
}

std::vector<std::string> quote_names(std::span<const std::string> names) {
    return quote_all(names);
}

std::string quoted_list(std::span<const std::string_view> names) {
    return join_quoted(names);
}

std::string quoted_list(std::span<const std::string> names) {
    return join_quoted(names);
}

std::string backticked(std::string_view name) {
    return "`" + std::string(name) + "`";
}

bool is_identifier_character(char32_t c) {
    bool ascii_word = c == U'_' || (c < 0x80 && ascii::is_alphanumeric(static_cast<char>(c)));
    return ascii_word || unicode::is_alphabetic(c) || unicode::is_numeric(c);
}

bool is_dotted_identifier(std::string_view text) {
    std::size_t start = 0;
    while (true) {
        std::size_t dot = text.find('.', start);
        if (!is_identifier(text.substr(start, dot - start))) return false;
        if (dot == std::string_view::npos) return true;
        start = dot + 1;
    }
}

bool is_object_reference(std::string_view text) {
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return is_dotted_identifier(text);
    return is_dotted_identifier(text.substr(0, colon)) &&
           is_dotted_identifier(text.substr(colon + 1));
}

}  // namespace tarnvik
