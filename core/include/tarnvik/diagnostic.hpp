#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tarnvik/edit.hpp"
#include "tarnvik/span.hpp"

namespace tarnvik {

enum class Severity : std::uint8_t { Warning = 0, Error = 1 };

enum class Code : std::uint8_t {
    InvalidToml = 0,
    ByteOrderMark,
    Toml11Syntax,
    UnknownKey,
    MissingKey,
    InvalidType,
    InvalidValue,
    InvalidDynamic,
    DuplicateName,
    DeprecatedMetadata,
    UnsupportedFeature,
    DeprecatedSetting,
    IneffectiveSetting,
    UnknownVersion,
};

// The kebab-case name shown as the diagnostic's id.
std::string_view code_name(Code code);

struct Label {
    std::string message;
    Span span;
};

struct Diagnostic {
    std::string message;
    std::vector<Label> labels;
    std::optional<std::string> help;
    std::optional<std::string> note;
    std::optional<Fix> fix;
    Span span;
    Severity severity = Severity::Error;
    Code code = Code::InvalidToml;

    static Diagnostic error(std::string message, Span span, Code code);
    static Diagnostic warning(std::string message, Span span, Code code);

    Diagnostic with_label(std::size_t start, std::size_t end, std::string text) &&;
    Diagnostic with_help(std::string text) &&;
    Diagnostic with_note(std::string text) &&;
    Diagnostic with_fix(Fix fix) &&;
};

// Stable sort by (span start, span end); equal spans keep their order.
void sort_by_span(std::vector<Diagnostic>& diagnostics);

// Whether the checked bytes were not UTF-8 or not valid TOML: an `invalid-toml` finding, after
// which no fix is ever applied.
bool has_invalid_toml(const std::vector<Diagnostic>& diagnostics);

}  // namespace tarnvik
