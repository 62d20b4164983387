#pragma once

#include "checker.hpp"
#include "tarnvik/document.hpp"
#include "tarnvik/span.hpp"

// `[tool.uv.build-backend]`: settings of the uv_build backend, which mean something only when
// `[build-system]` selects it, checked against the uv_build releases `build-system.requires`
// allows.
namespace tarnvik::rules::uv {

// `uv` is the `[tool.uv]` table, held by the value at `uv_span`.
void check_build_backend(Checker& checker, const document::Table& root, const document::Table& uv,
                         Span uv_span);

}  // namespace tarnvik::rules::uv
