#pragma once

#include "checker.hpp"
#include "tarnvik/document.hpp"

namespace tarnvik::rules::project {

void check_project(Checker& checker, const document::Table& root);

}  // namespace tarnvik::rules::project
