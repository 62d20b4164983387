#pragma once

#include "checker.hpp"
#include "tarnvik/document.hpp"

namespace tarnvik::rules::ty {

void check_ty(Checker& checker, const document::Table& root);

}  // namespace tarnvik::rules::ty
