#include "rules/ruff.hpp"

#include <fmt/format.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "rules/ruff_checks.hpp"
#include "tarnvik/edit.hpp"

namespace tarnvik::rules::ruff {

namespace {

using ::tarnvik::ruff::RUFF;

// The table the linter settings belong in.
constexpr std::string_view LINT = "lint";

std::optional<bool> boolean_at(const document::Table& table, std::string_view key) {
    const document::Entry* entry = document::get(table, key);
    const bool* value = entry ? entry->value.as_bool() : nullptr;
    return value ? std::optional<bool>(*value) : std::nullopt;
}

// The linter settings written at the top level, reported together, with a safe fix that moves
// them under `lint` when that name is free (`names`: no key of the table takes it, nor a rename
// the walk offered).
void report_linter_settings(Checker& checker, KeyNames& names,
                            const std::vector<const document::Entry*>& settings) {
    if (settings.empty()) return;
    Diagnostic diagnostic =
        Diagnostic::warning("linter settings at the top level of `[tool.ruff]` are deprecated",
                            settings.front()->key_span, Code::DeprecatedSetting)
            .with_help(
                "move them to `[tool.ruff.lint]`, such as `[tool.ruff.lint] select = [...]`");
    for (std::size_t i = 1; i < settings.size(); ++i) {
        const Span key = settings[i]->key_span;
        diagnostic = std::move(diagnostic).with_label(key.start, key.end, "also a linter setting");
    }
    Fix fix{{}, Applicability::Safe};
    for (const document::Entry* setting : settings) {
        // Every place the key is written moves, or the setting would be split in two. A quoted
        // key keeps its quotes; a table header's key moves the whole table.
        document::for_each_key_span(*setting, [&](Span key) {
            fix.edits.push_back(
                Edit{fmt::format("lint.{}", checker.source.substr(key.start, key.size())), key});
        });
    }
    names.offer(checker, std::move(diagnostic), std::move(fix), LINT);
}

std::string ruff_target(std::uint64_t minor) {
    return fmt::format("py3{}", minor);
}

void check_target_version(Checker& checker, const document::Table& root,
                          const document::Table& ruff_table, const tool::Candidates& candidates) {
    const document::Entry* entry = document::get(ruff_table, "target-version");
    const std::string* text = entry ? entry->value.as_string() : nullptr;
    if (!text) return;
    const std::optional<std::uint64_t> minor = tool::minor_after("py3", *text);
    if (!minor) return;
    tool::check_python_target(checker, root, candidates, {"target-version", entry->value, *minor},
                              ruff_target, "Ruff may suggest code that needs");
}

// `output-format = "text"` from 0.2.0 to 0.4.10; later releases reject the value.
void check_output_format(Checker& checker, const tool::ToolOption& option, std::string_view value,
                         Span span, Release newest) {
    const Release deprecated = release_named("0.2.0");
    if (value != "text" || newest < deprecated || newest > release_named("0.4.10")) return;
    checker.push(Diagnostic::warning(fmt::format("`{} = \"{}\"` is deprecated since Ruff {}",
                                                 option.key, value, RUFF.release(deprecated)),
                                     span, Code::DeprecatedSetting)
                     .with_help("use \"full\" or \"concise\""));
}

// The releases in which Ruff supports a Python target only in preview.
std::optional<ReleaseRange> preview_only_releases(std::string_view target) {
    if (target == "py314") return ReleaseRange{release_named("0.11.8"), release_named("0.12.5")};
    if (target == "py315") return ReleaseRange{release_named("0.14.11"), release_named("0.16.9")};
    return std::nullopt;
}

void check_preview_target(Checker& checker, const tool::Candidates& candidates,
                          std::string_view value, Span span) {
    const std::optional<ReleaseRange> window = preview_only_releases(value);
    if (!window) return;
    // The newest allowed release in the window.
    for (auto release = candidates.releases.rbegin(); release != candidates.releases.rend();
         ++release) {
        if (*release < window->first || *release > window->last) continue;
        checker.push(
            Diagnostic::warning(
                fmt::format("Ruff {} supports `{}` only in preview", RUFF.release(*release), value),
                span, Code::UnsupportedFeature)
                .with_help(
                    "Ruff warns that support is under development; set `preview = true` in `[tool.ruff]`, or target an earlier version"));
        return;
    }
}

}  // namespace

Preview preview_of(const document::Table& ruff_table) {
    const std::optional<bool> ruff = boolean_at(ruff_table, "preview");
    const document::Table* lint = document::table_of(&ruff_table, "lint");
    const std::optional<bool> lint_preview = lint ? boolean_at(*lint, "preview") : std::nullopt;
    return {.lint = lint_preview.value_or(ruff.value_or(false)), .ruff = ruff.value_or(false)};
}

Release release_named(std::string_view text) {
    const std::optional<Release> release = RUFF.release_named(text);
    if (!release) std::abort();  // the release is known
    return *release;
}

bool RuffChecks::deprecated(std::string_view prefix, const document::Entry& entry) {
    if (!moves_into(prefix, entry.key)) return false;
    linter_settings_.push_back(&entry);
    return true;
}

std::optional<std::string_view> RuffChecks::moves_into(std::string_view prefix,
                                                       std::string_view key) {
    if (!prefix.empty() || !RUFF.option(fmt::format("{}.{}", LINT, key))) return std::nullopt;
    return LINT;
}

void RuffChecks::accepted(Checker& checker, const tool::Candidates& candidates,
                          const tool::ToolOption& option, const document::Value& value) {
    const std::string* text = value.as_string();
    if (!text) return;
    if (candidates.releases.empty()) std::abort();  // checked only with candidates
    if (option.key == "output-format") {
        check_output_format(checker, option, *text, value.span, candidates.newest());
    } else if (option.key == "target-version" && !preview_.ruff) {
        check_preview_target(checker, candidates, *text, value.span);
    }
}

void check_ruff(Checker& checker, const document::Table& root) {
    const document::Table* tool_table = document::table_of(&root, "tool");
    const document::Entry* ruff = tool_table ? document::get(*tool_table, "ruff") : nullptr;
    const document::Table* ruff_table = ruff ? ruff->value.as_table() : nullptr;
    if (!ruff_table) return;
    const tool::Candidates candidates =
        tool::candidates(checker, RUFF, root, *ruff_table, "ruff", "required-version");
    if (candidates.releases.empty()) {
        tool::report_unchecked(checker, candidates, ruff->key_span);
        return;
    }
    const std::size_t first = checker.diagnostics.size();
    RuffChecks checks(preview_of(*ruff_table), candidates.newest());
    KeyNames names(*ruff_table);
    tool::check_table(candidates, checker, checks, *ruff_table, ruff->value.span, "", &names);
    report_linter_settings(checker, names, checks.linter_settings());
    names.settle(checker);
    check_target_version(checker, root, *ruff_table, candidates);
    tool::checked_against_note(candidates, checker.diagnostics, first);
}

}  // namespace tarnvik::rules::ruff
