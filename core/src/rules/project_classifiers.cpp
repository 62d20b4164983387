#include <array>
#include <charconv>
#include <cstdint>
#include <optional>

#include "knowledge/trove.hpp"
#include "rules/project_checks.hpp"
#include "tarnvik/similarity.hpp"
#include "tarnvik/standards.hpp"
#include "tarnvik/text.hpp"

namespace tarnvik::rules::project {

namespace {

constexpr double CLASSIFIER_SUGGESTION_THRESHOLD = 0.9;
constexpr std::string_view CLASSIFIER_LIST_PAGE = "https://pypi.org/classifiers/";
constexpr std::string_view PYTHON_PREFIX = "Programming Language :: Python :: ";

std::string deprecated_help(std::span<const std::string_view> replacements) {
    if (replacements.empty())
        return "remove it; it has no replacement; PyPI rejects deprecated classifiers";
    if (replacements.size() == 1)
        return "use `" + std::string(replacements.front()) +
               "`; PyPI rejects deprecated classifiers";
    return "use one of " + quoted_list(replacements) + "; PyPI rejects deprecated classifiers";
}

// The highest Jaro-Winkler similarity that `classifier` could reach with a row: the matched
// characters are at most the characters the two have in common, and no transposition is the
// best case. Rows that cannot reach the best similarity so far are never compared, so a long
// classifier, or many unknown ones, stay cheap. The rows are ASCII (the generator insists).
class SimilarityBound {
  public:
    explicit SimilarityBound(std::string_view classifier) {
        std::vector<char32_t> chars = text::scalars(classifier);
        length_ = static_cast<double>(chars.size());
        for (char32_t c : chars)
            if (c < 0x80) ++counts_[c];
        for (std::size_t i = 0; i < std::min(chars.size(), prefix_.size()); ++i)
            prefix_[i] = chars[i];
    }

    double operator()(std::string_view row) const {
        std::array<std::uint32_t, 0x80> left = counts_;
        std::size_t common = 0;
        for (char c : row) {
            std::uint32_t& count = left[static_cast<unsigned char>(c) & 0x7F];
            if (count > 0) --count, ++common;
        }
        if (common == 0) return 0.0;
        double m = static_cast<double>(common);
        double jaro = (m / length_ + m / static_cast<double>(row.size()) + 1.0) / 3.0;
        std::size_t prefix = 0;
        while (prefix < std::min(row.size(), prefix_.size()) &&
               prefix_[prefix] == static_cast<unsigned char>(row[prefix]))
            ++prefix;
        return jaro + 0.1 * static_cast<double>(prefix) * (1.0 - jaro);
    }

  private:
    double length_ = 0.0;
    std::array<std::uint32_t, 0x80> counts_{};
    std::array<char32_t, 4> prefix_{};
};

// The known classifier most like `classifier`; the later of equally close rows wins.
std::optional<std::string_view> closest_classifier(std::string_view classifier) {
    // Keeps rounding in the bound from ever skipping a row that reaches the best exactly.
    constexpr double MARGIN = 1e-9;
    const SimilarityBound bound(classifier);
    std::optional<std::string_view> best;
    double best_similarity = CLASSIFIER_SUGGESTION_THRESHOLD;
    for (std::string_view row : trove::classifiers()) {
        if (bound(row) < best_similarity - MARGIN) continue;
        double similarity = similarity::jaro_winkler(classifier, row);
        if (similarity >= best_similarity) {
            best = row;
            best_similarity = similarity;
        }
    }
    return best;
}

std::string unknown_help(std::string_view classifier) {
    if (auto suggestion = closest_classifier(classifier))
        return "did you mean `" + std::string(*suggestion) + "`?";
    return "see " + std::string(CLASSIFIER_LIST_PAGE) +
           " (known classifiers from trove-classifiers " + std::string(trove::VERSION) + ")";
}

std::optional<Diagnostic> lookup_finding(std::string_view classifier, Span span) {
    trove::Status status = trove::lookup(classifier);
    if (status.kind == trove::Status::Deprecated)
        return Diagnostic::error("classifier `" + std::string(classifier) + "` is deprecated", span,
                                 Code::InvalidValue)
            .with_help(deprecated_help(status.replacements));
    if (status.kind == trove::Status::Unknown)
        return Diagnostic::error("unknown classifier `" + std::string(classifier) + "`", span,
                                 Code::InvalidValue)
            .with_help(unknown_help(classifier));
    return std::nullopt;
}

// An unsigned decimal number: an optional `+`, then digits, within 64 bits.
std::optional<std::uint64_t> parse_number(std::string_view text) {
    if (text.starts_with('+')) text.remove_prefix(1);
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

struct PythonVersion {
    std::uint64_t major, minor;
};

// The X.Y of a `Programming Language :: Python :: X.Y` classifier.
std::optional<PythonVersion> python_version(std::string_view classifier) {
    if (!classifier.starts_with(PYTHON_PREFIX)) return std::nullopt;
    std::string_view rest = classifier.substr(PYTHON_PREFIX.size());
    std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    auto major = parse_number(rest.substr(0, dot));
    auto minor = parse_number(rest.substr(dot + 1));
    if (!major || !minor) return std::nullopt;
    return PythonVersion{*major, *minor};
}

std::optional<Diagnostic> python_version_finding(std::string_view classifier, Span span,
                                                 const document::Value& requires_python) {
    auto version = python_version(classifier);
    if (!version) return std::nullopt;
    auto allowed = standards::allows_python_minor(*requires_python.as_string(), version->major,
                                                  version->minor);
    if (!allowed || *allowed) return std::nullopt;
    return Diagnostic::warning("classifier says Python " + std::to_string(version->major) + "." +
                                   std::to_string(version->minor) +
                                   " is supported, but `requires-python` excludes it",
                               span, Code::InvalidValue)
        .with_label(requires_python.span.start, requires_python.span.end,
                    "`requires-python` set here")
        .with_help("remove the classifier or widen `requires-python`");
}

}  // namespace

void check_classifiers(Checker& checker, const document::Table& project) {
    const document::Entry* entry = document::get(project, "classifiers");
    const document::Array* classifiers = entry ? entry->value.as_array() : nullptr;
    if (classifiers == nullptr) return;
    const document::Entry* requires_python = document::get(project, "requires-python");
    if (requires_python && !requires_python->value.as_string()) requires_python = nullptr;
    for (const document::Value& element : *classifiers) {
        const std::string* classifier = element.as_string();
        if (classifier == nullptr) continue;
        if (auto finding = lookup_finding(*classifier, element.span))
            checker.push(std::move(*finding));
        if (requires_python == nullptr) continue;
        if (auto finding =
                python_version_finding(*classifier, element.span, requires_python->value))
            checker.push(std::move(*finding));
    }
}

}  // namespace tarnvik::rules::project
