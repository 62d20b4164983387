#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "checker.hpp"
#include "rules/tool.hpp"
#include "tarnvik/diagnostic.hpp"
#include "tarnvik/document.hpp"
#include "tarnvik/span.hpp"

// What `[tool.uv]` says across the project file: sources, default groups, per-group settings,
// conflicts and indexes that name packages, extras, groups or indexes the project lacks.
namespace tarnvik::rules::uv {

// For candidates with releases; every section is judged against the newest of them.
void check_uv_settings(Checker& checker, const tool::Candidates& candidates,
                       const document::Table& root, const document::Table& uv);

// A name that should refer to something the project defines.
struct Reference {
    std::string_view kind;  // "index", "extra" or "dependency group"
    std::string_view name;  // as written
    Span span;              // of the value (or key) that holds it
};

// True: no rename onto this suggested name.
using Withheld = std::function<bool(std::string_view suggestion)>;

// "undefined {kind} `{name}`", with the closest of `names` suggested and, unless withheld, an
// unsafe rename to it.
Diagnostic report_undefined(std::string_view source, const Reference& reference,
                            std::span<const std::string> names, std::string_view help,
                            const Withheld& withheld = {});

// A finding that uv rejects from `release` on: an error only when every allowed release is that
// one or later, else a warning.
Diagnostic rejected_from(const tool::Candidates& candidates, std::string_view release,
                         Diagnostic diagnostic);

// "`a`", "`a` and `b`", "`a`, `b`, and `c`".
std::string english_list(std::span<const std::string_view> names);

// Whether the name is valid and its normal form is in the sorted set of normal forms.
bool contains_normalized(std::span<const std::string> set, std::string_view name);

}  // namespace tarnvik::rules::uv
