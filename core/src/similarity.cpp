#include "similarity.hpp"

#include <algorithm>
#include <numeric>
#include <vector>

#include "tarnvik/text.hpp"

namespace tarnvik::similarity {

namespace {

constexpr double WINKLER_THRESHOLD = 0.7;
constexpr double WINKLER_SCALE = 0.1;
constexpr std::size_t WINKLER_MAX_PREFIX = 4;

using Scalars = std::vector<char32_t>;

double jaro(const Scalars& a, const Scalars& b) {
    if (a.empty() && b.empty()) return 1.0;
    if (a.empty() || b.empty()) return 0.0;

    std::size_t window = std::max(a.size(), b.size()) / 2;
    window = window > 0 ? window - 1 : 0;
    std::vector<bool> a_matched(a.size()), b_matched(b.size());
    std::size_t matches = 0;
    // Each character of `a` matches the first unmatched equal character of `b` within the
    // window. `b`'s positions sorted by character make the unmatched positions of one character
    // a run whose front only moves forward (the window's low end never goes back), so no window
    // is scanned and long texts cost no more than sorting.
    std::vector<std::pair<char32_t, std::size_t>> by_char(b.size());
    for (std::size_t j = 0; j < b.size(); ++j)
        by_char[j] = {b[j], j};
    std::sort(by_char.begin(), by_char.end());
    std::vector<std::size_t> front(b.size());
    std::iota(front.begin(), front.end(), std::size_t{0});
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto run =
            std::lower_bound(by_char.begin(), by_char.end(), std::pair{a[i], std::size_t{0}});
        if (run == by_char.end() || run->first != a[i]) continue;
        std::size_t& next = front[static_cast<std::size_t>(run - by_char.begin())];
        std::size_t low = i > window ? i - window : 0;
        std::size_t high = std::min(b.size(), i + window + 1);
        auto same = [&](std::size_t k) { return k < by_char.size() && by_char[k].first == a[i]; };
        while (same(next) && by_char[next].second < low)
            ++next;
        if (!same(next) || by_char[next].second >= high) continue;
        a_matched[i] = b_matched[by_char[next].second] = true;
        ++matches;
        ++next;
    }
    if (matches == 0) return 0.0;

    // Matched characters of both texts, paired in order; each pair that differs is half a
    // transposition.
    std::size_t half_transpositions = 0;
    std::size_t j = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!a_matched[i]) continue;
        while (!b_matched[j])
            ++j;
        if (a[i] != b[j]) ++half_transpositions;
        ++j;
    }
    double m = static_cast<double>(matches);
    double transpositions = static_cast<double>(half_transpositions / 2);
    return (m / static_cast<double>(a.size()) + m / static_cast<double>(b.size()) +
            (m - transpositions) / m) /
           3.0;
}

std::size_t common_prefix(const Scalars& a, const Scalars& b) {
    std::size_t limit = std::min({a.size(), b.size(), WINKLER_MAX_PREFIX});
    std::size_t n = 0;
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

// The length of the UTF-8 sequence that starts the text (0 for an empty text).
std::size_t first_scalar_size(std::string_view text) {
    std::size_t size = text.empty() ? 0 : 1;
    while (size < text.size() && text::is_utf8_continuation(text[size]))
        ++size;
    return size;
}

}  // namespace

double jaro(std::string_view a, std::string_view b) {
    return jaro(text::scalars(a), text::scalars(b));
}

double jaro_winkler(std::string_view a, std::string_view b) {
    Scalars x = text::scalars(a), y = text::scalars(b);
    double similarity = jaro(x, y);
    if (similarity <= WINKLER_THRESHOLD) return similarity;
    double prefix = static_cast<double>(common_prefix(x, y));
    return similarity + WINKLER_SCALE * prefix * (1.0 - similarity);
}

double jaro_winkler_limit(std::size_t a_length, std::size_t b_length) {
    return jaro_winkler_bound(std::min(a_length, b_length), a_length, b_length);
}

double jaro_winkler_bound(std::size_t common, std::size_t a_length, std::size_t b_length) {
    if (a_length == 0 || b_length == 0) return a_length == b_length ? 1.0 : 0.0;
    const std::size_t matches = std::min({common, a_length, b_length});
    if (matches == 0) return 0.0;
    // Every match counted, no transposition.
    const double m = static_cast<double>(matches);
    const double jaro =
        (m / static_cast<double>(a_length) + m / static_cast<double>(b_length) + 1.0) / 3.0;
    if (jaro <= WINKLER_THRESHOLD) return jaro;
    return jaro + WINKLER_SCALE * static_cast<double>(WINKLER_MAX_PREFIX) * (1.0 - jaro);
}

std::size_t levenshtein(std::string_view a, std::string_view b) {
    Scalars x = text::scalars(a), y = text::scalars(b);
    // One row of the edit-distance table at a time.
    std::vector<std::size_t> row(y.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= x.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= y.size(); ++j) {
            std::size_t above = row[j];
            std::size_t substitution = diagonal + (x[i - 1] == y[j - 1] ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row[y.size()];
}

bool within_one_edit(std::string_view a, std::string_view b) {
    // One edit may as well be made at the first scalar value where the texts differ; equal
    // scalar values are equal bytes, so the rest is compared byte-wise.
    std::size_t same = static_cast<std::size_t>(std::ranges::mismatch(a, b).in1 - a.begin());
    while (same > 0 && same < a.size() && text::is_utf8_continuation(a[same]))
        --same;
    while (same > 0 && same < b.size() && text::is_utf8_continuation(b[same]))
        --same;
    const std::string_view x = a.substr(same), y = b.substr(same);
    if (x == y) return true;
    const std::string_view x_rest = x.substr(first_scalar_size(x));
    const std::string_view y_rest = y.substr(first_scalar_size(y));
    return x_rest == y_rest || x_rest == y || x == y_rest;
}

}  // namespace tarnvik::similarity
