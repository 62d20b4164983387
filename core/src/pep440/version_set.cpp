#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "tarnvik/pep440.hpp"

namespace tarnvik::pep440 {
namespace {

using Bound = VersionSet::Bound;
using BoundKind = VersionSet::BoundKind;
using Interval = VersionSet::Interval;

Bound flip(const Bound& bound) {
    if (bound.kind == BoundKind::Unbounded) return bound;
    BoundKind kind = bound.kind == BoundKind::Included ? BoundKind::Excluded : BoundKind::Included;
    return Bound{kind, bound.version};
}

// Start bounds: unbounded first; at one version an included start comes before an excluded one.
std::strong_ordering compare_starts(const Bound& a, const Bound& b) {
    bool au = a.kind == BoundKind::Unbounded, bu = b.kind == BoundKind::Unbounded;
    if (au || bu) return bu <=> au;
    if (auto c = a.version <=> b.version; c != 0) return c;
    return (a.kind == BoundKind::Excluded) <=> (b.kind == BoundKind::Excluded);
}

// End bounds: unbounded last; at one version an excluded end comes before an included one.
std::strong_ordering compare_ends(const Bound& a, const Bound& b) {
    bool au = a.kind == BoundKind::Unbounded, bu = b.kind == BoundKind::Unbounded;
    if (au || bu) return au <=> bu;
    if (auto c = a.version <=> b.version; c != 0) return c;
    return (a.kind == BoundKind::Included) <=> (b.kind == BoundKind::Included);
}

bool is_nonempty(const Bound& start, const Bound& end) {
    if (start.kind == BoundKind::Unbounded || end.kind == BoundKind::Unbounded) return true;
    auto c = start.version <=> end.version;
    if (c != 0) return c < 0;
    return start.kind == BoundKind::Included && end.kind == BoundKind::Included;
}

bool start_admits(const Bound& start, const Version& v) {
    if (start.kind == BoundKind::Unbounded) return true;
    auto c = start.version <=> v;
    return c < 0 || (c == 0 && start.kind == BoundKind::Included);
}

bool end_admits(const Bound& end, const Version& v) {
    if (end.kind == BoundKind::Unbounded) return true;
    auto c = v <=> end.version;
    return c < 0 || (c == 0 && end.kind == BoundKind::Included);
}

bool same_bound(const Bound& a, const Bound& b) {
    return a.kind == b.kind && (a.kind == BoundKind::Unbounded || a.version == b.version);
}

// A place between versions where an interval of one of the sets begins or ends: just before
// or just after a version, or before or after all of them.
struct Cut {
    enum Place : std::uint8_t { BeforeAll, AtVersion, AfterAll };
    Place place;
    bool after;  // just after `version` rather than just before it
    const Version* version;
    int change;  // +1 where an interval begins, -1 where one ends

    static Cut of_start(const Bound& start) {
        if (start.kind == BoundKind::Unbounded) return {BeforeAll, false, nullptr, +1};
        return {AtVersion, start.kind == BoundKind::Excluded, &start.version, +1};
    }
    static Cut of_end(const Bound& end) {
        if (end.kind == BoundKind::Unbounded) return {AfterAll, false, nullptr, -1};
        return {AtVersion, end.kind == BoundKind::Included, &end.version, -1};
    }

    // The bound an interval starting or ending here has.
    Bound as_start() const {
        if (place != AtVersion) return Bound::unbounded();
        return after ? Bound::excluded(*version) : Bound::included(*version);
    }
    Bound as_end() const {
        if (place != AtVersion) return Bound::unbounded();
        return after ? Bound::included(*version) : Bound::excluded(*version);
    }
};

std::weak_ordering operator<=>(const Cut& a, const Cut& b) {
    if (a.place != b.place || a.place != Cut::AtVersion) return a.place <=> b.place;
    if (auto c = *a.version <=> *b.version; c != 0) return c;
    return a.after <=> b.after;
}

bool operator==(const Cut& a, const Cut& b) {
    return (a <=> b) == 0;
}

// Constants of the program are valid; anything else is a programming error.
[[noreturn]] void stop(const char* message) {
    std::fputs(message, stderr);
    std::fputc('\n', stderr);
    std::abort();
}

Version embedded(std::string_view text) {
    auto result = parse_version(text);
    if (!std::holds_alternative<Version>(result)) stop("embedded versions are valid");
    return std::move(std::get<Version>(result));
}

VersionSet at_most_constant(std::string_view text) {
    Version last = embedded(text);
    if (last.is_local()) stop("`<=` accepts any version without a local part");
    return to_version_set(Specifier{Operator::LessThanEqual, std::move(last)});
}

}  // namespace

std::span<const VersionSet::Interval> VersionSet::intervals() const {
    if (count_ == 1) return {&one_, 1};
    return many_;
}

void VersionSet::push(Interval interval) {
    if (count_ == 0) {
        one_ = std::move(interval);
    } else {
        if (count_ == 1) many_.push_back(std::move(one_));
        many_.push_back(std::move(interval));
    }
    ++count_;
}

VersionSet VersionSet::full() {
    return interval(Bound::unbounded(), Bound::unbounded());
}

VersionSet VersionSet::singleton(const Version& version) {
    return interval(Bound::included(version), Bound::included(version));
}

VersionSet VersionSet::interval(Bound start, Bound end) {
    VersionSet set;
    if (is_nonempty(start, end)) set.push({std::move(start), std::move(end)});
    return set;
}

VersionSet VersionSet::from_through(std::string_view first, std::string_view last) {
    return interval(Bound::included(embedded(first)), Bound::unbounded())
        .intersection(at_most_constant(last));
}

VersionSet VersionSet::between(std::string_view low, std::string_view high) {
    return interval(Bound::unbounded(), Bound::excluded(embedded(high)))
        .difference(at_most_constant(low));
}

VersionSet VersionSet::at_least(std::string_view first) {
    return interval(Bound::included(embedded(first)), Bound::unbounded());
}

bool VersionSet::contains(const Version& version) const {
    auto all = intervals();
    auto it = std::partition_point(all.begin(), all.end(),
                                   [&](const Interval& i) { return !end_admits(i.end, version); });
    return it != all.end() && start_admits(it->start, version);
}

bool VersionSet::contains(std::string_view version) const {
    auto parsed = parse_version(version);
    return std::holds_alternative<Version>(parsed) && contains(std::get<Version>(parsed));
}

VersionSet VersionSet::complement() const {
    auto all = intervals();
    if (all.empty()) return full();
    VersionSet out;
    if (all.front().start.kind != BoundKind::Unbounded) {
        out.push({Bound::unbounded(), flip(all.front().start)});
    }
    for (std::size_t i = 1; i < all.size(); ++i) {
        out.push({flip(all[i - 1].end), flip(all[i].start)});
    }
    if (all.back().end.kind != BoundKind::Unbounded)
        out.push({flip(all.back().end), Bound::unbounded()});
    return out;
}

VersionSet VersionSet::intersection(const VersionSet& other) const {
    VersionSet out;
    auto a = intervals();
    auto b = other.intervals();
    for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        const Bound& start = compare_starts(a[i].start, b[j].start) >= 0 ? a[i].start : b[j].start;
        bool a_ends_first = compare_ends(a[i].end, b[j].end) < 0;
        const Bound& end = a_ends_first ? a[i].end : b[j].end;
        if (is_nonempty(start, end)) out.push({start, end});
        a_ends_first ? ++i : ++j;
    }
    return out;
}

VersionSet VersionSet::intersection_of(std::span<const VersionSet> sets) {
    if (sets.empty()) return full();
    if (sets.size() == 1) return sets.front();
    std::vector<Cut> cuts;
    for (const VersionSet& set : sets) {
        for (const Interval& interval : set.intervals()) {
            cuts.push_back(Cut::of_start(interval.start));
            cuts.push_back(Cut::of_end(interval.end));
        }
    }
    std::ranges::sort(cuts, std::less<>{});
    // A set's intervals are disjoint, so a version lies in all sets exactly where as many
    // intervals have begun and not ended as there are sets.
    const auto all = static_cast<std::ptrdiff_t>(sets.size());
    VersionSet out;
    std::ptrdiff_t open = 0;
    std::optional<Bound> start;
    for (auto cut = cuts.begin(); cut != cuts.end();) {
        const auto next = std::find_if(cut, cuts.end(), [&](const Cut& c) { return c != *cut; });
        for (auto it = cut; it != next; ++it)
            open += it->change;
        if (open == all && !start) {
            start = cut->as_start();
        } else if (open != all && start) {
            out.push({std::move(*start), cut->as_end()});
            start.reset();
        }
        cut = next;
    }
    return out;
}

VersionSet VersionSet::union_with(const VersionSet& other) const {
    return complement().intersection(other.complement()).complement();
}

VersionSet VersionSet::difference(const VersionSet& other) const {
    return intersection(other.complement());
}

bool VersionSet::is_disjoint(const VersionSet& other) const {
    return intersection(other).is_empty();
}

bool VersionSet::is_subset(const VersionSet& other) const {
    return difference(other).is_empty();
}

bool operator==(const VersionSet& a, const VersionSet& b) {
    auto left = a.intervals(), right = b.intervals();
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](const Interval& x, const Interval& y) {
                          return same_bound(x.start, y.start) && same_bound(x.end, y.end);
                      });
}

}  // namespace tarnvik::pep440
