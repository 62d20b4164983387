#include "tarnvik/similarity.hpp"

#include <gtest/gtest.h>

#include <string_view>

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
