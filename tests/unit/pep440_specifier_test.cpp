#include <gtest/gtest.h>

#include "tarnvik/pep440.hpp"

namespace tarnvik::pep440 {
namespace {

Version version(std::string_view text) {
    return std::get<Version>(parse_version(text));
}

TEST(ParseSpecifier, AcceptsEveryOperatorAndNormalizes) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"==1.0", "==1.0"},
        {" >= 1.0 ", ">=1.0"},
        {"<=2", "<=2"},
        {"<3.0a1", "<3.0a1"},
        {">1.7.post2", ">1.7.post2"},
        {"~=2.2", "~=2.2"},
        {"~=1.4.5a4", "~=1.4.5a4"},
        {"==1.1.*", "==1.1.*"},
        {"!=1.1.*", "!=1.1.*"},
        {"!=1.0", "!=1.0"},
        {"===1.0", "===1.0"},
        {"==1.0+Local", "==1.0+local"},
        {"!=1.0+local", "!=1.0+local"},
        {"===1.0+local", "===1.0+local"},
        {">=v1.0", ">=1.0"},
        {"==1!2.*", "==1!2.*"},
        {"\xC2\xA0>=\xE2\x80\x83"
         "1.0\t",
         ">=1.0"},
    };
    for (auto [text, normal] : cases) {
        auto result = parse_specifier(text);
        ASSERT_TRUE(std::holds_alternative<Specifier>(result))
            << text << ": " << std::get<Error>(result).message;
        EXPECT_EQ(std::get<Specifier>(result).to_string(), normal) << text;
    }
}

TEST(ParseSpecifier, RejectsMisusedOperatorsAndVersions) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", "expected a comparison operator (`~=`, `==`, `!=`, `<=`, `>=`, `<`, `>` or `===`)"},
        {"1.0", "expected a comparison operator (`~=`, `==`, `!=`, `<=`, `>=`, `<`, `>` or `===`)"},
        {"=>1.0",
         "unknown operator `=>`, expected `~=`, `==`, `!=`, `<=`, `>=`, `<`, `>` or `===`"},
        {"=1.0", "unknown operator `=`, expected `~=`, `==`, `!=`, `<=`, `>=`, `<`, `>` or `===`"},
        {">=", "expected a version after `>=`"},
        {">=  ", "expected a version after `>=`"},
        {"<2x", "unexpected `x` after version `2`"},
        {">=1.0.*", "operator `>=` cannot take a wildcard version"},
        {"~=1.0.*", "operator `~=` cannot take a wildcard version"},
        {"===1.0.*", "operator `===` cannot take a wildcard version"},
        {"<=1.0+local", "operator `<=` cannot take a local version"},
        {">1.0+local", "operator `>` cannot take a local version"},
        {"~=1.0+local", "operator `~=` cannot take a local version"},
        {"==1.0.*+local", "a wildcard `.*` must end the version"},
        {"~=1", "operator `~=` needs a version with at least two release numbers"},
        {"~=1!2", "operator `~=` needs a version with at least two release numbers"},
        {"==1.0 2.0", "unexpected `2.0` after the version `1.0`"},
        {"==1.0a1.*", "a wildcard `.*` must follow the release"},
    };
    for (auto [text, message] : cases) {
        auto result = parse_specifier(text);
        ASSERT_TRUE(std::holds_alternative<Error>(result)) << text;
        EXPECT_EQ(std::get<Error>(result).message, message) << text;
    }
}

TEST(ParseSpecifiers, SplitsAtCommasAndLocatesTheFailingPart) {
    auto list = parse_specifiers(">=1.0, <2,!=1.5");
    ASSERT_TRUE(std::holds_alternative<std::vector<Specifier>>(list));
    EXPECT_EQ(std::get<std::vector<Specifier>>(list).size(), 3u);
    EXPECT_TRUE(std::get<std::vector<Specifier>>(parse_specifiers("")).empty());

    struct Case {
        std::string_view text;
        std::size_t offset, length;
    };
    const Case failures[] = {{">=1.0, <2x", 6, 4}, {">=1.0,", 6, 0}, {" ", 0, 1}, {"a,>1", 0, 1}};
    for (const Case& c : failures) {
        auto result = parse_specifiers(c.text);
        ASSERT_TRUE(std::holds_alternative<Error>(result)) << c.text;
        EXPECT_EQ(std::get<Error>(result).offset, c.offset) << c.text;
        EXPECT_EQ(std::get<Error>(result).length, c.length) << c.text;
    }
}

struct Match {
    std::string_view specifier;
    std::vector<std::string_view> admitted;
    std::vector<std::string_view> refused;
};

void expect_matches(const std::vector<Match>& table) {
    for (const Match& m : table) {
        auto specifier = std::get<Specifier>(parse_specifier(m.specifier));
        for (auto v : m.admitted)
            EXPECT_TRUE(matches(specifier, version(v))) << m.specifier << " " << v;
        for (auto v : m.refused)
            EXPECT_FALSE(matches(specifier, version(v))) << m.specifier << " " << v;
    }
}

TEST(SpecifierMatching, CompatibleRelease) {
    expect_matches({
        {"~=2.2",
         {"2.2", "2.3", "2.9.9", "2.2.post1", "2.3a1"},
         {"2.1", "3.0", "3.0.dev0", "2.2a1"}},
        {"~=1.4.5", {"1.4.5", "1.4.9", "1.4.5+local"}, {"1.5.0", "1.4.4", "1.5.0.dev0"}},
        {"~=2.2.post3", {"2.2.post3", "2.3"}, {"2.2", "2.2.post2", "3.0"}},
        {"~=1.4.5a4", {"1.4.5a4", "1.4.5", "1.4.99"}, {"1.4.5a3", "1.5"}},
        {"~=1!2.0", {"1!2.5"}, {"2.5", "1!3.0"}},
        // the upper bound carries past numbers that cannot grow
        {"~=1.18446744073709551615.0", {"1.18446744073709551615.7"}, {"2.0", "1.5"}},
        {"~=18446744073709551615.0", {"18446744073709551615.7"}, {"1!0.0", "1.0"}},
    });
}

TEST(SpecifierMatching, EqualityAndWildcards) {
    expect_matches({
        {"==1.1",
         {"1.1", "1.1.0", "1.1+local", "1.1.0+ubuntu.1"},
         {"1.1.post1", "1.1a1", "1.1.dev0", "1.2"}},
        {"==1.1.*",
         {"1.1", "1.1.post1", "1.1a1", "1.1.dev0", "1.1.5+local"},
         {"1.2", "1.10", "1.0", "1.2.dev0"}},
        {"==1.*", {"1.0", "1.99.1"}, {"2.0", "0.9"}},
        {"==1.18446744073709551615.*", {"1.18446744073709551615.3"}, {"2.0", "1.0"}},
        {"==18446744073709551615!18446744073709551615.*",
         {"18446744073709551615!18446744073709551615.1"},
         {"18446744073709551615!1.0"}},
        {"==1.0+local", {"1.0+local", "1.0.0+local"}, {"1.0", "1.0+local.1", "1.0+other"}},
        {"==1.0+99999999999999999999",
         {"1.0+99999999999999999999", "1.0.0+99999999999999999999"},
         {"1.0", "1.0+99999999999999999998", "1.0+0099999999999999999999", "1.0+9"}},
        {"==1.0", {"1.0+99999999999999999999"}, {"1.0.post1"}},
        {"!=1.0+99999999999999999999",
         {"1.0", "1.0+99999999999999999998"},
         {"1.0+99999999999999999999"}},
        {"!=1.1", {"1.1.post1", "1.0", "1.1a1"}, {"1.1", "1.1.0", "1.1+local"}},
        {"!=1.1.*", {"1.2", "1.0", "1.10"}, {"1.1", "1.1.post1", "1.1.dev0"}},
        {"===1.0", {"1.0"}, {"1.0+local", "1.0.post1"}},
    });
}

TEST(SpecifierMatching, InclusiveOrderedComparisons) {
    expect_matches({
        {"<=2.0",
         {"2.0", "2.0+local", "1.0", "2.0a1", "2.0.dev0", "2.0+99999999999999999999"},
         {"2.0.post1", "2.0.1"}},
        {">=1.0", {"1.0", "1.0+local", "1.0.post1", "2.0"}, {"1.0a1", "1.0.dev0", "0.9"}},
        {">=1.0a1", {"1.0a1", "1.0b1", "1.0"}, {"1.0.dev0", "1.0a0"}},
    });
}

TEST(SpecifierMatching, ExclusiveOrderedComparisonsSkipPreAndPostReleasesOfV) {
    expect_matches({
        {"<1.7",
         {"1.6.9", "1.6.99rc1", "1.6.post1"},
         {"1.7", "1.7.0rc1", "1.7.dev0", "1.7a1+local"}},
        {"<1.7rc1", {"1.7a1", "1.7.dev0", "1.7rc1.dev0"}, {"1.7rc1", "1.7"}},
        {"<1.0.post1",
         {"1.0", "1.0.post0", "0.9"},
         {"1.0a1", "1.0.dev0", "1.0.post1.dev0", "1.0.post1"}},
        {">1.7",
         {"1.7.1", "1.8", "1.8.dev0"},
         {"1.7", "1.7.0.post1", "1.7+local", "1.7.post1+local", "1.7+99999999999999999999"}},
        {">1.7.post2",
         {"1.7.post3", "1.7.1", "1.7.post3.dev0"},
         {"1.7.post2", "1.7.post2+local", "1.7.post1"}},
        {">1.0a1", {"1.0a2", "1.0", "1.0.post1"}, {"1.0a1", "1.0a1.post1", "1.0a1+local"}},
        {">1.0.dev1", {"1.0.dev2", "1.0a1", "1.0"}, {"1.0.dev1", "1.0.dev1+local", "1.0.dev0"}},
    });
}

TEST(SpecifierMatching, ListsAdmitWhatEverySpecifierAdmits) {
    auto list = std::get<std::vector<Specifier>>(parse_specifiers(">=1.0, !=1.5.*, <2"));
    auto set = to_version_set(list);
    for (auto v : {"1.0", "1.4.9", "1.6", "1.99"})
        EXPECT_TRUE(set.contains(version(v))) << v;
    for (auto v : {"0.9", "1.5", "1.5.3", "2.0", "2.0a1"})
        EXPECT_FALSE(set.contains(version(v))) << v;
    EXPECT_EQ(to_version_set(std::vector<Specifier>{}), VersionSet::full());
}

}  // namespace
}  // namespace tarnvik::pep440
