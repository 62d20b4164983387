#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// PEP 440 versions and version specifiers, and the sets of versions that specifiers admit.
namespace tarnvik::pep440 {

// A parse failure: a short lower-case text, and the stretch of the parsed text it concerns
// (relative to the text given to the parse function).
struct Error {
    std::string message;
    std::size_t offset = 0;
    std::size_t length = 0;
    friend bool operator==(const Error&, const Error&) = default;
};

template <class T>
using Result = std::variant<T, Error>;

// The release numbers of a version; up to four are kept inline, without a heap allocation.
class Release {
  public:
    Release() = default;
    Release(std::initializer_list<std::uint64_t> numbers);

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const std::uint64_t* begin() const { return data(); }
    const std::uint64_t* end() const { return data() + size_; }
    std::uint64_t operator[](std::size_t i) const { return data()[i]; }
    std::uint64_t& back() { return (size_ <= INLINE ? inline_.data() : heap_.data())[size_ - 1]; }
    void push_back(std::uint64_t number);
    void pop_back();

  private:
    static constexpr std::size_t INLINE = 4;
    const std::uint64_t* data() const { return size_ <= INLINE ? inline_.data() : heap_.data(); }

    std::size_t size_ = 0;
    std::array<std::uint64_t, INLINE> inline_{};
    std::vector<std::uint64_t> heap_;  // holds every number once there are more than INLINE
};

enum class PreKind : std::uint8_t { Alpha, Beta, Rc };

struct Pre {
    PreKind kind = PreKind::Alpha;
    std::uint64_t number = 0;
    friend bool operator==(const Pre&, const Pre&) = default;
};

// One dot-separated part of a local version label: numeric parts (digits that fit in 64 bits)
// compare as numbers and sort after every alphanumeric part. The text is normal: an alphanumeric
// part in lower case, a numeric part without leading zeros ("0" for zero); longer runs of digits
// are alphanumeric parts, kept as written.
struct LocalSegment {
    std::string text;
    bool numeric = false;
    friend bool operator==(const LocalSegment&, const LocalSegment&) = default;
};

struct Version {
    std::uint64_t epoch = 0;
    Release release;
    std::optional<Pre> pre;
    std::optional<std::uint64_t> post;
    std::optional<std::uint64_t> dev;
    std::vector<LocalSegment> local;

    // Bound markers, set only by the conversion of specifiers to sets; they are not versions
    // anyone can write. `min` sorts before every pre- and development release of the release
    // (or, on a post-release, before its development releases); `post_max` sorts after every
    // post-release; `local_max` sorts after every local version.
    bool min = false;
    bool post_max = false;
    bool local_max = false;

    bool is_prerelease() const { return pre.has_value() || dev.has_value(); }
    bool is_local() const { return !local.empty(); }
    // The normalized text, e.g. `1!2.0rc1.post3.dev4+ubuntu.1`.
    std::string to_string() const;
};

// PEP 440 order: trailing zeros of the release do not count, then dev < pre < final < post,
// and a local version sorts after its public version. Equality follows the same order.
std::strong_ordering operator<=>(const Version& a, const Version& b);
bool operator==(const Version& a, const Version& b);

// Parses a version; ASCII white space around it is allowed, as PEP 440 allows it.
Result<Version> parse_version(std::string_view text);

enum class Operator : std::uint8_t {
    Equal,             // ==
    ExactEqual,        // ===
    NotEqual,          // !=
    TildeEqual,        // ~=
    LessThan,          // <
    LessThanEqual,     // <=
    GreaterThan,       // >
    GreaterThanEqual,  // >=
    EqualStar,         // ==V.*
    NotEqualStar,      // !=V.*
};

// The operator as written, without the `.*` of the wildcard forms.
std::string_view operator_text(Operator op);

// The operator that a spelling such as `>=` names (never a wildcard form), or nothing.
std::optional<Operator> operator_named(std::string_view text);

// Whether the byte occurs in the spelling of some operator.
bool is_operator_char(char c);

struct Specifier {
    Operator op = Operator::Equal;
    Version version;  // for the wildcard forms, the release before `.*`
    std::string to_string() const;
};

// One specifier such as `>= 1.0` or `==2.*`; white space around the operator and the version is
// allowed. The error covers the whole text.
Result<Specifier> parse_specifier(std::string_view text);

// A comma-separated list; the empty text is the empty list (every version). The error carries
// the offset and length of the failing part, untrimmed.
Result<std::vector<Specifier>> parse_specifiers(std::string_view text);

class VersionSet;

// The versions one specifier, or all the specifiers of a list, admit.
VersionSet to_version_set(const Specifier& specifier);
VersionSet to_version_set(std::span<const Specifier> specifiers);

// The same over plain release numbers: epochs, pre-, post-, development and local parts of the
// specified versions are dropped (`>=3.9rc1` counts as `>=3.9`).
VersionSet to_release_set(std::span<const Specifier> specifiers);

bool matches(const Specifier& specifier, const Version& version);

// A set of versions as ordered, disjoint, non-adjacent intervals; the empty list is the empty set.
class VersionSet {
  public:
    enum class BoundKind : std::uint8_t { Unbounded, Included, Excluded };
    struct Bound {
        BoundKind kind = BoundKind::Unbounded;
        Version version;  // unused when unbounded

        static Bound unbounded() { return Bound{}; }
        static Bound included(Version v) { return Bound{BoundKind::Included, std::move(v)}; }
        static Bound excluded(Version v) { return Bound{BoundKind::Excluded, std::move(v)}; }
    };
    struct Interval {
        Bound start;
        Bound end;
    };

    VersionSet() = default;  // the empty set
    static VersionSet full();
    static VersionSet singleton(const Version& version);
    // One interval; an empty interval gives the empty set.
    static VersionSet interval(Bound start, Bound end);

    // From constants of the program; an invalid text stops the program.
    // Every version from `first` on that `<=last` admits (local versions of `last` included).
    static VersionSet from_through(std::string_view first, std::string_view last);
    // The versions strictly between `low` (with all its local versions) and `high`.
    static VersionSet between(std::string_view low, std::string_view high);
    // Every version from `first` on.
    static VersionSet at_least(std::string_view first);

    bool contains(const Version& version) const;
    // A text that is not a valid version is in no set.
    bool contains(std::string_view version) const;

    bool is_empty() const { return count_ == 0; }
    std::span<const Interval> intervals() const;

    VersionSet complement() const;
    VersionSet intersection(const VersionSet& other) const;
    // The versions every one of `sets` holds (all versions for none), in one sweep over their
    // bounds: folding `intersection` over many sets of many intervals would be quadratic.
    static VersionSet intersection_of(std::span<const VersionSet> sets);
    VersionSet union_with(const VersionSet& other) const;
    VersionSet difference(const VersionSet& other) const;  // this and not other
    bool is_disjoint(const VersionSet& other) const;
    bool is_subset(const VersionSet& other) const;  // every version of this lies in other

    friend bool operator==(const VersionSet&, const VersionSet&);

  private:
    void push(Interval interval);

    // One interval, the common case, is kept inline; from two on, all are in `many_`.
    std::size_t count_ = 0;
    Interval one_;
    std::vector<Interval> many_;
};

}  // namespace tarnvik::pep440
