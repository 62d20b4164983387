// How each specifier turns into a set of versions.
#include <limits>

#include "tarnvik/pep440.hpp"

namespace tarnvik::pep440 {
namespace {

using Bound = VersionSet::Bound;

Version with_local_max(Version v) {
    v.local_max = true;
    return v;
}

Version with_min(Version v) {
    v.min = true;
    return v;
}

Version release_only(const Version& v) {
    Version out;
    out.release = v.release;
    return out;
}

// The first version above every version whose release starts with the first `kept` numbers of
// v: the last kept number raised, carrying past numbers that cannot grow; nothing when no
// version lies that high.
std::optional<Version> next_prefix(const Version& v, std::size_t kept) {
    constexpr std::uint64_t MAX = std::numeric_limits<std::uint64_t>::max();
    while (kept > 0 && v.release[kept - 1] == MAX)
        --kept;
    Version out;
    out.epoch = v.epoch;
    for (std::size_t i = 0; i < kept; ++i)
        out.release.push_back(v.release[i]);
    if (kept > 0) {
        out.release.back() += 1;
        return out;
    }
    if (v.epoch == MAX) return std::nullopt;
    out.epoch += 1;
    out.release.push_back(0);
    return out;
}

// The excluded end bound at the development release `.dev0` of `next`, its lowest version;
// without `dev0`, at `next` itself.
Bound end_before(std::optional<Version> next, bool dev0) {
    if (!next) return Bound::unbounded();
    if (dev0) next->dev = 0;
    return Bound::excluded(std::move(*next));
}

VersionSet equal(const Version& v) {
    if (v.is_local()) return VersionSet::singleton(v);
    // Any local label of v.
    return VersionSet::interval(Bound::included(v), Bound::included(with_local_max(v)));
}

// `<V` admits no pre-release of V unless V is one; for a post-release V, neither the
// pre-releases of its release nor its own development releases.
VersionSet less_than(const Version& v) {
    if (v.is_prerelease()) return VersionSet::interval(Bound::unbounded(), Bound::excluded(v));
    if (!v.post) return VersionSet::interval(Bound::unbounded(), Bound::excluded(with_min(v)));
    Version base = v;
    base.post.reset();
    return VersionSet::interval(Bound::unbounded(), Bound::excluded(with_min(base)))
        .union_with(VersionSet::interval(Bound::included(base), Bound::excluded(with_min(v))));
}

// `>V` admits neither local versions of V nor, unless V is a post- or development release,
// its post-releases.
VersionSet greater_than(const Version& v) {
    Version bound = with_local_max(v);
    if (!v.post && !v.dev) bound.post_max = true;
    return VersionSet::interval(Bound::excluded(std::move(bound)), Bound::unbounded());
}

VersionSet equal_star(const Version& v) {
    Version low = v;
    low.dev = 0;
    return VersionSet::interval(Bound::included(std::move(low)),
                                end_before(next_prefix(v, v.release.size()), true));
}

VersionSet tilde_equal(const Version& v) {
    return VersionSet::interval(Bound::included(v),
                                end_before(next_prefix(v, v.release.size() - 1), true));
}

VersionSet release_set(const Specifier& s) {
    Version r = release_only(s.version);
    switch (s.op) {
        case Operator::Equal:
        case Operator::ExactEqual:
            return VersionSet::singleton(r);
        case Operator::NotEqual:
            return VersionSet::singleton(r).complement();
        case Operator::LessThan:
            return VersionSet::interval(Bound::unbounded(), Bound::excluded(std::move(r)));
        case Operator::LessThanEqual:
            return VersionSet::interval(Bound::unbounded(), Bound::included(std::move(r)));
        case Operator::GreaterThan:
            return VersionSet::interval(Bound::excluded(std::move(r)), Bound::unbounded());
        case Operator::GreaterThanEqual:
            return VersionSet::interval(Bound::included(std::move(r)), Bound::unbounded());
        case Operator::TildeEqual: {
            Bound end = end_before(next_prefix(r, r.release.size() - 1), false);
            return VersionSet::interval(Bound::included(std::move(r)), std::move(end));
        }
        case Operator::EqualStar:
        case Operator::NotEqualStar: {
            Bound end = end_before(next_prefix(r, r.release.size()), false);
            auto set = VersionSet::interval(Bound::included(std::move(r)), std::move(end));
            return s.op == Operator::EqualStar ? set : set.complement();
        }
    }
    return VersionSet::full();
}

}  // namespace

VersionSet to_version_set(const Specifier& s) {
    switch (s.op) {
        case Operator::Equal:
            return equal(s.version);
        case Operator::ExactEqual:
            return VersionSet::singleton(s.version);
        case Operator::NotEqual:
            return equal(s.version).complement();
        case Operator::TildeEqual:
            return tilde_equal(s.version);
        case Operator::LessThan:
            return less_than(s.version);
        case Operator::LessThanEqual:
            return VersionSet::interval(Bound::unbounded(),
                                        Bound::included(with_local_max(s.version)));
        case Operator::GreaterThan:
            return greater_than(s.version);
        case Operator::GreaterThanEqual:
            return VersionSet::interval(Bound::included(s.version), Bound::unbounded());
        case Operator::EqualStar:
            return equal_star(s.version);
        case Operator::NotEqualStar:
            return equal_star(s.version).complement();
    }
    return VersionSet::full();
}

namespace {

// The intersection of the sets of all specifiers, taken pairwise as a balanced tree: folding
// one by one would cost quadratic time on a long list of `!=` specifiers, whose set grows by
// one interval with each.
VersionSet intersect_all(std::span<const Specifier> specifiers,
                         VersionSet (*convert)(const Specifier&)) {
    if (specifiers.empty()) return VersionSet::full();
    if (specifiers.size() == 1) return convert(specifiers.front());
    std::size_t half = specifiers.size() / 2;
    return intersect_all(specifiers.first(half), convert)
        .intersection(intersect_all(specifiers.subspan(half), convert));
}

}  // namespace

VersionSet to_version_set(std::span<const Specifier> specifiers) {
    return intersect_all(specifiers, [](const Specifier& s) { return to_version_set(s); });
}

VersionSet to_release_set(std::span<const Specifier> specifiers) {
    return intersect_all(specifiers, release_set);
}

}  // namespace tarnvik::pep440
