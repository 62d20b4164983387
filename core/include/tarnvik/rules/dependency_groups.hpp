#pragma once

#include "tarnvik/checker.hpp"
#include "tarnvik/document.hpp"

namespace tarnvik::rules::dependency_groups {

void check_dependency_groups(Checker& checker, const document::Table& root);

}  // namespace tarnvik::rules::dependency_groups
