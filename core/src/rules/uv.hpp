#pragma once

#include "checker.hpp"
#include "tarnvik/document.hpp"

namespace tarnvik::rules::uv {

void check_uv(Checker& checker, const document::Table& root);

}  // namespace tarnvik::rules::uv
