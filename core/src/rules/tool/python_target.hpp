#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "checker.hpp"
#include "rules/tool/candidates.hpp"
#include "tarnvik/document.hpp"

// A tool's Python target setting against the project's `requires-python`.
namespace tarnvik::rules::tool {

// The setting that names the Python 3 minor version a tool targets.
struct PythonTarget {
    std::string_view key;  // dotted, relative to the tool's table
    const document::Value& value;
    std::uint64_t minor;
};

// The minor version of a target written as `spelling` followed by an unsigned decimal number
// (an optional "+", then digits, within 64 bits), such as "py310" after "py3"; none otherwise.
std::optional<std::uint64_t> minor_after(std::string_view spelling, std::string_view text);

// How the setting spells a Python 3 minor version, such as "py310" or "3.10".
using MinorSpelling = std::string (*)(std::uint64_t minor);

// Warns when `requires-python` allows a Python 3 minor version older than the target (from 3.7
// on); `lead` begins the help, such as "Ruff may suggest code that needs".
void check_python_target(Checker& checker, const document::Table& root,
                         const Candidates& candidates, const PythonTarget& target,
                         MinorSpelling spelling, std::string_view lead);

// The lowest Python 3 minor version from `from` up to, not including, `below` that the
// specifiers admit; none when there is none or the specifiers are not valid.
std::optional<std::uint64_t> lowest_admitted_minor(std::string_view specifiers, std::uint64_t from,
                                                   std::uint64_t below);

}  // namespace tarnvik::rules::tool
