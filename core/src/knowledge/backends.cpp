#include "knowledge/backends.hpp"

namespace tarnvik::backends {

std::string_view feature_name(Feature feature) {
    return FEATURE_NAMES[static_cast<std::size_t>(feature)];
}

const Backend* by_reference(std::string_view reference) {
    const std::string_view module = reference.substr(0, reference.find(':'));
    for (const Backend& backend : BACKENDS) {
        if (backend.module == module) return &backend;
    }
    return nullptr;
}

}  // namespace tarnvik::backends
