#include "knowledge/spdx.hpp"

#include <algorithm>

#include "ascii.hpp"

namespace tarnvik::spdx {

const License* find_license(std::string_view id) {
    auto it =
        std::lower_bound(std::begin(LICENSES), std::end(LICENSES), id,
                         [](const License& row, std::string_view key) { return row.id < key; });
    return it != std::end(LICENSES) && it->id == id ? &*it : nullptr;
}

bool is_exception(std::string_view id) {
    return std::binary_search(std::begin(EXCEPTIONS), std::end(EXCEPTIONS), id);
}

std::optional<ImpreciseMatch> imprecise_name_at_start(std::string_view text) {
    for (const ImpreciseName& row : IMPRECISE_NAMES) {
        if (ascii::equal_ignoring_case(text.substr(0, row.name.size()), row.name))
            return ImpreciseMatch{row.name.size(), &LICENSES[row.license]};
    }
    return std::nullopt;
}

}  // namespace tarnvik::spdx
