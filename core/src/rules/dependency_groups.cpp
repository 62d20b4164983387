#include "tarnvik/rules/dependency_groups.hpp"

namespace tarnvik::rules::dependency_groups {

void check_dependency_groups(Checker& /*checker*/, const document::Table& /*root*/) {}

}  // namespace tarnvik::rules::dependency_groups
