#pragma once

#include "checker.hpp"
#include "tarnvik/document.hpp"

namespace tarnvik::rules::ruff {

void check_ruff(Checker& checker, const document::Table& root);

}  // namespace tarnvik::rules::ruff
