#include "rules/compatibility.hpp"

namespace tarnvik::rules::compatibility {

void collect_usages(Checker& /*checker*/, const document::Table& /*root*/) {}

}  // namespace tarnvik::rules::compatibility
