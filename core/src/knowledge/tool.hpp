#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tarnvik/document.hpp"

// Static descriptors of the outside tools whose `[tool.X]` tables are checked: releases, every
// option with the releases in which it exists, is deprecated and accepts which value shape.
// Releases are indices into the tool's release list, oldest first.
namespace tarnvik::tool {

using Release = std::uint16_t;

// Both ends included.
struct ReleaseRange {
    Release first;
    Release last;
};

// Whether some range holds the release.
bool holds(std::span<const ReleaseRange> ranges, Release release);
// The first range that holds the release, or null.
const ReleaseRange* range_holding(std::span<const ReleaseRange> ranges, Release release);
// For a release outside the ranges: the first release of the first range that starts after it.
std::optional<Release> added_after(std::span<const ReleaseRange> ranges, Release release);
// For a release outside the ranges: one past the last release of the last range that ends
// before it.
std::optional<Release> removed_before(std::span<const ReleaseRange> ranges, Release release);

// The releases of an ascending list that no range holds: how many, and the first of them.
struct Lacking {
    std::size_t count = 0;
    std::optional<Release> first;
};
Lacking lacking(std::span<const ReleaseRange> ranges, std::span<const Release> releases);

enum class ValueTag : std::uint8_t {
    Any,
    Boolean,
    Integer,  // with an optional minimum
    Number,   // an integer or a float
    String,
    OneOf,    // a string equal to one of a list of texts
    ArrayOf,  // an array of one element type
    AnyOf,    // any of a list of types, tried in order
    RuleSelector,
};

enum class OptionKind : std::uint8_t {
    Table,          // a table whose keys are options
    FreeTable,      // a table of user-chosen keys, each value checked against the type rules
    ArrayOfTables,  // an array of tables whose keys are options
    Value,          // a plain setting checked against the type rules
};

// What a tool does with an unknown key or an invalid value: 0 nothing known, 1 the tool's
// note, 2 "{} ignores it" with the tool's name.
using Consequence = std::uint16_t;

// The first rule whose range holds a release decides the value shape there.
struct TypeRule {
    Release first;
    Release last;
    std::uint16_t type;  // index of the shape in its tool's types
};

// How the generated tables are stored. They hold no pointers, only positions: every text is a
// stretch of one text per family and every list a slice of a pool, so nothing is relocated when
// the program loads and no page of a table is touched until a check reads it.
namespace stored {

struct Text {
    std::uint32_t offset;
    std::uint32_t size;

    std::string_view in(std::string_view text) const { return text.substr(offset, size); }
};

struct Slice {
    std::uint16_t offset;
    std::uint16_t size;

    template <typename T>
    std::span<const T> of(std::span<const T> pool) const {
        return pool.subspan(offset, size);
    }
};

// OneOf: `items` are texts of `type_texts`; ArrayOf: `items.offset` is the element type;
// AnyOf: `items` are type indices of `alternatives`.
struct Type {
    ValueTag tag;
    bool has_minimum;
    Slice items;
    std::int64_t minimum;
};

struct Option {
    Text key;
    OptionKind kind;
    bool selectors;
    bool has_note;
    Slice exists;
    Slice deprecated;
    Slice type_rules;
    Text note;
};

struct Rename {
    Text old_key;
    Text new_name;
};

struct KeyConsequence {
    Text key;
    Consequence code;
};

// Every table of one tool's descriptor, sorted as the lookups need.
struct Family {
    std::string_view text{};
    std::span<const Text> releases{};
    std::span<const Option> options{};  // ascending byte order of key
    std::span<const ReleaseRange> ranges{};
    std::span<const TypeRule> type_rules{};
    std::span<const Type> types{};
    std::span<const Text> type_texts{};
    std::span<const std::uint16_t> alternatives{};
    std::span<const Text> required{};
    std::span<const Rename> renames{};                             // ascending byte order
    std::span<const KeyConsequence> unknown_key_consequences{};    // ascending byte order
    std::span<const KeyConsequence> invalid_value_consequences{};  // ascending byte order
};

// In rows sorted by `key` in ascending byte order: the first row whose key is not before `text`.
template <typename Row>
auto first_not_before(const Family& family, std::span<const Row> rows, std::string_view text,
                      Text Row::*key) {
    return std::ranges::lower_bound(rows, text, {},
                                    [&](const Row& row) { return (row.*key).in(family.text); });
}

// In rows sorted by `key` in ascending byte order: the row whose key is `text`, or null.
template <typename Row>
const Row* find(const Family& family, std::span<const Row> rows, std::string_view text,
                Text Row::*key) {
    const auto it = first_not_before(family, rows, text, key);
    return it != rows.end() && ((*it).*key).in(family.text) == text ? &*it : nullptr;
}

}  // namespace stored

// The accepted shape of a value: a view of a shape in a tool's tables.
class ValueType {
  public:
    ValueType(const stored::Family& family, std::uint16_t index)
        : family_(&family), index_(index) {}

    ValueTag tag() const { return row().tag; }
    bool accepts(const document::Value& value) const;
    // An English phrase for the shape, as in "expected {}".
    std::string describe() const;

  private:
    const stored::Type& row() const { return family_->types[index_]; }
    ValueType at(std::uint16_t index) const { return {*family_, index}; }

    const stored::Family* family_;
    std::uint16_t index_;
};

// One setting, as read from a tool's tables.
struct ToolOption {
    std::string_view key;  // dotted, relative to the tool's table
    OptionKind kind;
    bool selectors;  // the values are Ruff rule selectors
    std::span<const ReleaseRange> exists;
    std::span<const ReleaseRange> deprecated;
    std::span<const TypeRule> type_rules;  // empty for Table and ArrayOfTables
    std::optional<std::string_view> note;  // guidance shown with a deprecation
    const stored::Family* family;

    bool exists_in(Release release) const { return holds(exists, release); }
    bool deprecated_in(Release release) const { return holds(deprecated, release); }
    // The position in `type_rules` of the rule that decides the shape in the release; none when
    // no rule covers it.
    std::optional<std::size_t> rule_in(Release release) const;
    // The shape one of its type rules accepts.
    ValueType rule_type(std::size_t rule) const { return {*family, type_rules[rule].type}; }
    // The shape the option accepts in the release; none when no rule covers it.
    std::optional<ValueType> type_in(Release release) const;
};

// The last segment of a dotted key: "select" of "lint.select".
inline std::string_view last_segment(std::string_view key) {
    const std::size_t dot = key.rfind('.');
    return dot == std::string_view::npos ? key : key.substr(dot + 1);
}

// The key of the table holding a dotted key: "lint" of "lint.select", "" of "preview".
inline std::string_view parent_key(std::string_view key) {
    const std::size_t dot = key.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : key.substr(0, dot);
}

// A renamed option: its old dotted key and the new last segment of that key.
struct RenamedOption {
    std::string_view old_key;
    std::string_view new_name;
};

// Stored rows as views.
std::string_view view_of(const stored::Family& family, const stored::Text& text);
ToolOption view_of(const stored::Family& family, const stored::Option& option);
RenamedOption view_of(const stored::Family& family, const stored::Rename& rename);

// A list of stored rows, read as views on access.
template <typename View, typename Row>
class Rows {
  public:
    Rows(const stored::Family& family, std::span<const Row> rows) : family_(&family), rows_(rows) {}

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    View operator[](std::size_t i) const { return view_of(*family_, rows_[i]); }
    View front() const { return (*this)[0]; }
    View back() const { return (*this)[size() - 1]; }

    class iterator {
      public:
        using iterator_category = std::input_iterator_tag;
        using value_type = View;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = View;

        iterator() = default;
        iterator(const Rows* rows, std::size_t i) : rows_(rows), i_(i) {}
        View operator*() const { return (*rows_)[i_]; }
        iterator& operator++() {
            ++i_;
            return *this;
        }
        iterator operator++(int) {
            iterator before = *this;
            ++i_;
            return before;
        }
        bool operator==(const iterator& other) const { return i_ == other.i_; }

      private:
        const Rows* rows_ = nullptr;
        std::size_t i_ = 0;
    };
    iterator begin() const { return {this, 0}; }
    iterator end() const { return {this, size()}; }

  private:
    const stored::Family* family_;
    std::span<const Row> rows_;
};

using Texts = Rows<std::string_view, stored::Text>;
using Options = Rows<ToolOption, stored::Option>;
using Renames = Rows<RenamedOption, stored::Rename>;

// One outside tool: its names and hints, and its tables (which descriptors may share).
struct Tool {
    std::string_view name;                  // "uv", "uv_build", "Ruff", "ty"
    std::string_view table;                 // "tool.uv"
    std::string_view docs;                  // settings documentation link
    std::string_view upgrade_hint;          // holds "{version}"
    std::string_view unknown_version_hint;  //
    std::optional<std::string_view> note;   // the text of consequence 1
    const stored::Family* family;

    // Every known release, oldest first.
    Texts releases() const { return {*family, family->releases}; }
    std::string_view release(Release index) const {
        return view_of(*family, family->releases[index]);
    }
    Release newest() const { return static_cast<Release>(family->releases.size() - 1); }
    // The release written exactly so ("0.4.10"), if the tool has it.
    std::optional<Release> release_named(std::string_view text) const;
    // Every setting ever known, in ascending byte order of key.
    Options options() const { return {*family, family->options}; }
    // Keys that every entry of an array of tables must set ("index.url").
    Texts required() const { return {*family, family->required}; }
    // Every renamed option, in ascending byte order of old key.
    Renames renames() const { return {*family, family->renames}; }

    std::optional<ToolOption> option(std::string_view key) const;
    // The new last key segment of a renamed option.
    std::optional<std::string_view> new_name(std::string_view key) const;
    // The upgrade hint with every "{version}" replaced by the release's text.
    std::string upgrade_to(Release release) const;
    // What the tool does with an unknown key in the table (dotted; "" for the tool's table).
    Consequence unknown_key_consequence(std::string_view table_key) const;
    // What the tool does with an invalid value of the option.
    Consequence invalid_value_consequence(std::string_view option_key) const;
};

}  // namespace tarnvik::tool
