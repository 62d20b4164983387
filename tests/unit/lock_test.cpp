#include "tarnvik/lock.hpp"

#include <gtest/gtest.h>

#include <variant>

#include "tarnvik/parse.hpp"

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

TEST(LockProjectName, ReadsProjectNameAsWrittenFromStrictlyValidToml) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"[project]\nname = \"My_Pkg\"\n", "My_Pkg"},
        {"[project]\nversion = \"1\"\nname = 'x'\n", "x"},
        {"project = { name = \"inline\" }\n", "inline"},
        {"project.name = \"dotted\"\n", "dotted"},
        {"[project]\nname = \"-not valid-\"\n", "-not valid-"},
        {"[project]\nname = 3\n", std::nullopt},
        {"[project]\nversion = \"1\"\n", std::nullopt},
        {"[project]\n", std::nullopt},
        {"project = \"x\"\n", std::nullopt},
        {"[tool]\nname = \"x\"\n", std::nullopt},
        {"name = \"x\"\n", std::nullopt},
        {"", std::nullopt},
        {"[project]\nname = \"x\"\n[broken\n", std::nullopt},
        {"[project]\nname = \"x\"\nname = \"y\"\n", std::nullopt},
        {"[project]\nname = \"x\"\nn = 9223372036854775808\n", "x"},
        {"\xEF\xBB\xBF[project]\nname = \"bom\"\n", "bom"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(lock::project_name(text), expected) << text;
}

TEST(LockIsLocal, SourceTableWithVirtualDirectoryOrEditable) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"source = { editable = \".\" }", true},
        {"source = { virtual = \".\" }", true},
        {"source = { directory = \"../lib\" }", true},
        {"source = { editable = false }", true},
        {"source = { registry = \"https://pypi.org/simple\" }", false},
        {"source = { git = \"https://example.com/x\" }", false},
        {"source = {}", false},
        {"source = \"editable\"", false},
        {"editable = \".\"", false},
        {"name = \"x\"", false},
    };
    for (const auto& [text, expected] : cases) {
        auto parsed = parse::parse_strict(text);
        const auto* table = std::get_if<document::Table>(&parsed);
        ASSERT_NE(table, nullptr) << text;
        EXPECT_EQ(lock::is_local(*table), expected) << text;
    }
}

}  // namespace
}  // namespace tarnvik
