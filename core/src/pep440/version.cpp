#include <algorithm>
#include <array>
#include <limits>

#include "ascii.hpp"
#include "pep440/pattern.hpp"
#include "tarnvik/pep440.hpp"

namespace tarnvik::pep440 {

Release::Release(std::initializer_list<std::uint64_t> numbers) {
    for (std::uint64_t number : numbers)
        push_back(number);
}

void Release::push_back(std::uint64_t number) {
    if (size_ < INLINE) {
        inline_[size_++] = number;
        return;
    }
    if (size_ == INLINE) heap_.assign(inline_.begin(), inline_.end());
    heap_.push_back(number);
    ++size_;
}

void Release::pop_back() {
    if (size_ == 0) return;
    if (size_ > INLINE) heap_.pop_back();
    if (--size_ == INLINE) {
        std::copy(heap_.begin(), heap_.end(), inline_.begin());
        heap_.clear();
    }
}

namespace {

struct PreLabel {
    std::string_view spelling;
    PreKind kind;
};

// Longer spellings first, so that `preview` is not read as `pre` followed by `view`.
constexpr std::array<PreLabel, 8> PRE_LABELS = {{
    {"preview", PreKind::Rc},
    {"alpha", PreKind::Alpha},
    {"beta", PreKind::Beta},
    {"pre", PreKind::Rc},
    {"rc", PreKind::Rc},
    {"a", PreKind::Alpha},
    {"b", PreKind::Beta},
    {"c", PreKind::Rc},
}};

constexpr std::array<std::string_view, 3> POST_LABELS = {"post", "rev", "r"};

bool is_separator(char c) {
    return c == '.' || c == '-' || c == '_';
}

// The value of a run of ASCII digits, or nothing when it does not fit 64 bits.
std::optional<std::uint64_t> to_number(std::string_view digits) {
    std::uint64_t value = 0;
    for (char c : digits) {
        auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

class Parser {
  public:
    explicit Parser(std::string_view text) : s_(text) {}

    Result<VersionPattern> parse() {
        skip_space();
        start_ = i_;
        if (i_ == s_.size()) return fail("empty version");
        if (ascii::to_lower(peek()) == 'v') ++i_;
        if (!ascii::is_digit(peek())) return fail("expected version to start with a number");
        std::uint64_t first = 0;  // the epoch when a `!` follows, else the first release number
        if (!number(first)) return too_large();
        if (peek() == '!') {
            ++i_;
            pattern_.version.epoch = first;
            if (!ascii::is_digit(peek())) return fail("expected a release number after the epoch");
            if (!number(first)) return too_large();
        }
        pattern_.version.release.push_back(first);
        if (!release()) return too_large();
        if (wildcard()) return finish_wildcard();
        if (!pre() || !post() || !dev()) return too_large();
        if (peek() == '+' && !local()) return error_;
        if (s_.substr(i_).starts_with(".*")) return fail("a wildcard `.*` must follow the release");
        skip_space();
        if (i_ != s_.size()) return unexpected_rest();
        return std::move(pattern_);
    }

  private:
    char peek(std::size_t ahead = 0) const {
        return i_ + ahead < s_.size() ? s_[i_ + ahead] : '\0';
    }

    void skip_space() {
        while (i_ < s_.size() && ascii::is_space(s_[i_]))
            ++i_;
    }

    // Reads a run of digits; false when it does not fit 64 bits.
    bool number(std::uint64_t& out) {
        number_start_ = i_;
        while (ascii::is_digit(peek()))
            ++i_;
        auto value = to_number(s_.substr(number_start_, i_ - number_start_));
        if (value) out = *value;
        return value.has_value();
    }

    bool release() {
        while (peek() == '.' && ascii::is_digit(peek(1))) {
            ++i_;
            std::uint64_t value = 0;
            if (!number(value)) return false;
            pattern_.version.release.push_back(value);
        }
        return true;
    }

    bool wildcard() {
        if (peek() != '.' || peek(1) != '*') return false;
        i_ += 2;
        return true;
    }

    Result<VersionPattern> finish_wildcard() {
        skip_space();
        if (i_ != s_.size()) return fail("a wildcard `.*` must end the version");
        pattern_.wildcard = true;
        return std::move(pattern_);
    }

    // Matches `word` case-insensitively at the cursor and moves past it.
    bool word(std::string_view word) {
        if (!ascii::equal_ignoring_case(s_.substr(i_, word.size()), word)) return false;
        i_ += word.size();
        return true;
    }

    void optional_separator() {
        if (is_separator(peek())) ++i_;
    }

    // The number after a pre-, post- or development label: an optional separator, then
    // optional digits (0 when absent). The separator belongs to the label even without digits,
    // as in `1.0a.` or `1.0a--1` (`1.0a0.post1`).
    bool label_number(std::uint64_t& out) {
        optional_separator();
        out = 0;
        return !ascii::is_digit(peek()) || number(out);
    }

    bool pre() {
        std::size_t before = i_;
        optional_separator();
        for (const PreLabel& label : PRE_LABELS) {
            if (!word(label.spelling)) continue;
            Pre pre{label.kind, 0};
            if (!label_number(pre.number)) return false;
            pattern_.version.pre = pre;
            return true;
        }
        i_ = before;
        return true;
    }

    bool post() {
        std::size_t before = i_;
        if (peek() == '-' && ascii::is_digit(peek(1))) {
            ++i_;
            std::uint64_t value = 0;
            if (!number(value)) return false;
            pattern_.version.post = value;
            return true;
        }
        optional_separator();
        for (std::string_view label : POST_LABELS) {
            if (!word(label)) continue;
            std::uint64_t value = 0;
            if (!label_number(value)) return false;
            pattern_.version.post = value;
            return true;
        }
        i_ = before;
        return true;
    }

    bool dev() {
        std::size_t before = i_;
        optional_separator();
        if (!word("dev")) {
            i_ = before;
            return true;
        }
        std::uint64_t value = 0;
        if (!label_number(value)) return false;
        pattern_.version.dev = value;
        return true;
    }

    bool local() {
        for (bool more = true; more; more = is_separator(peek())) {
            ++i_;  // the `+`, then each separator
            std::size_t begin = i_;
            while (ascii::is_digit(peek()) || ascii::is_letter(peek()))
                ++i_;
            if (begin == i_) {
                error_ = fail("expected a letter or digit in the local version label");
                return false;
            }
            local_segment(begin);
        }
        return true;
    }

    // A part of digits is a number when it fits in 64 bits; a longer one is compared as text,
    // as written, like any alphanumeric part.
    void local_segment(std::size_t begin) {
        std::string_view part = s_.substr(begin, i_ - begin);
        LocalSegment segment;
        segment.numeric =
            std::all_of(part.begin(), part.end(), ascii::is_digit) && to_number(part).has_value();
        if (segment.numeric) {
            part.remove_prefix(std::min(part.find_first_not_of('0'), part.size() - 1));
            segment.text = part;
        } else {
            segment.text.resize(part.size());
            std::transform(part.begin(), part.end(), segment.text.begin(), ascii::to_lower);
        }
        pattern_.version.local.push_back(std::move(segment));
    }

    Error fail(std::string message) const {
        return Error{std::move(message), i_, s_.size() - std::min(i_, s_.size())};
    }

    Error too_large() const {
        std::string_view digits = s_.substr(number_start_, i_ - number_start_);
        return Error{"number `" + std::string(digits) + "` is too large", number_start_,
                     digits.size()};
    }

    Error unexpected_rest() const {
        std::string_view parsed = s_.substr(start_, i_ - start_);
        std::string_view rest = s_.substr(i_);
        while (!parsed.empty() && ascii::is_space(parsed.back()))
            parsed.remove_suffix(1);
        while (!rest.empty() && ascii::is_space(rest.back()))
            rest.remove_suffix(1);
        return Error{
            "unexpected `" + std::string(rest) + "` after version `" + std::string(parsed) + "`",
            i_, rest.size()};
    }

    std::string_view s_;
    std::size_t i_ = 0;
    std::size_t start_ = 0;
    std::size_t number_start_ = 0;
    VersionPattern pattern_;
    Error error_;
};

// Ranks that order the parts after the release; see the bound markers in the header.
enum Phase : int { MinOfRelease, DevOnly, Alpha, Beta, Rc, Final, PostRelease };

Phase phase(const Version& v) {
    bool post = v.post.has_value() || v.post_max;
    if (v.pre) return static_cast<Phase>(Alpha + static_cast<int>(v.pre->kind));
    if (post) return PostRelease;
    if (v.min) return MinOfRelease;
    return v.dev ? DevOnly : Final;
}

// none < a number < post_max
std::pair<int, std::uint64_t> post_key(const Version& v) {
    if (v.post_max) return {2, 0};
    return v.post ? std::pair{1, *v.post} : std::pair{0, std::uint64_t{0}};
}

// min < a number < none
std::pair<int, std::uint64_t> dev_key(const Version& v) {
    if (v.min) return {0, 0};
    return v.dev ? std::pair{1, *v.dev} : std::pair{2, std::uint64_t{0}};
}

std::strong_ordering compare_release(const Release& a, const Release& b) {
    std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        std::uint64_t x = i < a.size() ? a[i] : 0;
        std::uint64_t y = i < b.size() ? b[i] : 0;
        if (x != y) return x <=> y;
    }
    return std::strong_ordering::equal;
}

// Numeric parts have no leading zeros, so the longer is the larger, and digits of one length
// order like their values.
std::strong_ordering compare_segment(const LocalSegment& a, const LocalSegment& b) {
    if (a.numeric != b.numeric) return a.numeric <=> b.numeric;
    if (a.numeric && a.text.size() != b.text.size()) return a.text.size() <=> b.text.size();
    return a.text.compare(b.text) <=> 0;
}

std::strong_ordering compare_local(const Version& a, const Version& b) {
    if (a.local_max != b.local_max) return a.local_max <=> b.local_max;
    return std::lexicographical_compare_three_way(a.local.begin(), a.local.end(), b.local.begin(),
                                                  b.local.end(), compare_segment);
}

}  // namespace

Result<VersionPattern> parse_version_pattern(std::string_view text) {
    return Parser(text).parse();
}

Result<Version> parse_version(std::string_view text) {
    auto result = parse_version_pattern(text);
    if (auto* error = std::get_if<Error>(&result)) return std::move(*error);
    auto& pattern = std::get<VersionPattern>(result);
    if (pattern.wildcard) return Error{"wildcards are not allowed in a version", 0, text.size()};
    return std::move(pattern.version);
}

std::strong_ordering operator<=>(const Version& a, const Version& b) {
    if (a.epoch != b.epoch) return a.epoch <=> b.epoch;
    if (auto c = compare_release(a.release, b.release); c != 0) return c;
    Phase pa = phase(a), pb = phase(b);
    if (pa != pb) return static_cast<int>(pa) <=> static_cast<int>(pb);
    if (a.pre && b.pre && a.pre->number != b.pre->number) return a.pre->number <=> b.pre->number;
    if (auto c = post_key(a) <=> post_key(b); c != 0) return c;
    if (pa != MinOfRelease) {
        if (auto c = dev_key(a) <=> dev_key(b); c != 0) return c;
    }
    return compare_local(a, b);
}

bool operator==(const Version& a, const Version& b) {
    return (a <=> b) == 0;
}

std::string Version::to_string() const {
    static constexpr std::string_view PRE_SPELLING[] = {"a", "b", "rc"};
    std::string out;
    if (epoch != 0) out += std::to_string(epoch) + "!";
    for (std::size_t i = 0; i < release.size(); ++i) {
        if (i != 0) out += '.';
        out += std::to_string(release[i]);
    }
    if (pre) {
        out += PRE_SPELLING[static_cast<int>(pre->kind)];
        out += std::to_string(pre->number);
    }
    if (post) out += ".post" + std::to_string(*post);
    if (dev) out += ".dev" + std::to_string(*dev);
    for (std::size_t i = 0; i < local.size(); ++i) {
        out += i == 0 ? '+' : '.';
        out += local[i].text;
    }
    return out;
}

}  // namespace tarnvik::pep440
