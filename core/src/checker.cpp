#include "checker.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <unordered_map>

#include "ascii.hpp"
#include "knowledge/unicode.hpp"
#include "similarity.hpp"
#include "tarnvik/edit.hpp"
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

bool is_bare_key(std::string_view text) {
    return !text.empty() && std::ranges::all_of(text, [](char c) {
        return ascii::is_alphanumeric(c) || c == '-' || c == '_';
    });
}

// What replaces a key written as `written` when it is renamed to `name`: a string of the kind
// it is written in, or a bare key when it is bare and the name can be one.
std::string renamed_key(std::string_view written, std::string_view name) {
    const bool bare = !written.starts_with('"') && !written.starts_with('\'');
    return bare && is_bare_key(name) ? std::string(name) : edit::toml_string(name, written);
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

Fix rename_key(std::string_view source, const document::Entry& entry, std::string_view name,
               Applicability applicability) {
    Fix fix{{}, applicability};
    document::for_each_key_span(entry, [&](Span span) {
        fix.edits.push_back(Edit{renamed_key(source.substr(span.start, span.size()), name), span});
    });
    return fix;
}

void KeyNames::same_option(std::string_view old_name, std::string_view new_name) {
    same_options_.push_back(SameOption{old_name, new_name});
}

void KeyNames::offer(Checker& checker, Diagnostic diagnostic, Fix fix, std::string_view name,
                     std::optional<std::string_view> also) {
    offers_.push_back(Offer{checker.diagnostics.size(), std::move(fix), name, also, std::nullopt});
    checker.push(std::move(diagnostic));
}

void KeyNames::offer_rename(Checker& checker, Diagnostic diagnostic, const document::Entry& entry,
                            std::optional<std::string_view> name, Applicability applicability,
                            std::optional<std::string_view> also) {
    if (!name) return checker.push(std::move(diagnostic));
    offer(checker, std::move(diagnostic), rename_key(checker.source, entry, *name, applicability),
          *name, also);
    offers_.back().renamed = entry.key;
}

std::string KeyNames::compared(std::string_view name) const {
    // A name that is not valid is no normal form of a valid one: it stays as written.
    std::string form = form_ == NameForm::AsWritten
                           ? std::string(name)
                           : standards::normalized_name(name).value_or(std::string(name));
    for (const SameOption& same : same_options_) {
        if (form == same.old_name) return std::string(same.new_name);
    }
    return form;
}

void KeyNames::settle(Checker& checker) {
    if (offers_.empty()) return;
    // How many keys of the table, and offers settled so far, hold each name.
    std::unordered_map<std::string, std::size_t> holders(table_.entries.size() + offers_.size());
    for (const document::Entry& entry : table_.entries)
        ++holders[compared(entry.key)];
    const auto settle_all = [&](Applicability applicability) {
        for (Offer& offer : offers_) {
            if (offer.fix.applicability != applicability) continue;
            // The key a rename takes away does not keep the name from it: a deprecated name
            // renamed to the new name of its own option.
            const std::optional<std::string> own =
                offer.renamed ? std::optional(compared(*offer.renamed)) : std::nullopt;
            const auto taken = [&](const std::string& name) {
                const auto found = holders.find(name);
                const std::size_t held = found == holders.end() ? 0 : found->second;
                return held > (own == name ? 1U : 0U);
            };
            const std::string name = compared(offer.name);
            const std::optional<std::string> also =
                offer.also ? std::optional(compared(*offer.also)) : std::nullopt;
            if (taken(name) || (also && taken(*also))) continue;
            ++holders[name];
            if (also) ++holders[*also];
            checker.diagnostics[offer.diagnostic].fix = std::move(offer.fix);
        }
    };
    settle_all(Applicability::Safe);
    settle_all(Applicability::Unsafe);
    offers_.clear();
}

void Checker::unknown_keys(const document::Table& table, std::string_view table_name,
                           std::span<const std::string_view> known_keys) {
    KeyNames names(table);
    for (const document::Entry& entry : table.entries) {
        if (std::find(known_keys.begin(), known_keys.end(), entry.key) != known_keys.end()) {
            continue;
        }
        std::optional<std::string_view> suggestion = closest_name(entry.key, known_keys);
        std::string help = suggestion ? did_you_mean(*suggestion)
                                      : fmt::format("expected one of {}", quoted_list(known_keys));
        Diagnostic diagnostic =
            unknown_key(entry.key, table_name, entry.key_span).with_help(std::move(help));
        names.offer_rename(*this, std::move(diagnostic), entry, suggestion, Applicability::Unsafe);
    }
    names.settle(*this);
}

void Checker::invalid_type(std::string_view key, std::string_view expected,
                           const document::Value& value) {
    push(wrong_type(key, expected, value));
}

void Checker::missing_key(std::string_view table_name, std::string_view key, Span span,
                          std::string help) {
    push(Diagnostic::error(fmt::format("{} is missing the required key `{}`", table_name, key),
                           span, Code::MissingKey)
             .with_help(std::move(help)));
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
        push(invalid_entry_type(key, "strings", element));
    }
    return strings;
}

void Checker::requirement(std::string_view text, Span span) {
    if (auto error = standards::check_requirement(text)) {
        invalid_value(fmt::format("invalid requirement: {}", error->message), span, error->span);
    }
}

void Checker::requirement_array(std::string_view key, const document::Value& value) {
    for (const StringEntry& entry : string_array(key, value))
        requirement(entry.text, entry.span);
}

void Checker::push(Diagnostic diagnostic) {
    diagnostics.push_back(std::move(diagnostic));
}

Diagnostic unknown_key(std::string_view key, std::string_view table_name, Span key_span) {
    return Diagnostic::error(fmt::format("unknown key `{}` in {}", key, table_name), key_span,
                             Code::UnknownKey);
}

Diagnostic wrong_type(std::string_view key, std::string_view expected,
                      const document::Value& value) {
    return Diagnostic::error(
        fmt::format("`{}` must be {}, found {}", key, expected, value_kind(value)), value.span,
        Code::InvalidType);
}

Diagnostic invalid_entry_type(std::string_view key, std::string_view expected,
                              const document::Value& element) {
    return Diagnostic::error(
        fmt::format("entries of `{}` must be {}, found {}", key, expected, value_kind(element)),
        element.span, Code::InvalidType);
}

Diagnostic invalid_name(std::string_view kind, std::string_view name, Span span) {
    return Diagnostic::error(fmt::format("invalid {} name `{}`", kind, name), span,
                             Code::InvalidValue);
}

Diagnostic static_and_dynamic(std::string_view key, Span key_span) {
    return Diagnostic::error(
        fmt::format("`{}` is set statically and also listed in `project.dynamic`", key), key_span,
        Code::InvalidDynamic);
}

std::string did_you_mean(std::string_view suggestion) {
    return fmt::format("did you mean `{}`?", suggestion);
}

std::optional<std::string> DistinctNames::add(Checker& checker, const document::Entry& entry) {
    std::optional<std::string> name = standards::normalized_name(entry.key);
    if (!name) {
        checker.push(
            invalid_name(kind_, entry.key, entry.key_span).with_help(std::string(NAME_RULES_HELP)));
        return std::nullopt;
    }
    auto [first, inserted] = first_key_.try_emplace(*name, entry.key_span);
    if (inserted) {
        names_.push_back(*name);
        return name;
    }
    checker.push(
        Diagnostic::error(fmt::format("{} `{}` is the same as another {} after normalization",
                                      kind_, entry.key, short_kind_),
                          entry.key_span, Code::DuplicateName)
            .with_label(first->second.start, first->second.end, "first defined here")
            .with_help(
                fmt::format("{} names are compared in normalized form, `{}`", short_kind_, *name)));
    return name;
}

const Span* DistinctNames::find(const std::string& normalized) const {
    auto it = first_key_.find(normalized);
    return it == first_key_.end() ? nullptr : &it->second;
}

std::string normalize_for_suggestion(std::string_view name) {
    std::string result(name);
    for (char& c : result)
        c = c == '_' ? '-' : ascii::to_lower(c);
    return result;
}

std::optional<std::string_view> closest_name(std::string_view name,
                                             std::span<const std::string_view> candidates) {
    return closest(name, candidates);
}

std::optional<std::string_view> closest_name(std::string_view name,
                                             std::span<const std::string> candidates) {
    return closest(name, candidates);
}

std::optional<std::string_view> SuggestionBudget::suggest(std::string_view name,
                                                          std::span<const std::string> names,
                                                          std::size_t names_bytes) {
    const std::size_t cost = names_bytes + name.size() * names.size();
    if (cost > BYTES - spent_) return std::nullopt;
    spent_ += cost;
    return closest_name(name, names);
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
    return fmt::format("`{}`", name);
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
