#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tarnvik/parse.hpp"

namespace tarnvik::parse {
namespace {

std::string repeat(std::string_view part, std::size_t times) {
    std::string out;
    out.reserve(part.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += part;
    return out;
}

bool has_error(std::string_view text, std::string_view message) {
    for (const Diagnostic& d : parse(text).second) {
        if (d.message == message) return true;
    }
    return false;
}

TEST(Robustness, DeepNestingStopsWithAnErrorInsteadOfOverflowingTheStack) {
    const std::size_t deep = 100000;
    const std::string cases[] = {
        "a = " + repeat("[", deep) + repeat("]", deep),
        "a = " + repeat("[", deep),
        "a = " + repeat("{b = ", deep) + "1" + repeat("}", deep),
        "a = " + repeat("[{b = ", deep),
        "[" + repeat("a.", deep) + "a]",
        repeat("a.", deep) + "a = 1",
        "[x.y]\n" + repeat("a.", 998) + "a = 1",
    };
    for (const std::string& text : cases) {
        EXPECT_TRUE(has_error(text, "too deeply nested")) << text.substr(0, 40);
        EXPECT_FALSE(std::holds_alternative<document::Table>(parse_strict(text)));
    }
}

TEST(Robustness, NestingUpToTheLimitIsAccepted) {
    const std::string cases[] = {
        "a = " + repeat("[", 999) + repeat("]", 999),
        "[" + repeat("a.", 999) + "a]",
        "[x]\n" + repeat("a.", 998) + "a = 1",
    };
    for (const std::string& text : cases)
        EXPECT_TRUE(parse(text).second.empty()) << text.substr(0, 40);
}

TEST(Robustness, ArbitraryBytesGiveDiagnosticsNotCrashes) {
    std::mt19937 random(42);
    const std::string alphabet = "[]{}=.,\"'#\\\n\r\t abz019-+:_xeuU\x01\x7f\xc3\xa9";
    for (int round = 0; round < 10000; ++round) {
        std::string text;
        const std::size_t length = random() % 60;
        for (std::size_t i = 0; i < length; ++i) {
            text += round % 2 ? static_cast<char>(random() % 256)
                              : alphabet[random() % alphabet.size()];
        }
        auto [document, diagnostics] = parse(text);
        bool syntax_error = false;  // the strict parse does not judge the range of integers
        for (const Diagnostic& d : diagnostics) {
            EXPECT_LE(d.span.start, d.span.end);
            EXPECT_LE(d.span.end, text.size());
            syntax_error = syntax_error || !d.message.starts_with("integer is out of range");
        }
        EXPECT_EQ(std::holds_alternative<ParseError>(parse_strict(text)), syntax_error) << text;
    }
}

TEST(Robustness, ManyKeysInOneTableAreCheckedForDuplicatesQuickly) {
    std::string text = "[t]\n";
    for (int i = 0; i < 10000; ++i)
        text += "k" + std::to_string(i) + " = " + std::to_string(i) + "\n";
    std::string inline_table = "t = {";
    for (int i = 0; i < 10000; ++i)
        inline_table += "k" + std::to_string(i) + " = 1, ";
    inline_table += "k5000 = 2}";
    auto [document, diagnostics] = parse(text + "k9999 = 1\n");
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0].message, "duplicate key `k9999`");
    EXPECT_EQ(document.entries[0].value.as_table()->entries.size(), 10000u);
    auto [inline_document, inline_diagnostics] = parse(inline_table);
    ASSERT_EQ(inline_diagnostics.size(), 1u);
    EXPECT_EQ(inline_diagnostics[0].message, "duplicate key `k5000`");
}

TEST(Robustness, LongLinesAndLargeFiles) {
    const std::string long_line =
        "a = \"" + std::string(1 << 20, 'x') + "\"\nb = [" + repeat("1, ", 300000) + "]\n";
    EXPECT_TRUE(parse(long_line).second.empty());
    std::string large;
    for (int i = 0; large.size() < 5'000'000; ++i) {
        large += "[[package]]\nname = \"p" + std::to_string(i) + "\"\nversion = \"1.0\"\n";
    }
    auto [document, diagnostics] = parse(large);
    EXPECT_TRUE(diagnostics.empty());
    // Many broken lines and many long integers: reporting stays fast and bounded.
    EXPECT_EQ(parse(repeat("a = @\n", 200000)).second.size(), 1000u);
    EXPECT_EQ(parse(repeat("a = @\n", 999) + repeat("[[b]]\nc = 99999999999999999999\n", 100000))
                  .second.size(),
              100999u);
}

}  // namespace
}  // namespace tarnvik::parse
