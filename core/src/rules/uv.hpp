#pragma once

#include "checker.hpp"
#include "tarnvik/document.hpp"

// `[tool.uv]` against the uv releases the project allows, then `[tool.uv.build-backend]`
// against the uv_build releases `[build-system]` allows.
namespace tarnvik::rules::uv {

void check_uv(Checker& checker, const document::Table& root);

}  // namespace tarnvik::rules::uv
