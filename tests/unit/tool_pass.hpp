#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "checked_findings.hpp"
#include "knowledge/ruff.hpp"
#include "knowledge/ty.hpp"
#include "knowledge/uv.hpp"
#include "rules/tool.hpp"
#include "tarnvik/check.hpp"
#include "tarnvik/lock.hpp"
#include "tarnvik/parse.hpp"

// A stand-in for a tool pass: the road every pass runs (allowed releases, the report of an
// unchecked table or the walk, the closing note) over a small document, so that the walk is
// tested on the real descriptors.
namespace tarnvik::testing_support {

using rules::tool::Candidates;
using rules::tool::Extension;

// The lock the program reads from a `uv.lock` beside the project file.
inline lock::Lock uv_lock(std::string_view text) {
    auto loaded = lock::load_lock(lock::LockKind::UvLock, "uv.lock", text);
    EXPECT_TRUE(std::holds_alternative<lock::Loaded>(loaded));
    return std::get<lock::Loaded>(std::move(loaded)).lock;
}

// A `uv.lock` locking the package at each version.
inline std::string locking(std::string_view package, std::vector<std::string_view> versions) {
    std::string text = "version = 1\n";
    for (std::string_view version : versions) {
        text += "[[package]]\nname = \"" + std::string(package) + "\"\nversion = \"" +
                std::string(version) + "\"\nsource = { registry = \"https://pypi.org/simple\" }\n";
    }
    return text;
}

// How a pass looks up its tool's releases.
struct PassSetup {
    const tool::Tool& tool;
    std::optional<std::string_view> package;
    std::optional<std::string_view> version_key;
};

inline const PassSetup RUFF_PASS{ruff::RUFF, "ruff", "required-version"};
inline const PassSetup TY_PASS{ty::TY, "ty", std::nullopt};
inline const PassSetup UV_PASS{uv::UV, std::nullopt, "required-version"};

// The entry of the tool's table, following its dotted path from the root.
inline const document::Entry* tool_entry(const document::Table& root, std::string_view path) {
    const document::Table* table = &root;
    const document::Entry* entry = nullptr;
    while (table) {
        const std::size_t dot = path.find('.');
        entry = document::get(*table, path.substr(0, dot));
        if (!entry || dot == std::string_view::npos) return entry;
        table = entry->value.as_table();
        path.remove_prefix(dot + 1);
    }
    return nullptr;
}

// The findings of the pass; without `notes`, the closing notes are left out.
inline std::vector<std::string> run_pass(const PassSetup& setup, const std::string& toml,
                                         const lock::Lock* lock = nullptr,
                                         Extension* extension = nullptr, bool notes = true) {
    auto [root, errors] = parse::parse(toml);
    if (!errors.empty()) return {"parse error: " + errors.front().message};
    Checker checker{{}, toml, lock};
    const document::Entry* entry = tool_entry(root, setup.tool.table);
    if (!entry || !entry->value.as_table()) return {"no tool table"};
    const document::Table& table = *entry->value.as_table();
    Candidates candidates =
        rules::tool::candidates(checker, setup.tool, root, table, setup.package, setup.version_key);
    if (candidates.releases.empty()) {
        rules::tool::report_unchecked(checker, candidates, entry->key_span);
    } else {
        Extension none;
        const std::size_t first = checker.diagnostics.size();
        rules::tool::check_table(candidates, checker, extension ? *extension : none, table,
                                 entry->value.span, "");
        if (notes) rules::tool::checked_against_note(candidates, checker.diagnostics, first);
    }
    return describe_all(toml, checker.diagnostics);
}

// The findings of a whole check, without their closing notes.
inline std::vector<std::string> checked(const std::string& toml, const lock::Lock* lock = nullptr) {
    const CheckResult result = check_with_lock(toml, lock);
    std::vector<std::string> lines;
    for (Diagnostic diagnostic : result.diagnostics) {
        diagnostic.note.reset();
        lines.push_back(describe(result.source, diagnostic));
    }
    return lines;
}

}  // namespace tarnvik::testing_support
