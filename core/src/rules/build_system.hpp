#pragma once

#include "checker.hpp"
#include "tarnvik/document.hpp"

namespace tarnvik::rules::build_system {

void check_build_system(Checker& checker, const document::Table& root);

}  // namespace tarnvik::rules::build_system
