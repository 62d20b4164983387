#pragma once

#include <string_view>

#include "generated/ty.hpp"

// ty's descriptor `ty::TY` and its lint rules; releases are indices into TY's releases.
namespace tarnvik::ty {

// The rule of exactly this name (byte for byte), or null.
const Rule* rule(std::string_view name);

}  // namespace tarnvik::ty
