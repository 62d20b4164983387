#pragma once

#include <string_view>

#include "checker.hpp"
#include "rules/tool.hpp"
#include "tarnvik/document.hpp"

// `[tool.uv]` against the uv releases the project allows, then `[tool.uv.build-backend]`
// against the uv_build releases `[build-system]` allows.
namespace tarnvik::rules::uv {

void check_uv(Checker& checker, const document::Table& root);

// The walk of `[tool.uv]` leaves `build-backend` to the uv_build walk.
class UvChecks : public tool::Extension {
  public:
    bool skips(std::string_view key) override;
};

}  // namespace tarnvik::rules::uv
