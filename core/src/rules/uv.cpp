#include "rules/uv.hpp"

namespace tarnvik::rules::uv {

void check_uv(Checker& /*checker*/, const document::Table& /*root*/) {}

}  // namespace tarnvik::rules::uv
