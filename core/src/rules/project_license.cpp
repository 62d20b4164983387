#include <fmt/format.h>

#include <optional>

#include "license.hpp"
#include "rules/project_checks.hpp"

namespace tarnvik::rules::project {

namespace {

using namespace license::license_check;

constexpr std::string_view LICENSE_TABLE_KEYS[] = {"file", "text"};

Diagnostic expression_finding(const Checker& checker, std::string_view text, Span span,
                              const license::LicenseCheck& check) {
    if (const auto* differs = std::get_if<CaseDiffers>(&check))
        return Diagnostic::warning(
                   fmt::format("license expression should be written as `{}`", differs->canonical),
                   span, Code::InvalidValue)
            .with_help("tools normalize the capitalization, but the canonical form is clearer");
    if (const auto* deprecated = std::get_if<NotCanonical>(&check))
        return Diagnostic::warning(
                   fmt::format("license expression `{}` uses deprecated SPDX identifiers", text),
                   span, Code::DeprecatedMetadata)
            .with_help(fmt::format("use `{}`", deprecated->canonical));
    const auto& invalid = std::get<Invalid>(check);
    Span at = document::string_span(checker.source, span, invalid.span.start, invalid.span.end);
    return Diagnostic::error(fmt::format("invalid license expression `{}`", text), at,
                             Code::InvalidValue)
        .with_help(invalid.canonical
                       ? did_you_mean(*invalid.canonical)
                       : "use an SPDX license expression such as `MIT` or `Apache-2.0 OR MIT`");
}

void check_license_table(Checker& checker, const document::Value& value) {
    checker.push(
        Diagnostic::warning("the `project.license` table is deprecated", value.span,
                            Code::DeprecatedMetadata)
            .with_help(
                "use an SPDX license expression such as `license = \"MIT\"`, and list license files in `license-files` (PEP 639)"));
    const document::Table& table = *value.as_table();
    checker.unknown_keys(table, "`project.license`", LICENSE_TABLE_KEYS);
    check_file_or_text(checker, table, "project.license");
}

// Checks `license` and gives the span of the expression when it is written as one.
std::optional<Span> check_license_value(Checker& checker, const document::Table& project) {
    const document::Entry* entry = document::get(project, "license");
    if (entry == nullptr) return std::nullopt;
    const document::Value& value = entry->value;
    if (const std::string* text = value.as_string()) {
        auto check = license::check_license_expression(*text);
        if (!std::holds_alternative<Canonical>(check))
            checker.push(expression_finding(checker, *text, value.span, check));
        return value.span;
    }
    if (value.as_table())
        check_license_table(checker, value);
    else
        checker.invalid_type("project.license", "a string", value);
    return std::nullopt;
}

void check_license_files(Checker& checker, const document::Table& project) {
    const document::Entry* entry = document::get(project, "license-files");
    if (entry == nullptr) return;
    for (const StringEntry& pattern : checker.string_array("project.license-files", entry->value))
        if (auto reason = license::check_glob_pattern(pattern.text))
            checker.push(Diagnostic::warning(fmt::format("invalid glob pattern `{}`", pattern.text),
                                             pattern.span, Code::InvalidValue)
                             .with_help(std::string(*reason)));
}

void check_license_classifiers(Checker& checker, const document::Table& project,
                               std::optional<Span> expression) {
    const document::Entry* entry = document::get(project, "classifiers");
    const document::Array* classifiers = entry ? entry->value.as_array() : nullptr;
    if (classifiers == nullptr) return;
    for (const document::Value& element : *classifiers) {
        const std::string* text = element.as_string();
        if (text == nullptr || !text->starts_with("License ::")) continue;
        Diagnostic finding = Diagnostic::warning("`License ::` classifiers are deprecated",
                                                 element.span, Code::DeprecatedMetadata);
        if (expression)
            finding =
                std::move(finding)
                    .with_label(expression->start, expression->end, "license expression set here")
                    .with_help("remove the classifier; the license expression replaces it");
        else
            finding = std::move(finding).with_help(
                "use an SPDX license expression in `project.license` instead (PEP 639)");
        checker.push(std::move(finding));
    }
}

}  // namespace

void check_license(Checker& checker, const document::Table& project) {
    std::optional<Span> expression = check_license_value(checker, project);
    check_license_files(checker, project);
    check_license_classifiers(checker, project, expression);
}

}  // namespace tarnvik::rules::project
