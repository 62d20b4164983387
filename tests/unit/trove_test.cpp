#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "knowledge/trove.hpp"

namespace tarnvik::trove {
namespace {

TEST(Trove, TablesAreSortedForBinarySearch) {
    const std::span<const std::string_view> known = classifiers();
    EXPECT_TRUE(std::is_sorted(known.begin(), known.end()));
    EXPECT_EQ(std::adjacent_find(known.begin(), known.end()), known.end());
    EXPECT_EQ(known.front(), "Development Status :: 1 - Planning");
    EXPECT_EQ(known.back(), "Typing :: Typed");
    // The similarity search bounds its work on the assumption that every row is ASCII.
    for (std::string_view row : known)
        EXPECT_TRUE(std::all_of(row.begin(), row.end(), [](char c) { return c > 0; })) << row;
    EXPECT_TRUE(std::is_sorted(std::begin(DEPRECATED), std::end(DEPRECATED),
                               [](const DeprecatedRow& a, const DeprecatedRow& b) {
                                   return a.classifier < b.classifier;
                               }));
    for (const DeprecatedRow& row : DEPRECATED) {
        EXPECT_EQ(lookup(row.classifier).kind, Status::Deprecated) << row.classifier;
        for (std::string_view replacement : lookup(row.classifier).replacements)
            EXPECT_EQ(lookup(replacement).kind, Status::Known) << replacement;
    }
}

TEST(Trove, HoldsThePythonVersionRows) {
    std::vector<std::string> versions = {"2", "2 :: Only", "3", "3 :: Only"};
    for (int minor = 3; minor <= 7; ++minor)
        versions.push_back("2." + std::to_string(minor));
    for (int minor = 0; minor <= 16; ++minor)
        versions.push_back("3." + std::to_string(minor));
    for (const std::string& version : versions)
        EXPECT_EQ(lookup("Programming Language :: Python :: " + version).kind, Status::Known)
            << version;
}

TEST(Trove, LooksUpEachKind) {
    const std::vector<std::pair<std::string, Status::Kind>> cases = {
        {"Development Status :: 1 - Planning", Status::Known},
        {"Typing :: Typed", Status::Known},
        {"Operating System :: Microsoft :: Windows :: Windows Vista", Status::Known},
        {"Private :: Do Not Upload", Status::Private},
        {"Private ::", Status::Private},
        {"Private::x", Status::Unknown},
        {"Private", Status::Unknown},
        {"Natural Language :: Ukranian", Status::Deprecated},
        {"Topic :: Communications :: Chat :: AOL Instant Messenger", Status::Deprecated},
        {"Development Status :: 5 - Production/stable", Status::Unknown},
        {"Development Status", Status::Unknown},
        {"", Status::Unknown},
        {"Typing :: Typed ", Status::Unknown},
    };
    for (const auto& [classifier, kind] : cases)
        EXPECT_EQ(lookup(classifier).kind, kind) << classifier;
}

TEST(Trove, GivesTheReplacementsOfDeprecatedRows) {
    const std::vector<std::pair<std::string, std::vector<std::string_view>>> cases = {
        {"Natural Language :: Ukranian", {"Natural Language :: Ukrainian"}},
        {"Framework :: Django CMS :: 4.2", {"Framework :: Django CMS :: 5.0"}},
        {"License :: OSI Approved :: X.Net License", {}},
    };
    for (const auto& [classifier, replacements] : cases) {
        Status status = lookup(classifier);
        EXPECT_EQ(
            std::vector<std::string_view>(status.replacements.begin(), status.replacements.end()),
            replacements)
            << classifier;
    }
}

}  // namespace
}  // namespace tarnvik::trove
