#include "tarnvik/rules/build_system.hpp"

namespace tarnvik {

void check_build_system(Checker& /*checker*/, const document::Table& /*root*/) {}

}  // namespace tarnvik
