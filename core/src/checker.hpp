#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tarnvik/diagnostic.hpp"
#include "tarnvik/document.hpp"
#include "tarnvik/lock.hpp"

namespace tarnvik {

// One string element of an array: its decoded text (borrowed from the document) and its span.
struct StringEntry {
    std::string_view text;
    Span span;
};

// Calls `visit(StringEntry)` for each string element of an array value; other values and
// elements are passed over.
template <class Visit>
void for_each_string(const document::Value* array, Visit&& visit) {
    const document::Array* elements = array ? array->as_array() : nullptr;
    if (!elements) return;
    for (const document::Value& element : *elements) {
        if (const std::string* text = element.as_string()) visit(StringEntry{*text, element.span});
    }
}

// The same over the project's requirement lists, in this order: `project.dependencies`, each
// array of `project.optional-dependencies`, each array of `[dependency-groups]`.
template <class Visit>
void for_each_requirement_string(const document::Table& root, Visit&& visit) {
    const document::Table* project = document::table_of(&root, "project");
    for_each_string(document::value_of(project, "dependencies"), visit);
    for (const document::Table* lists : {document::table_of(project, "optional-dependencies"),
                                         document::table_of(&root, "dependency-groups")}) {
        if (!lists) continue;
        for (const document::Entry& entry : lists->entries)
            for_each_string(&entry.value, visit);
    }
}

// A fix that renames the entry's key to `name` in every place it is written, keeping quotes
// that can hold the new name.
Fix rename_key(std::string_view source, const document::Entry& entry, std::string_view name,
               Applicability applicability);

// What a valid package, extra or dependency group name looks like.
inline constexpr std::string_view NAME_RULES_HELP =
    "names must start and end with a letter or digit and contain only letters, digits, `-`, `_`, and `.`";

// The state every rule pass takes beside the document, and the reports all passes share.
struct Checker {
    std::vector<Diagnostic> diagnostics;
    std::string_view source;
    const lock::Lock* lock = nullptr;

    // One `unknown-key` error per key of `table` that is not in `known_keys`, with a suggestion
    // and an unsafe rename fix when a known key is close. `table_name` is written as it should
    // read in the message, e.g. "`[build-system]`".
    void unknown_keys(const document::Table& table, std::string_view table_name,
                      std::span<const std::string_view> known_keys);

    // "`{key}` must be {expected}, found {kind of value}" at the value.
    void invalid_type(std::string_view key, std::string_view expected,
                      const document::Value& value);

    // A `missing-key` error: the table (written as in `unknown_keys`) lacks a key it must have.
    void missing_key(std::string_view table_name, std::string_view key, Span span,
                     std::string help);

    // The entry of `key` in `parent` when its value is a table; nothing when the key is absent,
    // and an `invalid-type` error naming `path` when the value is not a table.
    const document::Entry* table_entry(const document::Table& parent, std::string_view key,
                                       std::string_view path);

    // An `invalid-value` error; `inner` is a byte range of the string value's decoded text that
    // narrows `span` through `document::string_span`.
    void invalid_value(std::string message, Span span, std::optional<Span> inner = std::nullopt);

    // The string elements of an array value, in order; reports a value that is not an array and
    // every element that is not a string.
    std::vector<StringEntry> string_array(std::string_view key, const document::Value& value);

    // An `invalid-value` error at the fault of a string value that is not a valid requirement.
    void requirement(std::string_view text, Span span);

    // `requirement` for each string of an array value, the value and its elements reported as by
    // `string_array`.
    void requirement_array(std::string_view key, const document::Value& value);

    void push(Diagnostic diagnostic);
};

// How the keys of a table compare: as written, or in the normal form of package, extra and
// dependency group names (`standards::normalized_name`), in which `Dev` and `dev` are one name.
enum class NameForm : std::uint8_t { AsWritten, Normalized };

// The renames and moves of the keys of one table, which must never land two keys on one name.
// They are offered while the table is checked and settled once it is done: first every safe
// offer, then every unsafe one, each in the order offered. An offer whose names are taken, by a
// key of the table other than the one it renames or by an offer settled before it, keeps its
// diagnostic without the fix; the others get their fix. So an unsafe rename, which `--fix` alone
// does not apply, never blocks a safe fix, whatever the run's mode, and the fix hint counts only
// fixes that can be applied. Names compare as written, or normalized for group names, and the two
// names of an option a tool renamed (`same_option`) are one name, so that no rename writes a
// setting the table already has under its other name. Names are borrowed and must outlive the
// settling.
class KeyNames {
  public:
    explicit KeyNames(const document::Table& table, NameForm form = NameForm::AsWritten)
        : table_(table), form_(form) {}

    // From now on `old_name` compares as `new_name`: the tool reads both as one option. Both are
    // in the form the table's names compare in.
    void same_option(std::string_view old_name, std::string_view new_name);

    // Pushes the diagnostic, and offers its fix, which takes the key `name` of the table and, when
    // given, the key `also`.
    void offer(Checker& checker, Diagnostic diagnostic, Fix fix, std::string_view name,
               std::optional<std::string_view> also = std::nullopt);

    // `offer` of the fix that renames the entry's key to `name` (`rename_key`), a fix the entry's
    // own key never blocks; without a name, only pushes the diagnostic.
    void offer_rename(Checker& checker, Diagnostic diagnostic, const document::Entry& entry,
                      std::optional<std::string_view> name, Applicability applicability,
                      std::optional<std::string_view> also = std::nullopt);

    // Gives the fixes to the diagnostics of the offers that get their names. The diagnostics
    // pushed since the first offer must still be where they were pushed.
    void settle(Checker& checker);

  private:
    struct Offer {
        std::size_t diagnostic;  // its position in the checker's list
        Fix fix;
        std::string_view name;
        std::optional<std::string_view> also;
        std::optional<std::string_view> renamed;  // the key the fix renames, which leaves its name
    };

    struct SameOption {
        std::string_view old_name;
        std::string_view new_name;
    };

    std::string compared(std::string_view name) const;

    const document::Table& table_;
    NameForm form_;
    std::vector<SameOption> same_options_;
    std::vector<Offer> offers_;
};

// "unknown key `{key}` in {table_name}" at the key; the caller adds the help (and a fix).
Diagnostic unknown_key(std::string_view key, std::string_view table_name, Span key_span);

// "`{key}` must be {expected}, found {kind of value}" at the value.
Diagnostic wrong_type(std::string_view key, std::string_view expected,
                      const document::Value& value);

// "entries of `{key}` must be {expected}, found {kind of element}" at the element, for an array
// element of the wrong type; `expected` is plural, such as "strings" or "tables".
Diagnostic invalid_entry_type(std::string_view key, std::string_view expected,
                              const document::Value& element);

// "invalid {kind} name `{name}`" for a project, extra or dependency group name that does not
// follow the naming rules.
Diagnostic invalid_name(std::string_view kind, std::string_view name, Span span);

// "`{key}` is set statically and also listed in `project.dynamic`" at the static key; the caller
// adds the label on the `dynamic` entry and its help.
Diagnostic static_and_dynamic(std::string_view key, Span key_span);

// The help that suggests a name: "did you mean `{}`?".
std::string did_you_mean(std::string_view suggestion);

// Names that must stay apart after normalization, such as the extras of a project or its
// dependency groups, each known by the key that first gave its normal form.
class DistinctNames {
  public:
    // `kind` names one in messages ("extra", "dependency group"); `short_kind` is the word for
    // the other one it clashes with ("extra", "group").
    DistinctNames(std::string_view kind, std::string_view short_kind)
        : kind_(kind), short_kind_(short_kind) {}

    // The normal form of the entry's key; nothing, and an error, when the key is not a valid
    // name. A `duplicate-name` error when an earlier key has the same normal form.
    std::optional<std::string> add(Checker& checker, const document::Entry& entry);

    // The key span of the first name with this normal form.
    const Span* find(const std::string& normalized) const;

    // The normal forms, in the order they were first met.
    const std::vector<std::string>& names() const { return names_; }

  private:
    std::string_view kind_;
    std::string_view short_kind_;
    std::unordered_map<std::string, Span> first_key_;
    std::vector<std::string> names_;
};

// The phrase naming a value's TOML type in messages: "a string", "an integer", "a float",
// "a boolean", "a datetime", "an array", "a table".
std::string_view value_kind(document::Kind kind);
std::string_view value_kind(const document::Value& value);

// A misspelt name as `closest_name` compares it: misspellings often differ from the known names
// only in capitals or in `_` for `-`, so ASCII capitals are lowered and `_` made `-`.
std::string normalize_for_suggestion(std::string_view name);

// The candidate to suggest for a misspelt name (Jaro-Winkler at least 0.85, ties to the later
// candidate), borrowed from `candidates`.
std::optional<std::string_view> closest_name(std::string_view name,
                                             std::span<const std::string_view> candidates);
std::optional<std::string_view> closest_name(std::string_view name,
                                             std::span<const std::string> candidates);

// The suggestions of a pass for names that refer to nothing it defines, within a bound on the
// work. Each search compares the name with every name of a set, at a cost that grows with the
// lengths of both; a search that would take the bytes compared past `BYTES` is left out, so that
// thousands of such names among thousands of defined ones cannot make the check run for minutes.
class SuggestionBudget {
  public:
    static constexpr std::size_t BYTES = 10'000'000;

    // `closest_name(name, names)`, or nothing once the search no longer fits in the budget;
    // `names_bytes` is the sum of the sizes of `names`.
    std::optional<std::string_view> suggest(std::string_view name,
                                            std::span<const std::string> names,
                                            std::size_t names_bytes);

  private:
    std::size_t spent_ = 0;
};

// The name in backticks.
std::string backticked(std::string_view name);

// Each name in backticks.
std::vector<std::string> quote_names(std::span<const std::string_view> names);
std::vector<std::string> quote_names(std::span<const std::string> names);

// The names in backticks, joined with ", ".
std::string quoted_list(std::span<const std::string_view> names);
std::string quoted_list(std::span<const std::string> names);

// Whether the character may continue a Python identifier: `_`, or a letter or digit of any
// script.
bool is_identifier_character(char32_t c);

// Whether the text is a dotted path of identifiers, such as `package.module`.
bool is_dotted_identifier(std::string_view text);

// Whether the text is a dotted path, optionally followed by `:` and another, such as
// `package.module:object.attribute`.
bool is_object_reference(std::string_view text);

}  // namespace tarnvik
