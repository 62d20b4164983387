#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tarnvik/document.hpp"

// Static descriptors of the outside tools whose `[tool.X]` tables are checked: releases, every
// option with the releases in which it exists, is deprecated and accepts which value shape.
// Every instance is constexpr data (constant-initialized); releases are indices into the tool's
// release list, oldest first.
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

// The accepted shape of a value. One struct for every tag; a tag reads only its own payload.
struct ValueType {
    enum class Tag : std::uint8_t {
        Any,
        Boolean,
        Integer,
        Number,
        String,
        OneOf,
        ArrayOf,
        AnyOf,
        RuleSelector,
    };

    Tag tag = Tag::Any;
    std::optional<std::int64_t> minimum{};             // Integer
    std::span<const std::string_view> values{};        // OneOf, ascending byte order
    const ValueType* element = nullptr;                // ArrayOf
    std::span<const ValueType* const> alternatives{};  // AnyOf, tried in order

    bool accepts(const document::Value& value) const;
    // An English phrase for the shape, as in "expected {}".
    std::string describe() const;
};

// The first rule whose range holds a release decides the shape there.
struct TypeRule {
    Release first;
    Release last;
    const ValueType* type;
};

enum class OptionKind : std::uint8_t {
    Table,          // a table whose keys are options
    FreeTable,      // a table of user-chosen keys, each value checked against the type rules
    ArrayOfTables,  // an array of tables whose keys are options
    Value,          // a plain setting checked against the type rules
};

struct ToolOption {
    std::string_view key;  // dotted, relative to the tool's table
    OptionKind kind;
    bool selectors;  // the values are Ruff rule selectors
    std::span<const ReleaseRange> exists;
    std::span<const ReleaseRange> deprecated;
    std::span<const TypeRule> type_rules;  // empty for Table and ArrayOfTables
    std::optional<std::string_view> note;  // guidance shown with a deprecation

    bool exists_in(Release release) const { return holds(exists, release); }
    bool deprecated_in(Release release) const { return holds(deprecated, release); }
    // The shape the option accepts in the release, or null when no rule covers it.
    const ValueType* type_in(Release release) const;
};

// What a tool does with an unknown key or an invalid value: 0 nothing known, 1 the tool's
// note, 2 "{} ignores it" with the tool's name.
using Consequence = std::uint16_t;

struct KeyConsequence {
    std::string_view key;
    Consequence code;
};

struct Rename {
    std::string_view old_key;   // full dotted key
    std::string_view new_name;  // replaces the old key's last segment
};

struct Tool {
    std::string_view name;          // "uv", "uv_build", "Ruff", "ty"
    std::string_view table;         // "tool.uv"
    std::string_view docs;          // settings documentation link
    std::string_view upgrade_hint;  // holds "{version}"
    std::string_view unknown_version_hint;
    std::span<const std::string_view> releases;  // oldest first
    std::span<const ToolOption> options;         // ascending byte order of key
    std::span<const std::string_view> required;  // keys every entry of an array of tables sets
    std::span<const Rename> renames;             // ascending byte order of old key
    std::span<const KeyConsequence> unknown_key_consequences;
    std::span<const KeyConsequence> invalid_value_consequences;
    std::optional<std::string_view> note;  // the text of consequence 1

    const ToolOption* option(std::string_view key) const;
    std::optional<std::string_view> new_name(std::string_view key) const;
    // The upgrade hint with every "{version}" replaced by the release's text.
    std::string upgrade_to(Release release) const;

    std::string_view release(Release index) const { return releases[index]; }
    Release newest() const { return static_cast<Release>(releases.size() - 1); }
};

// The code of the row whose key equals `key`, or 0.
Consequence consequence(std::span<const KeyConsequence> list, std::string_view key);

}  // namespace tarnvik::tool
