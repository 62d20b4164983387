#include "rules/ty.hpp"

#include <fmt/format.h>

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "knowledge/ty.hpp"
#include "rules/suggestion_cache.hpp"
#include "rules/tool.hpp"

namespace tarnvik::rules::ty {

namespace {

using ::tarnvik::ty::TY;
using Release = ::tarnvik::tool::Release;

// The rule names used as keys of `rules` and `overrides.rules`, against the rules each allowed
// release knows.
class TyChecks final : public tool::Extension {
  public:
    void option(Checker& checker, const tool::Candidates& candidates,
                const tool::ToolOption& option, const document::Value& value) override {
        if (option.key != "rules" && option.key != "overrides.rules") return;
        const document::Table* rules = value.as_table();
        if (!rules || rules->entries.empty()) return;
        if (candidates.releases.empty()) std::abort();  // checked only with candidates
        KeyNames names(*rules);
        for (const document::Entry& entry : rules->entries)
            check_rule(checker, candidates, names, entry);
        names.settle(checker);
    }

  private:
    void check_rule(Checker& checker, const tool::Candidates& candidates, KeyNames& names,
                    const document::Entry& entry) {
        const std::optional<::tarnvik::ty::Rule> rule = ::tarnvik::ty::rule(entry.key);
        const ::tarnvik::tool::Lacking missing = ::tarnvik::tool::lacking(
            rule ? rule->releases : std::span<const ::tarnvik::tool::ReleaseRange>{},
            candidates.releases);
        if (!missing.first) return;
        if (!rule) {
            report_unknown(checker, candidates, names, entry);
            return;
        }
        tool::report_availability(candidates, checker, fmt::format("the rule `{}`", entry.key),
                                  ::tarnvik::tool::added_after(rule->releases, *missing.first),
                                  ::tarnvik::tool::removed_before(rule->releases, *missing.first),
                                  entry.key_span, missing.count == candidates.releases.size(), 1);
    }

    void report_unknown(Checker& checker, const tool::Candidates& candidates, KeyNames& names,
                        const document::Entry& entry) {
        const std::optional<std::string_view> suggestion =
            suggestions_.find(entry.key, [&](std::string_view name) {
                return closest_name(name, known_names(candidates.newest()));
            });
        Diagnostic diagnostic =
            Diagnostic::warning(fmt::format("unknown rule `{}`", entry.key), entry.key_span,
                                Code::InvalidValue)
                .with_help(suggestion ? did_you_mean(*suggestion)
                                      : fmt::format("ty ignores rules it does not know; see {}",
                                                    ::tarnvik::ty::RULE_DOCS));
        names.offer_rename(checker, std::move(diagnostic), entry, suggestion,
                           Applicability::Unsafe);
    }

    // The rules the release knows, in table order; listed once.
    const std::vector<std::string_view>& known_names(Release release) {
        if (known_.empty()) {
            for (const ::tarnvik::ty::Rule rule : ::tarnvik::ty::rules()) {
                if (::tarnvik::tool::holds(rule.releases, release)) known_.push_back(rule.name);
            }
        }
        return known_;
    }

    std::vector<std::string_view> known_;
    SuggestionCache suggestions_;
};

std::string ty_version(std::uint64_t minor) {
    return fmt::format("3.{}", minor);
}

void check_python_version(Checker& checker, const document::Table& root,
                          const document::Table& ty_table, const tool::Candidates& candidates) {
    const document::Table* environment = document::table_of(&ty_table, "environment");
    if (!environment || environment->entries.empty()) return;
    const document::Entry* entry = document::get(*environment, "python-version");
    const std::string* text = entry ? entry->value.as_string() : nullptr;
    if (!text) return;
    const std::optional<std::uint64_t> minor = tool::minor_after("3.", *text);
    if (!minor) return;
    tool::check_python_target(checker, root, candidates,
                              {"environment.python-version", entry->value, *minor}, ty_version,
                              "ty may accept code that needs");
}

}  // namespace

void check_ty(Checker& checker, const document::Table& root) {
    const document::Table* tool_table = document::table_of(&root, "tool");
    const document::Entry* ty = tool_table ? document::get(*tool_table, "ty") : nullptr;
    const document::Table* ty_table = ty ? ty->value.as_table() : nullptr;
    if (!ty_table) return;
    const tool::Candidates candidates =
        tool::candidates(checker, TY, root, *ty_table, "ty", std::nullopt);
    if (candidates.releases.empty()) {
        tool::report_unchecked(checker, candidates, ty->key_span);
        return;
    }
    const std::size_t first = checker.diagnostics.size();
    TyChecks checks;
    tool::check_table(candidates, checker, checks, *ty_table, ty->value.span, "");
    check_python_version(checker, root, *ty_table, candidates);
    tool::checked_against_note(candidates, checker.diagnostics, first);
}

}  // namespace tarnvik::rules::ty
