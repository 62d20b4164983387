#include "rules/ruff.hpp"

namespace tarnvik::rules::ruff {

void check_ruff(Checker& /*checker*/, const document::Table& /*root*/) {}

}  // namespace tarnvik::rules::ruff
