#pragma once

#include <string_view>

#include "generated/backends.hpp"

// The build backends whose support of newer metadata features is known.
namespace tarnvik::backends {

// The feature as messages name it, e.g. "`project.license-files`".
std::string_view feature_name(Feature feature);

// The backend whose module equals the reference up to its first ":", or null.
const Backend* by_reference(std::string_view reference);

}  // namespace tarnvik::backends
