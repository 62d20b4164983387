#include "tarnvik/lock.hpp"

#include <gtest/gtest.h>

namespace tarnvik {
namespace {

using Versions = std::vector<std::string>;

lock::Lock sample_lock() {
    return lock::Lock{
        "uv.lock", {"my-pkg", "tool-x"}, {{"ruff", {"0.4.0", "0.5.1"}}, {"ty", {"0.0.1"}}}};
}

TEST(LockVersions, NormalizesTheNameAndAnswersEmptyOtherwise) {
    const lock::Lock lock = sample_lock();
    const std::vector<std::pair<std::string, Versions>> cases = {
        {"ruff", {"0.4.0", "0.5.1"}},
        {"Ruff", {"0.4.0", "0.5.1"}},
        {"RUFF", {"0.4.0", "0.5.1"}},
        {"ty", {"0.0.1"}},
        {"TY", {"0.0.1"}},
        {"", {}},
        {"-ruff", {}},
        {"ruff ", {}},
        {"black", {}},
        {"ruf", {}},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(lock.versions(name), expected) << name;
    EXPECT_TRUE(lock::Lock{}.versions("ruff").empty());
}

TEST(LockHasLocalPackage, ComparesNormalizedNames) {
    const lock::Lock lock = sample_lock();
    const std::vector<std::pair<std::string, bool>> cases = {
        {"my-pkg", true}, {"My_Pkg", true}, {"MY.PKG", true}, {"my__pkg", true},  {"tool_x", true},
        {"my-pk", false}, {"ruff", false},  {"", false},      {"-my-pkg", false}, {"my pkg", false},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(lock.has_local_package(name), expected) << name;
    }
}

}  // namespace
}  // namespace tarnvik
