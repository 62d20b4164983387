#pragma once

#include "checker.hpp"
#include "rules/tool.hpp"
#include "tarnvik/document.hpp"

// What `[tool.uv]` says across the project file: sources, default groups, per-group settings,
// conflicts and indexes that name packages, extras, groups or indexes the project lacks.
namespace tarnvik::rules::uv {

// For candidates with releases; every section is judged against the newest of them.
void check_uv_settings(Checker& checker, const tool::Candidates& candidates,
                       const document::Table& root, const document::Table& uv);

}  // namespace tarnvik::rules::uv
