#pragma once

#include "checker.hpp"
#include "tarnvik/document.hpp"

namespace tarnvik::rules::compatibility {

void collect_usages(Checker& checker, const document::Table& root);

}  // namespace tarnvik::rules::compatibility
