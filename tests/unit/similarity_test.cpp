#include "similarity.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvik::similarity {
namespace {

struct Pair {
    std::string_view a;
    std::string_view b;
    double expected;
};

// Reference values published with the Jaro-Winkler measure (Winkler 1990 and its common
// restatements), rounded to three places.
TEST(JaroWinkler, MatchesPublishedValues) {
    const Pair cases[] = {
        {"MARTHA", "MARHTA", 0.961},
        {"DWAYNE", "DUANE", 0.840},
        {"DIXON", "DICKSONX", 0.813},
        {"JELLYFISH", "SMELLYFISH", 0.896},
        {"CRATE", "TRACE", 0.733},
        {"abc", "abc", 1.0},
        {"", "", 1.0},
        {"abc", "", 0.0},
        {"", "abc", 0.0},
        {"abc", "xyz", 0.0},
    };
    for (const Pair& c : cases) {
        EXPECT_NEAR(jaro_winkler(c.a, c.b), c.expected, 0.0005) << c.a << " / " << c.b;
        EXPECT_NEAR(jaro_winkler(c.b, c.a), c.expected, 0.0005) << c.b << " / " << c.a;
    }
}

TEST(Jaro, MatchesPublishedValues) {
    const Pair cases[] = {
        {"MARTHA", "MARHTA", 0.944},
        {"DWAYNE", "DUANE", 0.822},
        {"DIXON", "DICKSONX", 0.767},
        // For two characters the matching window is zero: only equal positions match.
        {"ab", "ba", 0.0},
    };
    for (const Pair& c : cases)
        EXPECT_NEAR(jaro(c.a, c.b), c.expected, 0.0005) << c.a;
}

TEST(JaroWinkler, PrefixBonusNeedsJaroAboveSevenTenths) {
    // Jaro 0.8: the bonus counts at most four of the seven common leading characters.
    EXPECT_NEAR(jaro_winkler("abcdefghij", "abcdefgxyz"), 0.8 + 0.4 * 0.2, 1e-9);
    // Jaro 2/3: no bonus despite three common leading characters.
    EXPECT_NEAR(jaro_winkler("abcxxx", "abcyyy"), 2.0 / 3.0, 1e-9);
}

TEST(JaroWinkler, CountsScalarValuesNotBytes) {
    // Each of these is one character of several bytes; byte-wise they would share a prefix.
    EXPECT_DOUBLE_EQ(jaro_winkler("é", "è"), 0.0);
    EXPECT_NEAR(jaro_winkler("naïve", "naive"), jaro_winkler("naxve", "naive"), 1e-12);
}

// The textbook matching loop, which scans the whole window for every character.
double windowed_jaro(const std::u32string& a, const std::u32string& b) {
    if (a.empty() && b.empty()) return 1.0;
    if (a.empty() || b.empty()) return 0.0;
    std::size_t window = std::max(a.size(), b.size()) / 2;
    window = window > 0 ? window - 1 : 0;
    std::vector<bool> a_matched(a.size()), b_matched(b.size());
    double m = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::size_t low = i > window ? i - window : 0;
        for (std::size_t j = low; j < std::min(b.size(), i + window + 1); ++j) {
            if (b_matched[j] || a[i] != b[j]) continue;
            a_matched[i] = b_matched[j] = true;
            ++m;
            break;
        }
    }
    if (m == 0) return 0.0;
    std::u32string x, y;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a_matched[i]) x += a[i];
    for (std::size_t j = 0; j < b.size(); ++j)
        if (b_matched[j]) y += b[j];
    std::size_t half = 0;
    for (std::size_t k = 0; k < x.size(); ++k)
        half += x[k] != y[k];
    return (m / a.size() + m / b.size() + (m - half / 2) / m) / 3.0;
}

TEST(Jaro, AgreesWithTheWindowScanOnRandomTexts) {
    const std::u32string alphabet = U"abcé";
    std::mt19937 random(20261207);
    // Short texts, and often a text with one edit, so that both answers of the edit test occur.
    auto text = [&] {
        std::u32string t(random() % 13, U'a');
        for (char32_t& c : t)
            c = alphabet[random() % alphabet.size()];
        return t;
    };
    auto utf8 = [](const std::u32string& t) {
        std::string out;
        for (char32_t c : t)
            out += c == U'é' ? "é" : std::string(1, static_cast<char>(c));
        return out;
    };
    for (int n = 0; n < 5000; ++n) {
        std::u32string a = text(), b = n % 2 ? text() : a;
        if (n % 2 == 0 && !b.empty()) {
            const std::size_t at = random() % b.size();
            switch (random() % 3) {
                case 0:
                    b.erase(at, 1);
                    break;
                case 1:
                    b.insert(at, 1, alphabet[random() % alphabet.size()]);
                    break;
                default:
                    b[at] = alphabet[random() % alphabet.size()];
            }
        }
        ASSERT_DOUBLE_EQ(jaro(utf8(a), utf8(b)), windowed_jaro(a, b))
            << utf8(a) << " / " << utf8(b);
        ASSERT_LE(jaro_winkler(utf8(a), utf8(b)), jaro_winkler_limit(a.size(), b.size()) + 1e-12)
            << utf8(a) << " / " << utf8(b);
        std::size_t common = 0;
        for (char32_t c : alphabet) {
            common += static_cast<std::size_t>(
                std::min(std::ranges::count(a, c), std::ranges::count(b, c)));
        }
        ASSERT_LE(jaro_winkler(utf8(a), utf8(b)),
                  jaro_winkler_bound(common, a.size(), b.size()) + 1e-12)
            << utf8(a) << " / " << utf8(b);
        ASSERT_EQ(within_one_edit(utf8(a), utf8(b)), levenshtein(utf8(a), utf8(b)) <= 1)
            << utf8(a) << " / " << utf8(b);
    }
}

TEST(Jaro, IsQuickOnLongTexts) {
    // A window scan would compare about 10^10 pairs here.
    const std::string a(200000, 'a'), b(199999, 'a');
    EXPECT_NEAR(jaro(a, b), (1.0 + 199999.0 / 200000.0 + 1.0) / 3.0, 1e-12);
}

TEST(WithinOneEdit, IsQuickOnLongTexts) {
    const std::string long_text(1'000'000, 'E');
    EXPECT_FALSE(within_one_edit(long_text, "E501"));
    EXPECT_TRUE(within_one_edit(long_text, long_text + "1"));
    EXPECT_TRUE(within_one_edit("E50\u00e9", "E501"));        // one character of two bytes
    EXPECT_FALSE(within_one_edit("\u00e9", "\u00e8\u00e8"));  // a shared lead byte is no match
}

TEST(Levenshtein, CountsEdits) {
    struct Case {
        std::string_view a, b;
        std::size_t expected;
    };
    const Case cases[] = {
        {"kitten", "sitting", 3},
        {"flaw", "lawn", 2},
        {"", "", 0},
        {"", "abc", 3},
        {"abc", "", 3},
        {"abc", "abc", 0},
        {"E501", "E510", 2},
        {"héllo", "hello", 1},  // one substitution of a two-byte
                                // character
        {"\xff", "a", 1},       // an ill-formed byte is one character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(levenshtein(c.a, c.b), c.expected) << c.a << " / " << c.b;
        EXPECT_EQ(levenshtein(c.b, c.a), c.expected) << c.b << " / " << c.a;
    }
}

}  // namespace
}  // namespace tarnvik::similarity
