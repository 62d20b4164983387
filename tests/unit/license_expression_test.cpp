#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "license.hpp"
#include "license/spdx_expression.hpp"

namespace tarnvik::license {
namespace {

using namespace license_check;

// One row of tests/data/spdx/examples.tsv: the answers of the reference behaviour.
struct Example {
    std::string input;
    std::string canonicalize;  // JSON text, "same" or "fail"
    std::string outcome;
    std::string canonical;  // JSON text or "-"
    std::string span;       // "start..end" or "-"
    std::string kind;       // failure kind or "-"
};

std::string json_text(const std::string& field) {
    return nlohmann::json::parse(field);
}

std::vector<Example> examples() {
    std::ifstream file(TARNVIK_SOURCE_DIR "/tests/data/spdx/examples.tsv");
    std::vector<Example> rows;
    for (std::string line; std::getline(file, line);) {
        std::vector<std::string> fields;
        std::stringstream stream(line);
        for (std::string field; std::getline(stream, field, '\t');)
            fields.push_back(field);
        rows.push_back({json_text(fields.at(0)), fields.at(1), fields.at(2), fields.at(3),
                        fields.at(4), fields.at(5)});
    }
    return rows;
}

// Rows whose reference answer we deliberately do not reproduce.
const std::map<std::string, Example>& sound_answers() {
    static const std::map<std::string, Example> answers = [] {
        std::map<std::string, Example> map;
        // A difference in white space alone is no deprecated identifier.
        for (const char* text : {"( MIT )", "MIT AND(Apache-2.0)", "MIT  OR  Apache-2.0", " MIT",
                                 "MIT\t", "MIT\u00a0OR Apache-2.0"})
            map[text] = {text, "", "Canonical", "-", "-", "-"};
        // A suggestion must itself be a valid expression.
        for (auto [text, span, kind] : std::initializer_list<std::array<const char*, 3>>{
                 {"   ", "0..3", "empty"},
                 {"MIT OR", "6..6", "unexpected: <license> ("},
                 {"MIT and", "7..7", "unexpected: <license> ("},
                 {"AND MIT", "0..3", "unexpected: <license> ("},
                 {"MIT OR OR Apache-2.0", "7..9", "unexpected: <license> ("},
                 {"MIT WITH", "8..8", "unexpected: <addition>"},
                 {"MIT MIT", "4..7", "unexpected: AND OR WITH ) +"},
                 {"MIT (Apache-2.0)", "4..5", "unexpected: AND OR WITH ) +"},
                 {"GPL-2.0-or-later+", "16..17", "plus-after-or-later"},
                 {"GPL-2.0-with-classpath-exception+", "32..33", "unknown-gnu-or-later"},
             })
            map[text] = {text, "", "Invalid", "-", span, kind};
        // `gnu gpl v2` is version 2 of the GPL.
        map["gnu gpl v2"] = {"gnu gpl v2", "\"GPL-2.0-only\"", "Invalid", "\"GPL-2.0-only\"",
                             "0..3",       "unknown-term"};
        return map;
    }();
    return answers;
}

std::string expected_message(const std::string& kind) {
    static const std::map<std::string, std::string> messages = {
        {"empty", "empty license expression"},
        {"invalid-characters", "invalid character(s)"},
        {"unknown-term", "unknown term"},
        {"plus-after-space", "white space before `+`"},
        {"unopened-paren", "unopened parenthesis"},
        {"unclosed-paren", "unclosed parenthesis"},
        {"plus-after-or-later", "`+` after an `-or-later` license"},
        {"unknown-gnu-or-later", "this GNU license has no `-or-later` form"},
    };
    if (auto it = messages.find(kind); it != messages.end()) return it->second;
    std::stringstream tokens(kind.substr(std::string("unexpected: ").size()));
    std::string message = "unexpected term, expected one of ";
    const char* separator = "";
    for (std::string token; tokens >> token; separator = ", ")
        message += separator + (token.starts_with('<') ? token : "`" + token + "`");
    return message;
}

Span parse_span(const std::string& text) {
    auto dots = text.find("..");
    return {std::stoul(text.substr(0, dots)), std::stoul(text.substr(dots + 2))};
}

LicenseCheck expected_check(const Example& row) {
    std::optional<std::string> canonical;
    if (row.canonical != "-") canonical = json_text(row.canonical);
    if (row.outcome == "Canonical") return Canonical{};
    if (row.outcome == "CaseDiffers") return CaseDiffers{*canonical};
    if (row.outcome == "NotCanonical") return NotCanonical{*canonical};
    return Invalid{parse_span(row.span), expected_message(row.kind), canonical};
}

std::string show(const LicenseCheck& check) {
    return std::visit(
        [](const auto& answer) -> std::string {
            using T = std::decay_t<decltype(answer)>;
            if constexpr (std::is_same_v<T, Invalid>)
                return "Invalid " + std::to_string(answer.span.start) + ".." +
                       std::to_string(answer.span.end) + " " + answer.message + " / " +
                       answer.canonical.value_or("-");
            else if constexpr (std::is_same_v<T, Canonical>)
                return "Canonical";
            else if constexpr (std::is_same_v<T, CaseDiffers>)
                return "CaseDiffers " + answer.canonical;
            else
                return "NotCanonical " + answer.canonical;
        },
        check);
}

const Example& answer_for(const Example& row) {
    auto it = sound_answers().find(row.input);
    return it == sound_answers().end() ? row : it->second;
}

TEST(LicenseExpression, AnswersTheExamplesTable) {
    auto rows = examples();
    ASSERT_EQ(rows.size(), 98u);
    for (const Example& row : rows)
        EXPECT_EQ(show(check_license_expression(row.input)), show(expected_check(answer_for(row))))
            << "expression: " << row.input;
}

TEST(LicenseExpression, CanonicalizesAsTheExamplesTable) {
    for (const Example& row : examples()) {
        std::string expected = row.input == "gnu gpl v2" ? "\"GPL-2.0-only\"" : row.canonicalize;
        std::optional<std::string> canonical = spdx::canonicalize(row.input);
        if (expected == "same" || expected == "fail")
            EXPECT_EQ(canonical, std::nullopt) << "expression: " << row.input;
        else
            EXPECT_EQ(canonical, json_text(expected)) << "expression: " << row.input;
    }
}

TEST(LicenseExpression, IgnoresWhiteSpaceWhenComparingWithTheCanonicalForm) {
    struct Case {
        std::string expression;
        LicenseCheck expected;
    };
    const std::vector<Case> cases = {
        {"MIT \u3000OR\u2028Apache-2.0", Canonical{}},
        {"MIT  or  Apache-2.0", CaseDiffers{"MIT OR Apache-2.0"}},
        {" mit ", CaseDiffers{"MIT"}},
        {"( mit )", CaseDiffers{"(MIT)"}},
        {"GPL-2.0+  OR MIT", NotCanonical{"GPL-2.0-or-later OR MIT"}},
        {"MIT OR GPL-2.0", NotCanonical{"MIT OR GPL-2.0-only"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(show(check_license_expression(c.expression)), show(c.expected))
            << "expression: " << c.expression;
}

TEST(LicenseExpression, OffersOnlyCorrectionsThatParse) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"MIT/Apache-2.0", "MIT OR Apache-2.0"},
        {"apache2 / mit", "Apache-2.0 OR MIT"},
        {"lgpl+", "LGPL-2.0-or-later"},
        {"MIT OR", std::nullopt},
        {"OR", std::nullopt},
        {"(", std::nullopt},
        {"mit (", std::nullopt},
        {"gpl MIT", std::nullopt},
    };
    for (const auto& [expression, canonical] : cases) {
        LicenseCheck check = check_license_expression(expression);
        ASSERT_TRUE(std::holds_alternative<Invalid>(check)) << expression << ": " << show(check);
        EXPECT_EQ(std::get<Invalid>(check).canonical, canonical) << "expression: " << expression;
    }
}

TEST(LicenseExpression, AnswersAnyBytes) {
    const std::vector<std::pair<std::string, Span>> cases = {
        {std::string("MIT\xff"), {3, 4}},
        {std::string("\xc3"), {0, 1}},
        {std::string("MIT\0", 4), {3, 4}},
        {"+", {0, 1}},
        {")", {0, 1}},
        {"DocumentRef-a", {0, 13}},
        {"DocumentRef-a:b", {0, 15}},
        {"((((((((((MIT", {9, 10}},
        {std::string(10000, '('), {10000, 10000}},
    };
    for (const auto& [expression, span] : cases) {
        LicenseCheck check = check_license_expression(expression);
        ASSERT_TRUE(std::holds_alternative<Invalid>(check)) << show(check);
        EXPECT_EQ(std::get<Invalid>(check).span, span) << "expression: " << expression;
    }
}

}  // namespace
}  // namespace tarnvik::license
