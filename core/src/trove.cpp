#include "tarnvik/trove.hpp"

#include <algorithm>

namespace tarnvik::trove {

Status lookup(std::string_view classifier) {
    if (std::binary_search(CLASSIFIERS.begin(), CLASSIFIERS.end(), classifier))
        return {Status::Known};
    // Private classifiers keep a project off the public index, which is their purpose.
    if (classifier.starts_with("Private ::")) return {Status::Private};
    auto row = std::lower_bound(
        DEPRECATED.begin(), DEPRECATED.end(), classifier,
        [](const DeprecatedRow& r, std::string_view key) { return r.classifier < key; });
    if (row != DEPRECATED.end() && row->classifier == classifier)
        return {Status::Deprecated, row->replacements};
    return {Status::Unknown};
}

}  // namespace tarnvik::trove
