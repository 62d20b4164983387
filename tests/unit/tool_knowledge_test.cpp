#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "knowledge/ruff.hpp"
#include "knowledge/tool.hpp"
#include "knowledge/ty.hpp"
#include "knowledge/uv.hpp"
#include "tarnvik/parse.hpp"

namespace tarnvik::tool {
namespace {

Release release_of(const Tool& tool, std::string_view text) {
    if (const std::optional<Release> found = tool.release_named(text)) return *found;
    ADD_FAILURE() << "no release " << text;
    return 0;
}

// The value of `v = <literal>`, as the parser keeps it (out-of-range integers included).
document::Value value_of(std::string_view literal) {
    auto [table, diagnostics] = parse::parse("v = " + std::string(literal));
    EXPECT_EQ(table.entries.size(), 1u) << literal;
    return table.entries.at(0).value;
}

// Shapes of a family of their own, for the cases the real tables lack; SHAPE_ROWS follows this
// order.
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
    CHOICES,
    OF_ALTERNATIVES
};
constexpr stored::Type SHAPE_ROWS[] = {{ValueTag::Any, false, {}, 0},
                                       {ValueTag::Boolean, false, {}, 0},
                                       {ValueTag::Integer, false, {}, 0},
                                       {ValueTag::Integer, true, {}, 1},
                                       {ValueTag::Integer, true, {}, 100},
                                       {ValueTag::Number, false, {}, 0},
                                       {ValueTag::String, false, {}, 0},
                                       {ValueTag::RuleSelector, false, {}, 0},
                                       {ValueTag::OneOf, false, {0, 1}, 0} /* "all" */,
                                       {ValueTag::OneOf, false, {1, 2}, 0} /* "a", "b" */,
                                       {ValueTag::OneOf, false, {3, 1}, 0} /* "full" */,
                                       {ValueTag::ArrayOf, false, {STRING, 0}, 0},
                                       {ValueTag::ArrayOf, false, {ANY, 0}, 0},
                                       {ValueTag::AnyOf, false, {0, 2}, 0} /* STRING, STRINGS */,
                                       {ValueTag::AnyOf, false, {}, 0},
                                       {ValueTag::ArrayOf, false, {BOOLEAN, 0}, 0},
                                       {ValueTag::ArrayOf, false, {A_OR_B, 0}, 0},
                                       {ValueTag::ArrayOf, false, {STRING_OR_STRINGS, 0}, 0}};
static_assert(std::size(SHAPE_ROWS) == OF_ALTERNATIVES + 1);
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
    const Case cases[] = {{ANY, "{ a = 1 }", true},
                          {BOOLEAN, "\"true\"", false},
                          {AT_LEAST_1, "0", false},
                          {AT_LEAST_1, "-1", false},
                          {AT_LEAST_1, "1.0", false},
                          {AT_LEAST_1, "99999999999999999999", false},
                          {AT_LEAST_1, "+5", true},
                          {AT_LEAST_100, "0x64", true},
                          {AT_LEAST_100, "0o143", false},
                          {INTEGER, "-9223372036854775808", true},
                          {INTEGER, "0x8000000000000000", false},
                          {NUMBER, "1", true},
                          {NUMBER, "inf", true},
                          {NUMBER, "\"1\"", false},
                          {SELECTOR, "501", false},
                          {FULL, "\"Full\"", false},
                          {FULL, "[\"full\"]", false},
                          {STRINGS, "[]", true},
                          {STRINGS, "[\"a\", 1, \"b\"]", false},
                          {STRINGS, "\"a\"", false},
                          {STRING_OR_STRINGS, "[\"a\"]", true},
                          {STRING_OR_STRINGS, "[1]", false},
                          {NOTHING, "\"a\"", false},
                          {NOTHING, "[]", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(shape(c.type).accepts(value_of(c.literal)), c.accepted) << c.literal;
    }
}

TEST(ValueTypeAccepts, ReadsIntegerDigitsByTheirRadix) {
    const std::pair<std::string, int> accepted[] = {
        {"ff", 16}, {"FF", 16}, {"101", 2}, {"+7", 10}, {"-7", 10}, {"-8000000000000000", 16}};
    const std::pair<std::string, int> refused[] = {{"2", 2},    {"8", 8},
                                                   {"12a", 10}, {"+-7", 10},
                                                   {"--7", 10}, {"", 10},
                                                   {"-", 10},   {" 7", 10},
                                                   {"7 ", 10},  {"0x10", 16},
                                                   {"1_0", 10}, {"10", 36},
                                                   {"10", 0},   {"-8000000000000001", 16}};
    for (const auto& [digits, radix] : accepted) {
        EXPECT_TRUE(shape(INTEGER).accepts({document::Integer{digits, radix}, {}})) << digits;
    }
    for (const auto& [digits, radix] : refused) {
        EXPECT_FALSE(shape(INTEGER).accepts({document::Integer{digits, radix}, {}})) << digits;
    }
    EXPECT_FALSE(shape(AT_LEAST_100).accepts({document::Integer{"63", 16}, {}}));
}

TEST(ValueTypeDescribe, NamesEveryShape) {
    const std::pair<Shape, std::string_view> cases[] = {
        {ANY, "any value"},
        {INTEGER, "an integer"},
        {AT_LEAST_100, "an integer of at least 100"},
        {NUMBER, "a number"},
        {SELECTOR, "a rule selector"},
        {ALL, "`\"all\"`"},
        {A_OR_B, "one of `\"a\"`, `\"b\"`"},
        {STRING_OR_STRINGS, "a string or an array of strings"},
        {NOTHING, ""},
        {BOOLEANS, "an array of booleans"},
        {CHOICES, "an array of strings, each one of `\"a\"`, `\"b\"`"},
        {ANYS, "an array of values, each any value"},
        {OF_ALTERNATIVES, "an array of values, each a string or an array of strings"}};
    for (const auto& [type, phrase] : cases)
        EXPECT_EQ(shape(type).describe(), phrase);
}

TEST(ReleaseRanges, AnswerMembershipAndTheNeighbouringRanges) {
    constexpr ReleaseRange RANGES[] = {{2, 4}, {8, 9}};
    EXPECT_FALSE(holds(RANGES, 1));
    EXPECT_TRUE(holds(RANGES, 4));
    EXPECT_FALSE(holds(RANGES, 5));
    EXPECT_EQ(range_holding(RANGES, 9), &RANGES[1]);
    EXPECT_EQ(added_after(RANGES, 6), Release{8});
    EXPECT_EQ(added_after(RANGES, 10), std::nullopt);
    EXPECT_EQ(removed_before(RANGES, 0), std::nullopt);
    EXPECT_EQ(removed_before(RANGES, 6), Release{5});
    constexpr Release RELEASES[] = {1, 3, 5, 8, 10};
    EXPECT_EQ(lacking(RANGES, RELEASES).count, 3u);
    EXPECT_EQ(lacking(RANGES, RELEASES).first, Release{1});
    EXPECT_EQ(lacking(RANGES, std::span(RELEASES).subspan(1, 1)).count, 0u);
    EXPECT_EQ(lacking(RANGES, std::span(RELEASES).subspan(1, 1)).first, std::nullopt);
    EXPECT_EQ(lacking({}, RELEASES).count, 5u);
}

TEST(Descriptors, HoldTheStatedFields) {
    struct Case {
        const Tool* tool;
        std::string_view name, docs, first, last;
        std::size_t releases, options;
    };
    const Case cases[] = {
        {&uv::UV, "uv", "https://docs.astral.sh/uv/reference/settings/", "0.1.34", "0.12.18", 282,
         192},
        {&uv::UV_BUILD, "uv_build", "https://docs.astral.sh/uv/concepts/build-backend/", "0.1.34",
         "0.12.18", 282, 192},
        {&ruff::RUFF, "Ruff", "https://docs.astral.sh/ruff/settings/", "0.1.0", "0.16.9", 158, 378},
        {&ty::TY, "ty", "https://docs.astral.sh/ty/reference/configuration/", "0.0.2", "0.0.84", 83,
         35}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.tool->name, c.name);
        EXPECT_EQ(c.tool->docs, c.docs);
        EXPECT_EQ(c.tool->release(0), c.first);
        EXPECT_EQ(c.tool->release(c.tool->newest()), c.last);
        EXPECT_EQ(c.tool->releases().size(), c.releases);
        EXPECT_EQ(c.tool->options().size(), c.options);
    }
    EXPECT_EQ(uv::UV.family, uv::UV_BUILD.family);
    EXPECT_TRUE(uv::UV.note && !uv::UV_BUILD.note && !ruff::RUFF.note);
    const std::vector<std::string_view> required(uv::UV.required().begin(),
                                                 uv::UV.required().end());
    EXPECT_EQ(required, (std::vector<std::string_view>{"dependency-metadata.name", "index.url",
                                                       "pip.dependency-metadata.name"}));
    EXPECT_TRUE(ty::TY.required().empty());

    std::size_t kinds[4] = {}, selectors = 0;
    for (const Tool* tool : {&uv::UV, &ruff::RUFF, &ty::TY}) {
        for (const ToolOption option : tool->options()) {
            ++kinds[static_cast<int>(option.kind)];
            selectors += option.selectors;
        }
    }
    EXPECT_EQ(std::vector(std::begin(kinds), std::end(kinds)),
              (std::vector<std::size_t>{67, 36, 4, 498}));
    EXPECT_EQ(selectors, 24u);
}

TEST(ToolOption, FindsExactKeysOnly) {
    EXPECT_EQ(ruff::RUFF.option("lint")->kind, OptionKind::Table);
    EXPECT_EQ(ty::TY.option("overrides")->kind, OptionKind::ArrayOfTables);
    for (std::string_view key : {"lint.", "", "lin", "Lint", "lint.select "}) {
        EXPECT_FALSE(ruff::RUFF.option(key)) << key;
    }
    for (const Tool* tool : {&uv::UV, &ruff::RUFF, &ty::TY}) {
        EXPECT_EQ(tool->option(tool->options().front().key)->key, tool->options().front().key);
        EXPECT_EQ(tool->option(tool->options().back().key)->key, tool->options().back().key);
    }
}

TEST(ToolReleaseNamed, FindsExactTextsOnly) {
    EXPECT_EQ(ruff::RUFF.release_named("0.1.0"), Release{0});
    EXPECT_EQ(ruff::RUFF.release_named(ruff::RUFF.releases().back()), ruff::RUFF.newest());
    EXPECT_EQ(*ruff::RUFF.release_named("0.4.10"), *ruff::RUFF.release_named("0.4.9") + 1);
    for (std::string_view text : {"", "0.4", "v0.4.10", "0.4.10 ", "0.4.10.0"}) {
        EXPECT_FALSE(ruff::RUFF.release_named(text)) << text;
    }
}

TEST(ToolUpgradeTo, ReplacesEveryPlaceholder) {
    EXPECT_EQ(uv::UV.upgrade_to(release_of(uv::UV, "0.5.0")),
              "set `required-version = \">=0.5.0\"`");
    EXPECT_EQ(uv::UV_BUILD.upgrade_to(release_of(uv::UV, "0.7.20")),
              "require `uv_build>=0.7.20` in `[build-system]`");
    Tool tool = ruff::RUFF;  // the same tables with other hints
    tool.upgrade_hint = "upgrade Ruff";
    EXPECT_EQ(tool.upgrade_to(3), "upgrade Ruff");
    tool.upgrade_hint = "{version}, not {versio}, but {version}";
    EXPECT_EQ(tool.upgrade_to(0), "0.1.0, not {versio}, but 0.1.0");
}

TEST(ToolNewName, FollowsTheRenames) {
    EXPECT_EQ(uv::UV.new_name("dependency-metadata.provides-extras"), "provides-extra");
    EXPECT_EQ(ty::TY.new_name("overrides.analysis.strict-literal-narrowing"),
              "strict-equality-semantics");
    for (std::string_view key : {"provides-extras", "dependency-metadata", ""}) {
        EXPECT_EQ(uv::UV.new_name(key), std::nullopt) << key;
    }
}

TEST(ToolConsequence, LooksUpBothLists) {
    const std::pair<std::string_view, Consequence> unknown_key[] = {
        {"", 1}, {"index", 2}, {"sources", 0}, {"pip.dependency-metadata", 1}};
    for (const auto& [key, code] : unknown_key) {
        EXPECT_EQ(uv::UV_BUILD.unknown_key_consequence(key), code) << key;
    }
    const std::pair<std::string_view, Consequence> invalid_value[] = {
        {"audit", 2},     {"pip.config-settings", 2}, {"allow-insecure-host", 1},
        {"index.url", 0}, {"pip.offline", 0},         {"build-backend.source-include", 0}};
    for (const auto& [key, code] : invalid_value) {
        EXPECT_EQ(uv::UV.invalid_value_consequence(key), code) << key;
    }
    EXPECT_EQ(ruff::RUFF.unknown_key_consequence(""), 0);
}

TEST(ToolOption, TellingTypeRulesByRelease) {
    struct Case {
        const Tool* tool;
        std::string_view key, release, expected;  // "" for no type rule
    };
    const Case cases[] = {
        {&uv::UV, "build-backend.module-name", "0.6.5", ""},
        {&uv::UV, "build-backend.module-name", "0.7.19", "a string"},
        {&uv::UV, "build-backend.module-name", "0.7.20", "a string or an array of strings"},
        {&uv::UV, "index.ignore-error-codes", "0.7.14", "an array of integers"},
        {&uv::UV, "index.ignore-error-codes", "0.7.15", "an array of values, each a number"},
        {&uv::UV, "default-groups", "0.6.8", "any value"},
        {&uv::UV, "default-groups", "0.9.8", "an array of strings or `\"all\"`"},
        {&uv::UV, "config-settings", "0.6.15", "a string or an array of strings"},
        {&uv::UV, "conflicts", "0.12.18",
         "an array of values, each an array of values, each any value"},
        {&uv::UV, "concurrent-builds", "0.12.18", "an integer of at least 1"},
        {&ruff::RUFF, "format.docstring-code-line-length", "0.1.15",
         "an integer of at least 1 or `\"dynamic\"`"},
        {&ruff::RUFF, "per-file-target-version", "0.14.11",
         "one of `\"py310\"`, `\"py311\"`, `\"py312\"`, `\"py313\"`, `\"py314\"`, `\"py315\"`, "
         "`\"py37\"`, `\"py38\"`, `\"py39\"`"},
        {&ruff::RUFF, "lint.select", "0.16.9", "an array of rule selectors"},
        {&ty::TY, "overrides.rules", "0.0.2", "one of `\"error\"`, `\"ignore\"`, `\"warn\"`"}};
    for (const Case& c : cases) {
        const std::optional<ValueType> type =
            c.tool->option(c.key)->type_in(release_of(*c.tool, c.release));
        EXPECT_EQ(type ? type->describe() : "", c.expected) << c.key << " " << c.release;
    }
}

TEST(ToolOption, DeprecationsRemovalsAndNotes) {
    struct Case {
        const Tool* tool;
        std::string_view key, deprecated_from, exists_to;  // "" when never deprecated
        std::optional<std::string_view> note;
    };
    const Case cases[] = {
        {&uv::UV, "dev-dependencies", "0.8.18", "0.12.18", "use `dependency-groups.dev` instead"},
        {&uv::UV, "pip.offline", "0.2.0", "0.2.6", std::nullopt},
        {&uv::UV, "pip.allow-insecure-host", "", "0.4.30", std::nullopt},
        {&ruff::RUFF, "show-source", "0.2.0", "0.4.10", std::nullopt},
        {&ty::TY, "analysis.strict-literal-narrowing", "0.0.63", "0.0.84",
         "use `strict-equality-semantics`, the option's new name"}};
    for (const Case& c : cases) {
        const std::optional<ToolOption> option = c.tool->option(c.key);
        const Release newest_known = option->exists.back().last;
        const ReleaseRange* deprecated = range_holding(option->deprecated, newest_known);
        EXPECT_EQ(deprecated ? c.tool->release(deprecated->first) : "", c.deprecated_from) << c.key;
        EXPECT_EQ(c.tool->release(newest_known), c.exists_to) << c.key;
        EXPECT_EQ(option->note, c.note) << c.key;
    }
    const ToolOption removed = *ruff::RUFF.option("lint.allowed-unused-imports");
    EXPECT_TRUE(removed.exists_in(release_of(ruff::RUFF, "0.6.9")));
    EXPECT_FALSE(removed.exists_in(release_of(ruff::RUFF, "0.6.8")));
    EXPECT_FALSE(removed.exists_in(release_of(ruff::RUFF, "0.7.0")));
}

}  // namespace
}  // namespace tarnvik::tool
