#pragma once

#include "checker.hpp"
#include "tarnvik/document.hpp"

// Newer metadata in `[project]` against the build backend releases `[build-system]` allows.
namespace tarnvik::rules::compatibility {

void check_compatibility(Checker& checker, const document::Table& root);

}  // namespace tarnvik::rules::compatibility
