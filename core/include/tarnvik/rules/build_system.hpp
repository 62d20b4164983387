#pragma once

#include "tarnvik/checker.hpp"
#include "tarnvik/document.hpp"

namespace tarnvik {

void check_build_system(Checker& checker, const document::Table& root);

}  // namespace tarnvik
