#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "checker.hpp"
#include "knowledge/tool.hpp"
#include "tarnvik/diagnostic.hpp"
#include "tarnvik/document.hpp"
#include "tarnvik/span.hpp"
#include "tarnvik/standards.hpp"

// The releases of a tool that the project allows, worked out from the tool's version setting,
// the requirements on its package and the lock file, and the texts that tell the user which
// releases a table was checked against.
namespace tarnvik::rules::tool {

using Tool = ::tarnvik::tool::Tool;
using ToolOption = ::tarnvik::tool::ToolOption;
using Release = ::tarnvik::tool::Release;

// The lock decides: every locked version is one the requirements allow.
struct Locked {
    std::string lock;  // the lock file's display name
};

// The requirements on the package decide.
struct Requirements {
    // The lock's display name when it locks a version that no requirement allows.
    std::optional<std::string> out_of_date_lock;
};

// One setting alone decides, such as `tool.uv.required-version`.
struct Setting {
    std::string name;  // dotted
};

// Nothing states a version: the newest known release is used.
struct Latest {};

using VersionSource = std::variant<Locked, Requirements, Setting, Latest>;

struct Candidates {
    // Where the project pins the versions: the version setting's value or the first requirement.
    std::optional<Span> source_span;
    VersionSource source;
    std::vector<Release> releases;  // ascending, no duplicates; may be empty
    // Locked versions that are not valid versions or not releases the tool's descriptor knows.
    std::vector<std::string> unknown_locked;
    const Tool& tool;

    // The record of the given releases, sorted and without duplicates.
    static Candidates create(const Tool& tool, std::vector<Release> releases,
                             std::optional<Span> source_span, VersionSource source);

    // Only for a record with releases.
    Release newest() const { return releases.back(); }
};

// The releases of `tool` the project allows. `package` is the tool's normalized package name
// (requirements and lock are looked at only with one); `version_key` names the tool's own
// version setting in `tool_table`. An invalid version setting is reported and ignored.
Candidates candidates(Checker& checker, const Tool& tool, const document::Table& root,
                      const document::Table& tool_table, std::optional<std::string_view> package,
                      std::optional<std::string_view> version_key);

// The releases of `tool` that the set holds, ascending.
std::vector<Release> releases_in(const Tool& tool, const standards::VersionSet& set);

// The warning that the tool's table was not checked, for candidates without releases. `table`
// names the table left unchecked when it is not the tool's own, such as
// "`[tool.uv.build-backend]`".
void report_unchecked(Checker& checker, const Candidates& candidates, Span span,
                      std::optional<std::string_view> table = std::nullopt);

// Gives every diagnostic from index `first` on that has no note the note naming the releases
// the table was checked against.
void checked_against_note(const Candidates& candidates, std::vector<Diagnostic>& diagnostics,
                          std::size_t first);

}  // namespace tarnvik::rules::tool
