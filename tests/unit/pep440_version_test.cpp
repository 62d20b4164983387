#include <gtest/gtest.h>

#include <vector>

#include "tarnvik/pep440.hpp"

namespace tarnvik::pep440 {
namespace {

Version parsed(std::string_view text) {
    auto result = parse_version(text);
    EXPECT_TRUE(std::holds_alternative<Version>(result)) << text;
    return std::holds_alternative<Version>(result) ? std::get<Version>(result) : Version{};
}

TEST(ParseVersion, NormalizesEverySpelling) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        // release, epoch, leading `v`, surrounding ASCII white space, integer normalization
        {"1", "1"},
        {"1.0.0.0.0.0", "1.0.0.0.0.0"},
        {"1.01", "1.1"},
        {"v1.0", "1.0"},
        {"V1.0", "1.0"},
        {"0!1.0", "1.0"},
        {"00!1.0", "1.0"},
        {"1!1.0", "1!1.0"},
        {"  1.0\t\n", "1.0"},
        // pre-releases: separators, spellings, implicit number, case
        {"1.1a1", "1.1a1"},
        {"1.1.a1", "1.1a1"},
        {"1.1-a1", "1.1a1"},
        {"1.1_a1", "1.1a1"},
        {"1.0a.1", "1.0a1"},
        {"1.0a-1", "1.0a1"},
        {"1.1alpha1", "1.1a1"},
        {"1.1beta2", "1.1b2"},
        {"1.1c3", "1.1rc3"},
        {"1.1pre4", "1.1rc4"},
        {"1.1preview5", "1.1rc5"},
        {"1.1RC1", "1.1rc1"},
        {"1.2a", "1.2a0"},
        {"1.2a.", "1.2a0"},
        {"1.2a-.post1", "1.2a0.post1"},
        // post-releases: separators, spellings, implicit number, implicit post
        {"1.2.post2", "1.2.post2"},
        {"1.2-post2", "1.2.post2"},
        {"1.2post2", "1.2.post2"},
        {"1.2.post-2", "1.2.post2"},
        {"1.2.post_2", "1.2.post2"},
        {"1.0-r4", "1.0.post4"},
        {"1.0rev4", "1.0.post4"},
        {"1.2.post", "1.2.post0"},
        {"1.0-1", "1.0.post1"},
        {"1.0a1-1", "1.0a1.post1"},
        {"1.0a--1", "1.0a0.post1"},
        {"1.2.post.", "1.2.post0"},
        {"1.2.post-+abc", "1.2.post0+abc"},
        // development releases
        {"1.2.dev2", "1.2.dev2"},
        {"1.2-dev2", "1.2.dev2"},
        {"1.2dev2", "1.2.dev2"},
        {"1.2.dev", "1.2.dev0"},
        {"1.2.dev_", "1.2.dev0"},
        {"1.2.DEV_3", "1.2.dev3"},
        {"1.0rc1.post2.dev3", "1.0rc1.post2.dev3"},
        {"1.0-post-1-dev-2", "1.0.post1.dev2"},
        // local versions
        {"1.0+ubuntu-1", "1.0+ubuntu.1"},
        {"1.0+Ubuntu_1", "1.0+ubuntu.1"},
        {"1.0+abc.05", "1.0+abc.5"},
        {"1!2.0b3.post4.dev5+local.7", "1!2.0b3.post4.dev5+local.7"},
        {"1.0+000", "1.0+0"},
        {"1.0+abc.0012", "1.0+abc.12"},
        // digits beyond 64 bits in a local part are text, kept as written
        {"1.0+18446744073709551615", "1.0+18446744073709551615"},
        {"1.0+018446744073709551615", "1.0+18446744073709551615"},
        {"1.0+18446744073709551616", "1.0+18446744073709551616"},
        {"1.0+99999999999999999999", "1.0+99999999999999999999"},
        {"1.0+00099999999999999999999.X", "1.0+00099999999999999999999.x"},
        {"18446744073709551615", "18446744073709551615"},
    };
    for (auto [text, normal] : cases)
        EXPECT_EQ(parsed(text).to_string(), normal) << text;
}

TEST(ParseVersion, RejectsMalformedTexts) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", "empty version"},
        {"   ", "empty version"},
        {"v", "expected version to start with a number"},
        {".1", "expected version to start with a number"},
        {"-1.0", "expected version to start with a number"},
        {"a1.0", "expected version to start with a number"},
        {"1!", "expected a release number after the epoch"},
        {"1.", "unexpected `.` after version `1`"},
        {"1..0", "unexpected `..0` after version `1`"},
        {"1.0-", "unexpected `-` after version `1.0`"},
        {"1.0a1a2", "unexpected `a2` after version `1.0a1`"},
        {"1.0.post1.dev1.post2", "unexpected `.post2` after version `1.0.post1.dev1`"},
        {"1 .0", "unexpected `.0` after version `1`"},
        {"1.0\xC2\xA0", "unexpected `\xC2\xA0` after version `1.0`"},  // not ASCII white space
        {"1.0 foo ", "unexpected `foo` after version `1.0`"},
        {"1.0+", "expected a letter or digit in the local version label"},
        {"1.0+abc.", "expected a letter or digit in the local version label"},
        {"1.0+abc+def", "unexpected `+def` after version `1.0+abc`"},
        {"1.0+ab$", "unexpected `$` after version `1.0+ab`"},
        {"1.0.*", "wildcards are not allowed in a version"},
        {"1.0a1.*", "a wildcard `.*` must follow the release"},
        {"1.0.*.1", "a wildcard `.*` must end the version"},
        {"18446744073709551616", "number `18446744073709551616` is too large"},
        {"1.0.post99999999999999999999", "number `99999999999999999999` is too large"},
        {"1.0.dev99999999999999999999", "number `99999999999999999999` is too large"},
        {"1.0a99999999999999999999", "number `99999999999999999999` is too large"},
        {"99999999999999999999!1.0", "number `99999999999999999999` is too large"},
    };
    for (auto [text, message] : cases) {
        auto result = parse_version(text);
        ASSERT_TRUE(std::holds_alternative<Error>(result)) << text;
        EXPECT_EQ(std::get<Error>(result).message, message) << text;
    }
}

TEST(VersionOrder, FollowsThePep440Chain) {
    const std::vector<std::string_view> ascending = {
        "1.dev0",
        "1.0.dev456",
        "1.0a1",
        "1.0a2.dev456",
        "1.0a12.dev456",
        "1.0a12",
        "1.0b1.dev456",
        "1.0b2",
        "1.0b2.post345.dev456",
        "1.0b2.post345",
        "1.0rc1.dev456",
        "1.0rc1",
        "1.0",
        "1.0+abc.5",
        "1.0+abc.7",
        "1.0+5",
        "1.0.post456.dev34",
        "1.0.post456",
        "1.0.15",
        "1.1.dev1",
        "2.0",
        "10.0",
        "1!0.1",
        "1!1.0",
    };
    for (std::size_t i = 0; i < ascending.size(); ++i) {
        for (std::size_t j = 0; j < ascending.size(); ++j) {
            EXPECT_EQ(parsed(ascending[i]) <=> parsed(ascending[j]), i <=> j)
                << ascending[i] << " vs " << ascending[j];
        }
    }
}

TEST(VersionOrder, TreatsEqualSpellingsAsEqual) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"1.0", "1.0.0"},        {"1", "1.0.0.0"},       {"1.0a", "1.0a0"}, {"1.0c1", "1.0rc1"},
        {"v1.0", "1.0"},         {"1.0-1", "1.0.post1"}, {"0!1.0", "1.0"},  {"1.0+a.1", "1.0+A-01"},
        {"1.0.dev", "1.0.dev0"}, {"1.0+0", "1.0+000"},
    };
    for (auto [a, b] : cases)
        EXPECT_EQ(parsed(a), parsed(b)) << a << " == " << b;
}

TEST(VersionOrder, LocalLabelsCompareSegmentBySegment) {
    const std::pair<std::string_view, std::string_view> less[] = {
        {"1.0+a", "1.0+b"},
        {"1.0+abc", "1.0+abc.0"},
        {"1.0+zzz", "1.0+0"},
        {"1.0+2", "1.0+10"},
        {"1.0+a.z", "1.0+a.1"},
        {"1.0+1.a", "1.0+1.0"},
        {"1.0", "1.0+0"},
        {"1.0+0099", "1.0+100"},
        // digits beyond 64 bits are text: ordered as written, below every number
        {"1.0+18446744073709551616", "1.0+18446744073709551615"},
        {"1.0+100000000000000000000", "1.0+99999999999999999999"},
        {"1.0+099999999999999999999", "1.0+99999999999999999998"},
        {"1.0+99999999999999999999", "1.0+0"},
        {"1.0+99999999999999999999", "1.0+zzz"},
        {"1.0+99999999999999999999", "1.0+99999999999999999999.0"},
        {"1.0+99999999999999999999", "1.0.post1"},
    };
    for (auto [a, b] : less) {
        EXPECT_LT(parsed(a), parsed(b)) << a << " < " << b;
        EXPECT_GT(parsed(b), parsed(a)) << b << " > " << a;
        EXPECT_NE(parsed(a), parsed(b)) << a << " != " << b;
    }
}

TEST(Release, KeepsLongReleasesIntact) {
    Release r;
    for (std::uint64_t i = 1; i <= 9; ++i)
        r.push_back(i);
    ASSERT_EQ(r.size(), 9u);
    for (std::uint64_t i = 0; i < 9; ++i)
        EXPECT_EQ(r[i], i + 1);
    for (int i = 0; i < 6; ++i)
        r.pop_back();
    EXPECT_EQ(r.size(), 3u);
    EXPECT_EQ(std::vector<std::uint64_t>(r.begin(), r.end()),
              (std::vector<std::uint64_t>{1, 2, 3}));
    EXPECT_EQ(parsed("1.2.3.4.5.6.7.8.9").to_string(), "1.2.3.4.5.6.7.8.9");
}

}  // namespace
}  // namespace tarnvik::pep440
