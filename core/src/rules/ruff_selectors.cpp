#include <fmt/format.h>

#include <cstdlib>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "rules/ruff_checks.hpp"
#include "tarnvik/edit.hpp"

// The judgement of every rule selector in the selector settings against the allowed releases.
namespace tarnvik::rules::ruff {

namespace {

using ::tarnvik::ruff::RUFF;
using ::tarnvik::ruff::RuleStatus;
using ::tarnvik::ruff::SelectorRow;
using ::tarnvik::tool::Lacking;

// The allowed releases that lack a selector: every one when no release knows it.
Lacking lacking(const std::optional<SelectorRow>& row, const std::vector<Release>& releases) {
    return ::tarnvik::tool::lacking(row ? row->releases : std::span<const ReleaseRange>{},
                                    releases);
}

// The release that removed a deprecated rule, when the tables hold one.
std::optional<std::string_view> removal_of(const SelectorRow& row) {
    if (row.removed == 0 || row.removed > RUFF.newest()) return std::nullopt;
    return RUFF.release(row.removed);
}

}  // namespace

void RuffChecks::option(Checker& checker, const tool::Candidates& candidates,
                        const tool::ToolOption& option, const document::Value& value) {
    if (!option.selectors) return;
    if (candidates.releases.empty()) std::abort();  // checked only with candidates
    const std::string_view name = ::tarnvik::tool::last_segment(option.key);
    const bool is_select = name == "select" || name == "extend-select";
    // The per-file settings map file patterns to selector arrays.
    std::vector<const document::Value*> arrays;
    if (const document::Table* table = value.as_table()) {
        for (const document::Entry& entry : table->entries)
            arrays.push_back(&entry.value);
    } else {
        arrays.push_back(&value);
    }
    std::vector<Span> entry_spans;
    for (const document::Value* list : arrays) {
        const document::Array* array = list->as_array();
        if (!array) continue;
        entry_spans.clear();
        for (const document::Value& element : *array)
            entry_spans.push_back(element.span);
        for (std::size_t position = 0; position < array->size(); ++position) {
            const document::Value& element = (*array)[position];
            if (const std::string* text = element.as_string()) {
                check_selector(checker, candidates, {entry_spans, *text, element.span, position},
                               is_select);
            }
        }
    }
}

void RuffChecks::check_selector(Checker& checker, const tool::Candidates& candidates,
                                const Selector& selector, bool is_select) {
    const std::string_view t = selector.text;
    const Span s = selector.span;
    const std::optional<SelectorRow> row = ::tarnvik::ruff::selector(t);
    const Lacking missing = lacking(row, candidates.releases);

    if (missing.first) {
        if (const std::optional<std::string_view> remapped = ::tarnvik::ruff::redirect(t)) {
            Diagnostic diagnostic =
                Diagnostic::warning(
                    fmt::format("Ruff remaps the rule code `{}` to `{}`", t, *remapped), s,
                    Code::DeprecatedSetting)
                    .with_help(fmt::format("use `{}`", *remapped));
            // The new code only where every allowed release knows it: in place of `TCH` for a
            // project that allows 0.7, `TC` would be unknown to that release.
            if (lacking(::tarnvik::ruff::selector(*remapped), candidates.releases).count == 0) {
                diagnostic = std::move(diagnostic)
                                 .with_fix(Fix{{edit::replace_string(checker.source, s, *remapped)},
                                               Applicability::Safe});
            }
            checker.push(std::move(diagnostic));
            return;
        }
        // With linter preview, 0.16.0 and later only warn about selectors they do not know. The
        // releases ascend: the first that lacks the selector is the oldest.
        const bool older = !(preview_.lint && *missing.first >= release_named("0.16.0"));
        if (!row) {
            check_unknown_selector(checker, selector, older);
            return;
        }
        const Release first_lacking = *missing.first;
        const std::optional<Release> added =
            ::tarnvik::tool::added_after(row->releases, first_lacking);
        const std::optional<Release> removed =
            ::tarnvik::tool::removed_before(row->releases, first_lacking);
        if (is_select || added || !removed) {
            const bool none = missing.count == candidates.releases.size() &&
                              (older || row->status == RuleStatus::Removed ||
                               row->status == RuleStatus::Deprecated);
            tool::report_availability(candidates, checker, fmt::format("the rule selector `{}`", t),
                                      added, removed, s, none, 0);
            return;
        }
        // Gone for good: in an ignore list it changes nothing, from that release on.
        Diagnostic diagnostic =
            Diagnostic::warning(
                fmt::format("Ruff removed the rule `{}` in {}, so this has no effect", t,
                            RUFF.release(*removed)),
                s, Code::IneffectiveSetting)
                .with_help("remove it");
        // Removed only where no allowed release has the rule, which older ones would still apply.
        if (missing.count == candidates.releases.size()) {
            diagnostic = std::move(diagnostic)
                             .with_fix(Fix{edit::remove_entry(checker.source, selector.entry_spans,
                                                              selector.position),
                                           Applicability::Safe});
        }
        checker.push(std::move(diagnostic));
        return;
    }

    std::size_t deprecated = 0;
    for (Release release : candidates.releases)
        deprecated += row->deprecated_in(release) ? 1 : 0;
    if (deprecated > 0 && is_select) {
        std::string help = "remove it";
        if (const std::optional<std::string_view> removal = removal_of(*row)) {
            help = fmt::format("remove it; {}", fmt::format("Ruff removed it in {}", *removal));
        }
        if (preview_.lint && deprecated == candidates.releases.size()) {
            checker.push(
                Diagnostic::error(
                    fmt::format(
                        "Ruff does not allow selecting the deprecated rule `{}` with preview", t),
                    s, Code::InvalidValue)
                    .with_help(std::move(help)));
        } else {
            checker.push(Diagnostic::warning(fmt::format("Ruff deprecates the rule `{}`", t), s,
                                             Code::DeprecatedSetting)
                             .with_help(std::move(help)));
        }
        return;
    }
    if (is_rule_name(t) && !preview_.lint) {
        checker.push(
            Diagnostic::error(fmt::format("selecting rules by name, like `{}`, needs preview", t),
                              s, Code::InvalidValue)
                .with_help("use the rule's code, or set `preview = true` in `[tool.ruff.lint]`"));
        return;
    }
    if (is_select && !preview_.lint &&
        ::tarnvik::ruff::selects_only_preview_rules(t, candidates.newest())) {
        checker.push(
            Diagnostic::warning(
                fmt::format("`{}` selects only preview rules, so it has no effect without preview",
                            t),
                s, Code::IneffectiveSetting)
                .with_help("set `preview = true` in `[tool.ruff.lint]` to enable them"));
    }
}

void RuffChecks::check_unknown_selector(Checker& checker, const Selector& selector, bool older) {
    const std::string_view t = selector.text;
    const Span s = selector.span;
    Diagnostic diagnostic =
        Diagnostic::error(fmt::format("unknown rule selector `{}`", t), s, Code::InvalidValue);
    if (!older) diagnostic.severity = Severity::Warning;
    if (const std::optional<std::string_view> suggestion = suggestions_.for_selector(t)) {
        diagnostic = std::move(diagnostic)
                         .with_help(did_you_mean(*suggestion))
                         .with_fix(Fix{{edit::replace_string(checker.source, s, *suggestion)},
                                       Applicability::Unsafe});
    }
    checker.push(std::move(diagnostic));
}

}  // namespace tarnvik::rules::ruff
