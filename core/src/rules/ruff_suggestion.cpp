#include <array>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "rules/ruff_checks.hpp"
#include "similarity.hpp"
#include "tarnvik/text.hpp"

// The suggestion for a rule selector that no allowed release knows.
namespace tarnvik::rules::ruff {

namespace {

std::string to_upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// Below the similarity that `closest_name` asks for, so that no code it would take is left out.
constexpr double CLOSE_ENOUGH = 0.8;

// The codes whose similarity to the text may reach `closest_name`'s threshold: a bound from the
// characters they have in common spares computing it for the many that cannot.
std::vector<std::string_view> could_be_close(std::string_view text,
                                             const std::vector<std::string_view>& codes) {
    // The text as `closest_name` compares it; characters beyond ASCII match no code.
    std::array<std::size_t, 128> counts{};
    for (const char c : normalize_for_suggestion(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 128) ++counts[byte];
    }
    const std::size_t length = text::scalar_count(text);
    std::vector<std::string_view> close;
    for (std::string_view code : codes) {
        std::array<std::uint8_t, 128> used{};
        std::size_t common = 0;
        for (const char c : code) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 128 && used[byte] < counts[byte]) {
                ++used[byte];
                ++common;
            }
        }
        if (similarity::jaro_winkler_bound(common, length, code.size()) >= CLOSE_ENOUGH) {
            close.push_back(code);
        }
    }
    return close;
}

}  // namespace

std::optional<std::string_view> SelectorSuggestions::search(std::string_view text) {
    if (codes_.empty()) {
        // Rule names are left out: a misspelt code should not become a name.
        for (const ::tarnvik::ruff::SelectorRow row : ::tarnvik::ruff::selectors()) {
            if (!is_rule_name(row.selector) && row.accepted_in(newest_)) {
                codes_.push_back(row.selector);
            }
        }
    }
    // A code one edit away, whatever the case of its letters; codes of the same length first,
    // then in byte order, so that the distance itself does not rank them.
    const std::string upper = to_upper(text);
    const std::size_t length = text::scalar_count(upper);
    std::optional<std::string_view> nearest;
    std::tuple<bool, std::string_view> nearest_rank;
    for (std::string_view code : codes_) {
        if (!similarity::within_one_edit(upper, code)) continue;
        const std::tuple<bool, std::string_view> rank{code.size() != length, code};
        if (!nearest || rank < nearest_rank) {
            nearest = code;
            nearest_rank = rank;
        }
    }
    if (nearest) return nearest;
    return closest_name(text, could_be_close(text, codes_));
}

}  // namespace tarnvik::rules::ruff
