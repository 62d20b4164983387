#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tarnvik/pep440.hpp"

namespace tarnvik::pep440 {
namespace {

VersionSet set_of(std::string_view specifiers) {
    return to_version_set(std::get<std::vector<Specifier>>(parse_specifiers(specifiers)));
}

struct Membership {
    std::string_view name;
    VersionSet set;
    std::vector<std::string_view> inside;
    std::vector<std::string_view> outside;
};

void expect_membership(const std::vector<Membership>& table) {
    for (const Membership& m : table) {
        for (auto v : m.inside)
            EXPECT_TRUE(m.set.contains(v)) << m.name << " " << v;
        for (auto v : m.outside)
            EXPECT_FALSE(m.set.contains(v)) << m.name << " " << v;
    }
}

TEST(VersionSetConstructors, BoundTheirVersionsAsDocumented) {
    expect_membership({
        {"from_through 1.0 2.0",
         VersionSet::from_through("1.0", "2.0"),
         {"1.0", "2.0", "1.5", "2.0+local", "2.0a1", "2.0+99999999999999999999"},
         {"2.0.1", "0.9", "1.0a1", "2.0.post1"}},
        {"between 1.0 2.0",
         VersionSet::between("1.0", "2.0"),
         {"1.5", "1.0.post1", "1.0.1", "2.0a1", "2.0.dev0", "1.5+99999999999999999999"},
         {"1.0", "2.0", "1.0+local", "0.1", "1.0+99999999999999999999"}},
        {"at_least 0.6.6",
         VersionSet::at_least("0.6.6"),
         {"0.6.6", "1.0", "0.6.6+local", "0.6.6.post1"},
         {"0.6.5", "0.6.6rc1", "0.6.6.dev0"}},
    });
}

TEST(VersionSetConstructorsDeathTest, StopOnInvalidConstants) {
    EXPECT_DEATH(VersionSet::at_least("not a version"), "embedded versions are valid");
    EXPECT_DEATH(VersionSet::from_through("1.0", "2.0+local"),
                 "`<=` accepts any version without a local part");
    EXPECT_DEATH(VersionSet::between("1.0+local", "2.0"),
                 "`<=` accepts any version without a local part");
}

TEST(VersionSetContains, AnswersForAnyText) {
    VersionSet all = VersionSet::full();
    for (auto text : {"", "not a version", "1.0.*", "\xFF\xFE", "1.0+", "99999999999999999999"}) {
        EXPECT_FALSE(all.contains(std::string_view(text))) << text;
    }
    EXPECT_TRUE(all.contains(std::string_view(" 1.0 ")));
    EXPECT_FALSE(VersionSet().contains(std::string_view("1.0")));
}

TEST(VersionSetContains, SearchesManyIntervals) {
    VersionSet set = set_of("!=1.1, !=1.3, !=1.5, !=1.7, !=1.9");
    EXPECT_EQ(set.intervals().size(), 6u);
    expect_membership({{"holes",
                        set,
                        {"1.0", "1.2", "1.4", "1.6", "1.8", "2.0", "1.1.post1"},
                        {"1.1", "1.3", "1.5", "1.7", "1.9", "1.9+local"}}});
}

TEST(VersionSetContains, LongListsOfExclusionsConvertInLinearithmicTime) {
    std::string specifiers = ">=0";
    for (int i = 0; i < 50000; ++i)
        specifiers += ",!=1." + std::to_string(i);
    VersionSet set = set_of(specifiers);
    EXPECT_EQ(set.intervals().size(), 50001u);
    expect_membership({{"many holes", set, {"1.1.1", "2.0"}, {"1.0", "1.49999"}}});
}

TEST(VersionSetOperations, CombineSetsAsSets) {
    VersionSet low = set_of(">=1.0, <2.0");
    VersionSet high = set_of(">=1.5, <3.0");
    VersionSet far = set_of(">=4");
    expect_membership({
        {"intersection", low.intersection(high), {"1.5", "1.9"}, {"1.4", "2.0", "2.5"}},
        {"union", low.union_with(high), {"1.0", "1.7", "2.9"}, {"0.9", "3.0"}},
        {"union of gaps", low.union_with(far), {"1.0", "4.0", "100"}, {"2.0", "3.5"}},
        {"difference", low.difference(high), {"1.0", "1.4.9"}, {"1.5", "1.9", "2.5"}},
        {"complement", low.complement(), {"0.9", "2.0", "1.0a1", "2.0a1"}, {"1.0", "1.99"}},
    });
    EXPECT_TRUE(low.is_disjoint(far));
    EXPECT_FALSE(low.is_disjoint(high));
    EXPECT_TRUE(set_of(">=1.2, <1.4").is_subset(low));
    EXPECT_FALSE(high.is_subset(low));
    EXPECT_TRUE(VersionSet().is_subset(low));
    EXPECT_TRUE(low.is_subset(VersionSet::full()));
}

TEST(VersionSetOperations, KeepTheirNormalForm) {
    using Kind = VersionSet::BoundKind;
    auto v = [](std::string_view text) { return std::get<Version>(parse_version(text)); };
    VersionSet first = VersionSet::interval({Kind::Included, v("1.0")}, {Kind::Excluded, v("2.0")});
    VersionSet second = VersionSet::interval({Kind::Included, v("2.0")}, {});
    EXPECT_EQ(first.union_with(second), set_of(">=1.0"));  // touching intervals merge into one
    // `<2.0` leaves out the pre-releases of 2.0, so the two do not touch.
    EXPECT_EQ(set_of(">=1.0, <2.0").union_with(second).intervals().size(), 2u);
    VersionSet low = set_of(">=1.0, <2.0");
    EXPECT_EQ(low.complement().complement(), low);
    EXPECT_EQ(VersionSet().complement(), VersionSet::full());
    EXPECT_TRUE(VersionSet::full().complement().is_empty());
    EXPECT_TRUE(low.intersection(low.complement()).is_empty());
    EXPECT_EQ(low.union_with(low.complement()), VersionSet::full());
    EXPECT_TRUE(set_of(">2, <1").is_empty());
    EXPECT_EQ(set_of("==1.0").intervals().size(), 1u);
}

TEST(VersionSetOperations, IntersectionOfManyIsTheFoldedIntersection) {
    const char* operators[] = {">=", ">", "<=", "<", "==", "!=", "~=", "==*", "!=*"};
    const char* versions[] = {"1.0", "1.1", "1.1.1", "1.1a1", "1.1.post1", "2.0", "2.0.dev0"};
    std::minstd_rand random(17);
    auto pick = [&](std::size_t size) { return static_cast<std::size_t>(random() % size); };
    for (int round = 0; round < 400; ++round) {
        std::vector<VersionSet> sets;
        for (std::size_t n = pick(6); sets.size() < n;) {
            std::string op = operators[pick(std::size(operators))];
            const bool wildcard = op.ends_with('*');
            if (wildcard) op.pop_back();
            std::string version = versions[pick(wildcard ? 3 : std::size(versions))];
            sets.push_back(set_of(op + version + (wildcard ? ".*" : "") + ", !=1.1.1"));
        }
        VersionSet folded = VersionSet::full();
        for (const VersionSet& set : sets)
            folded = folded.intersection(set);
        EXPECT_EQ(VersionSet::intersection_of(sets), folded) << round;
    }
    EXPECT_EQ(VersionSet::intersection_of({}), VersionSet::full());
}

TEST(ReleaseSet, IgnoresEverythingButTheRelease) {
    auto release_set = [](std::string_view specifiers) {
        return to_release_set(std::get<std::vector<Specifier>>(parse_specifiers(specifiers)));
    };
    expect_membership({
        {">=3.9rc1", release_set(">=3.9rc1"), {"3.9", "3.10"}, {"3.8.99"}},
        {"==3.10.*", release_set("==3.10.*"), {"3.10", "3.10.7"}, {"3.11", "3.9"}},
        {"~=3.8", release_set("~=3.8"), {"3.8", "3.12"}, {"4.0", "3.7"}},
        {"!=3.9", release_set("!=3.9"), {"3.8", "3.9.1"}, {"3.9", "3.9.0"}},
        {"<=3.11.post1", release_set("<=3.11.post1"), {"3.11"}, {"3.11.1"}},
    });
}

}  // namespace
}  // namespace tarnvik::pep440
