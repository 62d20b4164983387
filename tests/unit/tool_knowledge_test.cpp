#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "knowledge/ruff.hpp"
#include "knowledge/tool.hpp"
#include "knowledge/ty.hpp"
#include "knowledge/uv.hpp"
#include "tarnvik/parse.hpp"

namespace tarnvik::tool {
namespace {

Release release_of(const Tool& tool, std::string_view text) {
    for (Release i = 0; i <= tool.newest(); ++i) {
        if (tool.release(i) == text) return i;
    }
    ADD_FAILURE() << "no release " << text;
    return 0;
}

// The value of `v = <literal>`, as the parser keeps it (out-of-range integers included).
document::Value value_of(std::string_view literal) {
    auto [table, diagnostics] = parse::parse("v = " + std::string(literal));
    EXPECT_EQ(table.entries.size(), 1u) << literal;
    return table.entries.at(0).value;
}

document::Value integer(std::string digits, int radix) {
    return document::Value{document::Integer{std::move(digits), radix}, {}};
}

// Shapes of a small family of their own, for the cases the real tables lack. The rows of
// SHAPE_ROWS follow this order.
enum Shape : std::uint16_t {
    ANY,
    BOOLEAN,
    INTEGER,
    AT_LEAST_1,
    AT_LEAST_100,
    NUMBER,
    STRING,
    SELECTOR,
    ALL,
    A_OR_B,
    FULL,
    STRINGS,
    ANYS,
    STRING_OR_STRINGS,
    NOTHING,
    BOOLEANS,
    INTEGERS,
    SELECTORS,
    NUMBERS,
    CHOICES,
    NESTED,
    OF_ALTERNATIVES,
};
constexpr stored::Type SHAPE_ROWS[] = {
    {ValueTag::Any, false, {}, 0},
    {ValueTag::Boolean, false, {}, 0},
    {ValueTag::Integer, false, {}, 0},
    {ValueTag::Integer, true, {}, 1},
    {ValueTag::Integer, true, {}, 100},
    {ValueTag::Number, false, {}, 0},
    {ValueTag::String, false, {}, 0},
    {ValueTag::RuleSelector, false, {}, 0},
    {ValueTag::OneOf, false, {0, 1}, 0},  // "all"
    {ValueTag::OneOf, false, {1, 2}, 0},  // "a", "b"
    {ValueTag::OneOf, false, {3, 1}, 0},  // "full"
    {ValueTag::ArrayOf, false, {STRING, 0}, 0},
    {ValueTag::ArrayOf, false, {ANY, 0}, 0},
    {ValueTag::AnyOf, false, {0, 2}, 0},  // STRING, STRINGS
    {ValueTag::AnyOf, false, {}, 0},
    {ValueTag::ArrayOf, false, {BOOLEAN, 0}, 0},
    {ValueTag::ArrayOf, false, {AT_LEAST_100, 0}, 0},
    {ValueTag::ArrayOf, false, {SELECTOR, 0}, 0},
    {ValueTag::ArrayOf, false, {NUMBER, 0}, 0},
    {ValueTag::ArrayOf, false, {A_OR_B, 0}, 0},
    {ValueTag::ArrayOf, false, {ANYS, 0}, 0},
    {ValueTag::ArrayOf, false, {STRING_OR_STRINGS, 0}, 0},
};
constexpr stored::Text SHAPE_TEXTS[] = {{0, 3}, {3, 1}, {4, 1}, {5, 4}};
constexpr std::uint16_t SHAPE_ALTERNATIVES[] = {STRING, STRINGS};
constexpr stored::Family SHAPES{.text = "allabfull",
                                .types = SHAPE_ROWS,
                                .type_texts = SHAPE_TEXTS,
                                .alternatives = SHAPE_ALTERNATIVES};

ValueType shape(Shape index) {
    return {SHAPES, index};
}

TEST(ValueTypeAccepts, JudgesDocumentValuesByShape) {
    struct Case {
        Shape type;
        std::string_view literal;
        bool accepted;
    };
    const Case cases[] = {
        {ANY, "{ a = 1 }", true},
        {BOOLEAN, "true", true},
        {BOOLEAN, "\"true\"", false},
        {AT_LEAST_1, "0", false},
        {AT_LEAST_1, "-1", false},
        {AT_LEAST_1, "1.0", false},
        {AT_LEAST_1, "99999999999999999999", false},
        {AT_LEAST_1, "+5", true},
        {AT_LEAST_1, "\"5\"", false},
        {AT_LEAST_100, "0x64", true},
        {AT_LEAST_100, "0o143", false},
        {INTEGER, "-9223372036854775808", true},
        {INTEGER, "9223372036854775807", true},
        {INTEGER, "9223372036854775808", false},
        {INTEGER, "0x7FFFFFFFFFFFFFFF", true},
        {INTEGER, "0x8000000000000000", false},
        {NUMBER, "1", true},
        {NUMBER, "1.5", true},
        {NUMBER, "inf", true},
        {NUMBER, "\"1\"", false},
        {STRING, "'x'", true},
        {STRING, "1", false},
        {SELECTOR, "\"E501\"", true},
        {SELECTOR, "501", false},
        {FULL, "\"full\"", true},
        {FULL, "\"Full\"", false},
        {FULL, "[\"full\"]", false},
        {STRINGS, "[]", true},
        {STRINGS, "[\"a\", \"b\"]", true},
        {STRINGS, "[\"a\", 1, \"b\"]", false},
        {STRINGS, "\"a\"", false},
        {STRING_OR_STRINGS, "\"a\"", true},
        {STRING_OR_STRINGS, "[\"a\"]", true},
        {STRING_OR_STRINGS, "[1]", false},
        {NOTHING, "\"a\"", false},
        {NOTHING, "[]", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shape(c.type).accepts(value_of(c.literal)), c.accepted) << c.literal;
    }
}

TEST(ValueTypeAccepts, ReadsIntegerLiteralsByTheirRadix) {
    struct Case {
        std::string digits;
        int radix;
        bool accepted;
    };
    const Case cases[] = {
        {"ff", 16, true},
        {"FF", 16, true},
        {"101", 2, true},
        {"2", 2, false},
        {"8", 8, false},
        {"12a", 10, false},
        {"+7", 10, true},
        {"-7", 10, true},
        {"+-7", 10, false},
        {"--7", 10, false},
        {"-+7", 10, false},
        {"", 10, false},
        {"-", 10, false},
        {"+", 10, false},
        {" 7", 10, false},
        {"7 ", 10, false},
        {"0x10", 16, false},
        {"1_0", 10, false},
        {"10", 36, false},
        {"10", 0, false},
        {"-8000000000000000", 16, true},
        {"-8000000000000001", 16, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shape(INTEGER).accepts(integer(c.digits, c.radix)), c.accepted)
            << c.digits << " radix " << c.radix;
    }
    EXPECT_FALSE(shape(AT_LEAST_100).accepts(integer("63", 16)));
    EXPECT_TRUE(shape(AT_LEAST_100).accepts(integer("64", 16)));
}

TEST(ValueTypeDescribe, NamesEveryShape) {
    struct Case {
        Shape type;
        std::string_view phrase;
    };
    const Case cases[] = {
        {ANY, "any value"},
        {BOOLEAN, "a boolean"},
        {INTEGER, "an integer"},
        {AT_LEAST_100, "an integer of at least 100"},
        {NUMBER, "a number"},
        {STRING, "a string"},
        {SELECTOR, "a rule selector"},
        {ALL, "`\"all\"`"},
        {A_OR_B, "one of `\"a\"`, `\"b\"`"},
        {STRING_OR_STRINGS, "a string or an array of strings"},
        {NOTHING, ""},
        {BOOLEANS, "an array of booleans"},
        {INTEGERS, "an array of integers"},
        {STRINGS, "an array of strings"},
        {SELECTORS, "an array of rule selectors"},
        {CHOICES, "an array of strings, each one of `\"a\"`, `\"b\"`"},
        {ANYS, "an array of values, each any value"},
        {NUMBERS, "an array of values, each a number"},
        {NESTED, "an array of values, each an array of values, each any value"},
        {OF_ALTERNATIVES, "an array of values, each a string or an array of strings"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shape(c.type).describe(), c.phrase);
}

TEST(ReleaseRanges, AnswerMembershipAndTheNeighbouringRanges) {
    constexpr ReleaseRange RANGES[] = {{2, 4}, {8, 9}};
    EXPECT_FALSE(holds(RANGES, 1));
    EXPECT_TRUE(holds(RANGES, 2));
    EXPECT_TRUE(holds(RANGES, 4));
    EXPECT_FALSE(holds(RANGES, 5));
    EXPECT_EQ(range_holding(RANGES, 9), &RANGES[1]);
    EXPECT_EQ(range_holding(RANGES, 10), nullptr);
    EXPECT_FALSE(holds({}, 0));
    EXPECT_EQ(added_after(RANGES, 0), Release{2});
    EXPECT_EQ(added_after(RANGES, 6), Release{8});
    EXPECT_EQ(added_after(RANGES, 10), std::nullopt);
    EXPECT_EQ(removed_before(RANGES, 0), std::nullopt);
    EXPECT_EQ(removed_before(RANGES, 6), Release{5});
    EXPECT_EQ(removed_before(RANGES, 12), Release{10});
}

TEST(Descriptors, HoldTheStatedFields) {
    struct Case {
        const Tool* tool;
        std::string_view name, table, docs;
        std::size_t releases;
        std::string_view first, last;
        std::size_t options, renames;
        bool note;
    };
    const Case cases[] = {
        {&uv::UV, "uv", "tool.uv", "https://docs.astral.sh/uv/reference/settings/", 282, "0.1.34",
         "0.12.18", 192, 2, true},
        {&uv::UV_BUILD, "uv_build", "tool.uv", "https://docs.astral.sh/uv/concepts/build-backend/",
         282, "0.1.34", "0.12.18", 192, 2, false},
        {&ruff::RUFF, "Ruff", "tool.ruff", "https://docs.astral.sh/ruff/settings/", 158, "0.1.0",
         "0.16.9", 378, 0, false},
        {&ty::TY, "ty", "tool.ty", "https://docs.astral.sh/ty/reference/configuration/", 83,
         "0.0.2", "0.0.84", 35, 2, false},
    };
    for (const Case& c : cases) {
        const Tool& tool = *c.tool;
        EXPECT_EQ(tool.name, c.name);
        EXPECT_EQ(tool.table, c.table);
        EXPECT_EQ(tool.docs, c.docs);
        EXPECT_EQ(tool.releases().size(), c.releases);
        EXPECT_EQ(tool.release(0), c.first);
        EXPECT_EQ(tool.release(tool.newest()), c.last);
        EXPECT_EQ(tool.options().size(), c.options);
        EXPECT_EQ(tool.family->renames.size(), c.renames);
        EXPECT_EQ(tool.note.has_value(), c.note) << c.name;
    }
    EXPECT_EQ(uv::UV.family, uv::UV_BUILD.family);
    const std::vector<std::string_view> required(uv::UV.required().begin(),
                                                 uv::UV.required().end());
    EXPECT_EQ(required, (std::vector<std::string_view>{"dependency-metadata.name", "index.url",
                                                       "pip.dependency-metadata.name"}));
    EXPECT_EQ(uv::UV.family->unknown_key_consequences.size(), 7u);
    EXPECT_EQ(uv::UV.family->invalid_value_consequences.size(), 137u);
    EXPECT_EQ(uv::UV_BUILD.upgrade_to(release_of(uv::UV_BUILD, "0.7.20")),
              "require `uv_build>=0.7.20` in `[build-system]`");
    EXPECT_EQ(ty::TY.upgrade_to(release_of(ty::TY, "0.0.64")), "require `ty>=0.0.64`");
}

TEST(Descriptors, CountEveryKindAndTheSelectorOptions) {
    std::size_t kinds[4] = {};
    std::size_t selectors = 0;
    for (const Tool* tool : {&uv::UV, &ruff::RUFF, &ty::TY}) {
        for (const ToolOption option : tool->options()) {
            ++kinds[static_cast<int>(option.kind)];
            if (option.selectors) ++selectors;
            EXPECT_EQ(option.type_rules.empty(),
                      option.kind == OptionKind::Table || option.kind == OptionKind::ArrayOfTables)
                << option.key;
        }
    }
    EXPECT_EQ(kinds[static_cast<int>(OptionKind::Table)], 67u);
    EXPECT_EQ(kinds[static_cast<int>(OptionKind::FreeTable)], 36u);
    EXPECT_EQ(kinds[static_cast<int>(OptionKind::ArrayOfTables)], 4u);
    EXPECT_EQ(kinds[static_cast<int>(OptionKind::Value)], 498u);
    EXPECT_EQ(selectors, 24u);
    EXPECT_TRUE(ruff::RUFF.option("lint.per-file-ignores")->selectors);
    EXPECT_EQ(ty::TY.option("overrides")->kind, OptionKind::ArrayOfTables);
    EXPECT_EQ(uv::UV.option("sources")->kind, OptionKind::FreeTable);
}

TEST(ToolOption, FindsExactKeysOnly) {
    const std::optional<ToolOption> lint = ruff::RUFF.option("lint");
    ASSERT_TRUE(lint);
    EXPECT_EQ(lint->key, "lint");
    EXPECT_EQ(lint->kind, OptionKind::Table);
    for (std::string_view key : {"lint.", "", "lin", "Lint", "lint.select ", "zzz"}) {
        EXPECT_FALSE(ruff::RUFF.option(key)) << key;
    }
    for (const Tool* tool : {&uv::UV, &ruff::RUFF, &ty::TY}) {
        EXPECT_EQ(tool->option(tool->options().front().key)->key, tool->options().front().key);
        EXPECT_EQ(tool->option(tool->options().back().key)->key, tool->options().back().key);
    }
}

TEST(ToolUpgradeTo, ReplacesEveryPlaceholder) {
    EXPECT_EQ(uv::UV.upgrade_to(release_of(uv::UV, "0.5.0")),
              "set `required-version = \">=0.5.0\"`");
    Tool tool = ruff::RUFF;  // the same tables with other hints
    tool.upgrade_hint = "upgrade Ruff";
    EXPECT_EQ(tool.upgrade_to(3), "upgrade Ruff");
    tool.upgrade_hint = "{version}, not {versio}, but {version}";
    EXPECT_EQ(tool.upgrade_to(0), "0.1.0, not {versio}, but 0.1.0");
}

TEST(ToolNewName, FollowsTheRenames) {
    EXPECT_EQ(uv::UV.new_name("dependency-metadata.provides-extras"), "provides-extra");
    EXPECT_EQ(uv::UV.new_name("pip.dependency-metadata.provides-extras"), "provides-extra");
    EXPECT_EQ(ty::TY.new_name("overrides.analysis.strict-literal-narrowing"),
              "strict-equality-semantics");
    for (std::string_view key : {"provides-extras", "dependency-metadata", "index-url", ""}) {
        EXPECT_EQ(uv::UV.new_name(key), std::nullopt) << key;
    }
    EXPECT_EQ(ruff::RUFF.new_name("lint.extend-ignore"), std::nullopt);
}

TEST(ToolConsequence, LooksUpBothLists) {
    struct Case {
        const Tool* tool;
        bool unknown_key;  // else an invalid value
        std::string_view key;
        Consequence code;
    };
    const Case cases[] = {
        {&uv::UV, true, "", 1},
        {&uv::UV, true, "index", 2},
        {&uv::UV, true, "sources", 0},
        {&uv::UV, true, "pip.dependency-metadata", 1},
        {&uv::UV_BUILD, true, "build-backend", 2},
        {&uv::UV, false, "audit", 2},
        {&uv::UV, false, "pip.config-settings", 2},
        {&uv::UV, false, "allow-insecure-host", 1},
        {&uv::UV, false, "build-backend.source-include", 0},
        {&uv::UV, false, "index.url", 0},
        {&uv::UV, false, "pip.offline", 0},
        {&uv::UV, false, "", 0},
        {&ruff::RUFF, true, "", 0},
        {&ty::TY, false, "rules", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.unknown_key ? c.tool->unknown_key_consequence(c.key)
                                : c.tool->invalid_value_consequence(c.key),
                  c.code)
            << c.key;
    }
}

TEST(ToolOption, TellingTypeRulesByRelease) {
    struct Case {
        const Tool* tool;
        std::string_view key, release, expected;  // "" for no type rule
    };
    const Case cases[] = {
        {&uv::UV, "build-backend.module-name", "0.6.6", "a string"},
        {&uv::UV, "build-backend.module-name", "0.7.19", "a string"},
        {&uv::UV, "build-backend.module-name", "0.7.20", "a string or an array of strings"},
        {&uv::UV, "build-backend.module-name", "0.6.5", ""},
        {&uv::UV, "index.ignore-error-codes", "0.7.14", "an array of integers"},
        {&uv::UV, "index.ignore-error-codes", "0.7.15", "an array of values, each a number"},
        {&uv::UV, "default-groups", "0.6.7", "an array of strings"},
        {&uv::UV, "default-groups", "0.6.8", "any value"},
        {&uv::UV, "default-groups", "0.9.8", "an array of strings or `\"all\"`"},
        {&uv::UV, "config-settings", "0.6.14", "any value"},
        {&uv::UV, "config-settings", "0.12.18", "a string or an array of strings"},
        {&uv::UV, "conflicts", "0.12.18",
         "an array of values, each an array of values, each any value"},
        {&uv::UV, "concurrent-builds", "0.12.18", "an integer of at least 1"},
        {&ruff::RUFF, "format.docstring-code-line-length", "0.1.7", ""},
        {&ruff::RUFF, "format.docstring-code-line-length", "0.1.14", "an integer of at least 1"},
        {&ruff::RUFF, "format.docstring-code-line-length", "0.1.15",
         "an integer of at least 1 or `\"dynamic\"`"},
        {&ruff::RUFF, "per-file-target-version", "0.11.7",
         "one of `\"py310\"`, `\"py311\"`, `\"py312\"`, `\"py313\"`, `\"py37\"`, `\"py38\"`, "
         "`\"py39\"`"},
        {&ruff::RUFF, "per-file-target-version", "0.14.11",
         "one of `\"py310\"`, `\"py311\"`, `\"py312\"`, `\"py313\"`, `\"py314\"`, `\"py315\"`, "
         "`\"py37\"`, `\"py38\"`, `\"py39\"`"},
        {&ruff::RUFF, "lint.select", "0.16.9", "an array of rule selectors"},
        {&ty::TY, "rules", "0.0.84", "one of `\"error\"`, `\"ignore\"`, `\"warn\"`"},
        {&ty::TY, "overrides.rules", "0.0.2", "one of `\"error\"`, `\"ignore\"`, `\"warn\"`"},
    };
    for (const Case& c : cases) {
        const std::optional<ToolOption> option = c.tool->option(c.key);
        ASSERT_TRUE(option) << c.key;
        const std::optional<ValueType> type = option->type_in(release_of(*c.tool, c.release));
        EXPECT_EQ(type ? type->describe() : "", c.expected) << c.key << " " << c.release;
    }
}

TEST(ToolOption, DeprecationsRemovalsAndNotes) {
    struct Case {
        const Tool* tool;
        std::string_view key;
        std::string_view deprecated_from;  // "" when never deprecated
        std::string_view exists_to;
        std::optional<std::string_view> note;
    };
    const Case cases[] = {
        {&uv::UV, "dev-dependencies", "0.8.18", "0.12.18", "use `dependency-groups.dev` instead"},
        {&uv::UV, "native-tls", "0.11.0", "0.12.18",
         "The `native-tls` setting is deprecated and will be removed in a future release. Use "
         "`system-certs` instead."},
        {&uv::UV, "preview", "0.11.22", "0.12.18", std::nullopt},
        {&uv::UV, "pip.offline", "0.2.0", "0.2.6", std::nullopt},
        {&uv::UV, "pip.allow-insecure-host", "", "0.4.30", std::nullopt},
        {&uv::UV, "toolchain-preference", "", "0.2.33", std::nullopt},
        {&ruff::RUFF, "lint.extend-ignore", "0.1.1", "0.16.9",
         "The `extend-ignore` option is now interchangeable with `ignore`. Please update your "
         "configuration to use the `ignore` option instead."},
        {&ruff::RUFF, "select", "0.2.0", "0.16.9", std::nullopt},
        {&ruff::RUFF, "show-source", "0.2.0", "0.4.10", std::nullopt},
        {&ruff::RUFF, "lint.allowed-unused-imports", "", "0.6.9", std::nullopt},
        {&ty::TY, "analysis.strict-literal-narrowing", "0.0.63", "0.0.84",
         "use `strict-equality-semantics`, the option's new name"},
        {&ty::TY, "src.root", "0.0.2", "0.0.66", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<ToolOption> option = c.tool->option(c.key);
        ASSERT_TRUE(option) << c.key;
        const Release newest_known = option->exists.back().last;
        const ReleaseRange* deprecated = range_holding(option->deprecated, newest_known);
        EXPECT_EQ(deprecated ? c.tool->release(deprecated->first) : "", c.deprecated_from) << c.key;
        EXPECT_EQ(c.tool->release(newest_known), c.exists_to) << c.key;
        EXPECT_EQ(option->note, c.note) << c.key;
    }
    EXPECT_TRUE(
        ruff::RUFF.option("allowed-unused-imports")->exists_in(release_of(ruff::RUFF, "0.6.9")));
    EXPECT_FALSE(
        ruff::RUFF.option("allowed-unused-imports")->exists_in(release_of(ruff::RUFF, "0.6.8")));
}

}  // namespace
}  // namespace tarnvik::tool
