#include "rules/ty.hpp"

namespace tarnvik::rules::ty {

void check_ty(Checker& /*checker*/, const document::Table& /*root*/) {}

}  // namespace tarnvik::rules::ty
