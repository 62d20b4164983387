#include "rules/project_checks.hpp"

namespace tarnvik::rules::project {

void check_classifiers(Checker& /*checker*/, const document::Table& /*project*/) {}

}  // namespace tarnvik::rules::project
