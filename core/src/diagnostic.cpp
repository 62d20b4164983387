#include "tarnvik/diagnostic.hpp"

#include <algorithm>
#include <array>

namespace tarnvik {

namespace {
constexpr std::array<std::string_view, 14> CODE_NAMES = {
    "invalid-toml",        "byte-order-mark",     "toml-1-1-syntax",     "unknown-key",
    "missing-key",         "invalid-type",        "invalid-value",       "invalid-dynamic",
    "duplicate-name",      "deprecated-metadata", "unsupported-feature", "deprecated-setting",
    "ineffective-setting", "unknown-version",
};
}  // namespace

std::string_view code_name(Code code) {
    return CODE_NAMES.at(static_cast<std::size_t>(code));
}

Diagnostic Diagnostic::error(std::string message, Span span, Code code) {
    Diagnostic d;
    d.message = std::move(message);
    d.span = span;
    d.severity = Severity::Error;
    d.code = code;
    return d;
}

Diagnostic Diagnostic::warning(std::string message, Span span, Code code) {
    Diagnostic d = error(std::move(message), span, code);
    d.severity = Severity::Warning;
    return d;
}

Diagnostic Diagnostic::with_label(std::size_t start, std::size_t end, std::string text) && {
    labels.push_back(Label{std::move(text), Span{start, end}});
    return std::move(*this);
}

Diagnostic Diagnostic::with_help(std::string text) && {
    help = std::move(text);
    return std::move(*this);
}

Diagnostic Diagnostic::with_note(std::string text) && {
    note = std::move(text);
    return std::move(*this);
}

Diagnostic Diagnostic::with_fix(Fix value) && {
    fix = std::move(value);
    return std::move(*this);
}

void sort_by_span(std::vector<Diagnostic>& diagnostics) {
    std::stable_sort(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) {
                         if (a.span.start != b.span.start) return a.span.start < b.span.start;
                         return a.span.end < b.span.end;
                     });
}

bool has_invalid_toml(const std::vector<Diagnostic>& diagnostics) {
    return std::ranges::any_of(diagnostics,
                               [](const Diagnostic& d) { return d.code == Code::InvalidToml; });
}

}  // namespace tarnvik
