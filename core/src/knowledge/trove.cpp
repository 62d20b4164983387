#include "knowledge/trove.hpp"

#include <algorithm>

namespace tarnvik::trove {

Status lookup(std::string_view classifier) {
    if (std::binary_search(std::begin(CLASSIFIERS), std::end(CLASSIFIERS), classifier))
        return {Status::Known};
    // Private classifiers keep a project off the public index, which is their purpose.
    if (classifier.starts_with("Private ::")) return {Status::Private};
    auto row = std::lower_bound(
        std::begin(DEPRECATED), std::end(DEPRECATED), classifier,
        [](const DeprecatedRow& r, std::string_view key) { return r.classifier < key; });
    if (row != std::end(DEPRECATED) && row->classifier == classifier)
        return {Status::Deprecated, std::span<const std::string_view>(REPLACEMENTS)
                                        .subspan(row->first_replacement, row->replacement_count)};
    return {Status::Unknown};
}

std::span<const std::string_view> classifiers() {
    return CLASSIFIERS;
}

}  // namespace tarnvik::trove
