#include "rules/tool/walk.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarnvik::rules::tool {

namespace {

using ::tarnvik::tool::last_segment;
using ::tarnvik::tool::OptionKind;
using ::tarnvik::tool::parent_key;
using ::tarnvik::tool::ValueType;

std::string_view without_final_dot(std::string_view prefix) {
    return prefix.ends_with('.') ? prefix.substr(0, prefix.size() - 1) : prefix;
}

bool has_key(const document::Table& table, std::string_view key) {
    return document::get(table, key) != nullptr;
}

Diagnostic with_source_label(Diagnostic diagnostic, const Candidates& candidates,
                             std::string text) {
    if (!candidates.source_span) return diagnostic;
    return std::move(diagnostic)
        .with_label(candidates.source_span->start, candidates.source_span->end, std::move(text));
}

// A value of the wrong type (the shared report), with what the tool does about it.
void report_wrong_type(const Candidates& candidates, Checker& checker, Diagnostic wrong,
                       Consequence code) {
    checker.push(add_consequence(std::move(wrong), candidates.tool, code));
}

// Whether the type rules of an option accept one value, each rule judged at most once.
class RuleVerdicts {
  public:
    RuleVerdicts(const ToolOption& option, const document::Value& value)
        : option_(option), value_(value), verdicts_(option.type_rules.size(), UNKNOWN) {}

    // Whether the release accepts the value: a release without a rule accepts anything.
    bool accepted_in(Release release) {
        const std::optional<std::size_t> rule = option_.rule_in(release);
        return !rule || accepts(*rule);
    }

  private:
    enum Verdict : std::uint8_t { UNKNOWN, YES, NO };

    bool accepts(std::size_t rule) {
        if (verdicts_[rule] == UNKNOWN) {
            verdicts_[rule] = option_.rule_type(rule).accepts(value_) ? YES : NO;
        }
        return verdicts_[rule] == YES;
    }

    const ToolOption& option_;
    const document::Value& value_;
    std::vector<Verdict> verdicts_;
};

// Some allowed releases reject the value, from `first` on.
void report_rejected_by_some(const Candidates& candidates, Checker& checker,
                             const ToolOption& option, const document::Value& value, Release first,
                             ValueType expected_there) {
    const Tool& tool = candidates.tool;
    const std::string setting = fmt::format("{}.{}", tool.table, option.key);
    Diagnostic diagnostic =
        Diagnostic::warning(
            fmt::format("some {} versions the project allows do not accept this value for `{}`",
                        tool.name, setting),
            value.span, Code::UnsupportedFeature)
            .with_help(fmt::format("{} {} expects {}", tool.name, tool.release(first),
                                   expected_there.describe()));
    checker.push(
        with_source_label(std::move(diagnostic), candidates, "allows versions that reject it"));
}

// Every allowed release rejects the value, the first being `first`; the help tells in which
// releases the tool accepts it.
void report_rejected_by_all(const Candidates& candidates, Checker& checker,
                            const ToolOption& option, const document::Value& value, Release first,
                            ValueType expected, RuleVerdicts& verdicts) {
    const Tool& tool = candidates.tool;
    const std::string setting = fmt::format("{}.{}", tool.table, option.key);
    Diagnostic diagnostic = Diagnostic::error(
        fmt::format("invalid value for `{}`: expected {}", setting, expected.describe()),
        value.span, Code::InvalidValue);
    std::optional<Release> first_accepting;
    std::optional<Release> last_accepting;
    for (std::size_t i = 0; i < tool.releases().size(); ++i) {
        const auto release = Release(i);
        if (!option.exists_in(release) || !verdicts.accepted_in(release)) continue;
        if (!first_accepting) first_accepting = release;
        last_accepting = release;
    }
    if (first_accepting && *first_accepting <= first) {
        diagnostic.help =
            fmt::format("{} accepted it until {}", tool.name, tool.release(*last_accepting));
    } else if (first_accepting) {
        diagnostic.help =
            fmt::format("{} accepts it from {}", tool.name, tool.release(*first_accepting));
    }
    diagnostic =
        with_source_label(std::move(diagnostic), candidates, "allows only versions that reject it");
    checker.push(
        add_consequence(std::move(diagnostic), tool, tool.invalid_value_consequence(option.key)));
}

void check_one_value(const Candidates& candidates, Checker& checker, Extension& extension,
                     const ToolOption& option, const document::Value& value) {
    RuleVerdicts verdicts(option, value);
    std::optional<Release> first_rejecting;
    std::size_t rejecting = 0;
    for (Release release : candidates.releases) {
        if (verdicts.accepted_in(release)) continue;
        if (!first_rejecting) first_rejecting = release;
        ++rejecting;
    }
    if (!first_rejecting) {
        extension.accepted(checker, candidates, option, value);
        return;
    }
    const std::size_t first_rule = *option.rule_in(*first_rejecting);
    if (rejecting < candidates.releases.size()) {
        report_rejected_by_some(candidates, checker, option, value, *first_rejecting,
                                option.rule_type(first_rule));
        return;
    }
    // The shape the newest allowed release expects, when it has a rule.
    const std::size_t expected = option.rule_in(candidates.newest()).value_or(first_rule);
    report_rejected_by_all(candidates, checker, option, value, *first_rejecting,
                           option.rule_type(expected), verdicts);
}

// The keys the table at `prefix` may hold in the release, in option order, for suggestions.
std::vector<std::string_view> keys_at(const Tool& tool, std::string_view prefix, Release release) {
    std::vector<std::string_view> keys;
    for (const ToolOption option : tool.options()) {
        if (!option.key.starts_with(prefix)) continue;
        const std::string_view rest = option.key.substr(prefix.size());
        if (!rest.empty() && rest.find('.') == std::string_view::npos &&
            option.exists_in(release)) {
            keys.push_back(rest);
        }
    }
    return keys;
}

// The value check of one entry whose key is the option's.
void check_value(const Candidates& candidates, Checker& checker, Extension& extension,
                 const ToolOption& option, const document::Value& value) {
    switch (option.kind) {
        case OptionKind::Table:
        case OptionKind::ArrayOfTables:
            return;
        case OptionKind::Value:
            check_one_value(candidates, checker, extension, option, value);
            return;
        case OptionKind::FreeTable:
            break;
    }
    const document::Table* table = value.as_table();
    if (!table) {
        const Tool& tool = candidates.tool;
        report_wrong_type(
            candidates, checker,
            wrong_type(fmt::format("{}.{}", tool.table, option.key), "a table", value),
            tool.invalid_value_consequence(option.key));
        return;
    }
    for (const document::Entry& entry : table->entries)
        check_one_value(candidates, checker, extension, option, entry.value);
}

// The table at `prefix` as messages name it: "`[tool.uv]`", "`[tool.ruff.lint]`",
// "`[[tool.uv.index]]`".
std::string table_display_name(const Tool& tool, std::string_view prefix) {
    if (prefix.empty() || !prefix.ends_with('.')) return fmt::format("`[{}]`", tool.table);
    const std::string_view key = without_final_dot(prefix);
    const std::optional<ToolOption> option = tool.option(key);
    if (option && option->kind == OptionKind::ArrayOfTables) {
        return fmt::format("`[[{}.{}]]`", tool.table, key);
    }
    return fmt::format("`[{}.{}]`", tool.table, key);
}

// One walk of one table; nested tables get walks of their own.
class TableWalk {
  public:
    TableWalk(const Candidates& candidates, Checker& checker, Extension& extension,
              const document::Table& table, Span span, std::string_view prefix, KeyNames* names)
        : candidates_(candidates),
          tool_(candidates.tool),
          checker_(checker),
          extension_(extension),
          table_(table),
          span_(span),
          prefix_(prefix),
          name_(without_final_dot(prefix)),
          newest_(candidates.newest()),
          names_(names != nullptr ? *names : own_names_.emplace(table)) {}

    void run() {
        // The old and new names of an option the tool renamed are one name for the table's
        // claims: no rename may write a setting that the table has under its other name.
        for (const ::tarnvik::tool::RenamedOption renamed : tool_.renames()) {
            if (parent_key(renamed.old_key) == name_) {
                names_.same_option(last_segment(renamed.old_key), renamed.new_name);
            }
        }
        report_missing_keys();
        std::string full_key;
        for (const document::Entry& entry : table_.entries) {
            // A quoted key holding a dot is one key to the tool, never a nested setting: the
            // extension sees it quoted, as TOML writes such a key.
            const bool dotted = entry.key.find('.') != std::string::npos;
            full_key.assign(prefix_);
            if (dotted) full_key += '"';
            full_key += entry.key;
            if (dotted) full_key += '"';
            if (extension_.skips(full_key)) continue;
            const std::optional<ToolOption> option = dotted ? std::nullopt : tool_.option(full_key);
            if (!option) {
                report_unknown(entry);
                continue;
            }
            if (!available(*option, entry)) continue;
            report_deprecation(*option, entry);
            check_value(candidates_, checker_, extension_, *option, entry.value);
            extension_.option(checker_, candidates_, *option, entry.value);
            check_shape(*option, entry.value, full_key);
        }
        if (own_names_) own_names_->settle(checker_);
    }

  private:
    void report_missing_keys() {
        for (std::string_view required : tool_.required()) {
            if (!required.starts_with(prefix_)) continue;
            const std::string_view rest = required.substr(prefix_.size());
            if (rest.find('.') != std::string_view::npos) continue;
            const std::optional<ToolOption> option = tool_.option(required);
            if (!option || !option->exists_in(newest_) || has_key(table_, rest)) continue;
            Diagnostic diagnostic =
                Diagnostic::error(
                    fmt::format("missing `{}` in {}", rest, table_display_name(tool_, prefix_)),
                    span_, Code::MissingKey)
                    .with_help(fmt::format("{} requires it", tool_.name));
            checker_.push(add_consequence(std::move(diagnostic), tool_,
                                          tool_.invalid_value_consequence(name_)));
        }
    }

    void report_unknown(const document::Entry& entry) {
        if (!suggestable_) suggestable_ = keys_at(tool_, prefix_, newest_);
        const std::optional<std::string_view> suggestion = closest_name(entry.key, *suggestable_);
        Diagnostic diagnostic =
            unknown_key(entry.key, table_display_name(tool_, prefix_), entry.key_span)
                .with_help(suggestion
                               ? did_you_mean(*suggestion)
                               : fmt::format("no {} release from {} to {} has this option; see {}",
                                             tool_.name, tool_.releases().front(),
                                             tool_.releases().back(), tool_.docs));
        diagnostic =
            add_consequence(std::move(diagnostic), tool_, tool_.unknown_key_consequence(name_));
        offer_rename(std::move(diagnostic), entry, suggestion, Applicability::Unsafe);
    }

    // The diagnostic, with a rename of the entry's key to `name` when there is one, which also
    // takes the key that a deprecated setting `name` moves into: the move frees `name` by taking
    // that key, so the two cannot both apply.
    void offer_rename(Diagnostic diagnostic, const document::Entry& entry,
                      std::optional<std::string_view> name, Applicability applicability) {
        std::optional<std::string_view> also =
            name ? extension_.moves_into(prefix_, *name) : std::nullopt;
        if (also && !deprecated_in_newest(*name)) also.reset();
        names_.offer_rename(checker_, std::move(diagnostic), entry, name, applicability, also);
    }

    bool deprecated_in_newest(std::string_view key) const {
        const std::optional<ToolOption> option = tool_.option(fmt::format("{}{}", prefix_, key));
        return option && ::tarnvik::tool::range_holding(option->deprecated, newest_) != nullptr;
    }

    // Reports the allowed releases that lack the option; false when none has it.
    bool available(const ToolOption& option, const document::Entry& entry) {
        const ::tarnvik::tool::Lacking lacking =
            ::tarnvik::tool::lacking(option.exists, candidates_.releases);
        if (!lacking.first) return true;
        const bool none = lacking.count == candidates_.releases.size();
        report_availability(candidates_, checker_, fmt::format("`{}.{}`", tool_.table, option.key),
                            ::tarnvik::tool::added_after(option.exists, *lacking.first),
                            ::tarnvik::tool::removed_before(option.exists, *lacking.first),
                            entry.key_span, none,
                            tool_.unknown_key_consequence(parent_key(option.key)));
        return !none;
    }

    void report_deprecation(const ToolOption& option, const document::Entry& entry) {
        const auto* range = ::tarnvik::tool::range_holding(option.deprecated, newest_);
        if (!range || extension_.deprecated(prefix_, entry)) return;
        Diagnostic diagnostic =
            Diagnostic::warning(fmt::format("`{}.{}` is deprecated since {} {}", tool_.table,
                                            option.key, tool_.name, tool_.release(range->first)),
                                entry.key_span, Code::DeprecatedSetting);
        if (option.note) diagnostic = std::move(diagnostic).with_help(std::string(*option.note));
        // An option's key is never dotted as written, so the new name is its last segment.
        std::optional<std::string_view> new_name = tool_.new_name(option.key);
        if (new_name && !known_in_every_release(option, *new_name)) new_name.reset();
        offer_rename(std::move(diagnostic), entry, new_name, Applicability::Safe);
    }

    // A safe rename must not break the releases that know only the old name.
    bool known_in_every_release(const ToolOption& option, std::string_view new_name) const {
        const std::string_view parent = parent_key(option.key);
        const std::string new_key =
            parent.empty() ? std::string(new_name) : fmt::format("{}.{}", parent, new_name);
        const std::optional<ToolOption> renamed = tool_.option(new_key);
        return renamed && std::ranges::all_of(candidates_.releases, [&](Release release) {
                   return renamed->exists_in(release);
               });
    }

    void check_shape(const ToolOption& option, const document::Value& value,
                     const std::string& full_key) {
        if (option.kind != OptionKind::Table && option.kind != OptionKind::ArrayOfTables) return;
        const std::string setting = fmt::format("{}.{}", tool_.table, full_key);
        const Consequence code = tool_.invalid_value_consequence(full_key);
        const std::string nested = full_key + ".";
        if (option.kind == OptionKind::Table) {
            if (const document::Table* table = value.as_table()) {
                check_table(candidates_, checker_, extension_, *table, value.span, nested);
            } else {
                report_wrong_type(candidates_, checker_, wrong_type(setting, "a table", value),
                                  code);
            }
            return;
        }
        const document::Array* array = value.as_array();
        if (!array) {
            report_wrong_type(candidates_, checker_,
                              wrong_type(setting, "an array of tables", value), code);
            return;
        }
        for (const document::Value& element : *array) {
            if (const document::Table* table = element.as_table()) {
                check_table(candidates_, checker_, extension_, *table, element.span, nested);
            } else {
                report_wrong_type(candidates_, checker_,
                                  invalid_entry_type(setting, "tables", element), code);
            }
        }
    }

    const Candidates& candidates_;
    const Tool& tool_;
    Checker& checker_;
    Extension& extension_;
    const document::Table& table_;
    Span span_;
    std::string_view prefix_;
    std::string_view name_;  // the prefix without its final dot
    Release newest_;
    std::optional<std::vector<std::string_view>> suggestable_;  // built at the first unknown key
    std::optional<KeyNames> own_names_;  // the table's names, unless the caller gave them
    KeyNames& names_;
};

}  // namespace

bool Extension::skips(std::string_view /*key*/) {
    return false;
}

bool Extension::deprecated(std::string_view /*prefix*/, const document::Entry& /*entry*/) {
    return false;
}

std::optional<std::string_view> Extension::moves_into(std::string_view /*prefix*/,
                                                      std::string_view /*key*/) {
    return std::nullopt;
}

void Extension::accepted(Checker& /*checker*/, const Candidates& /*candidates*/,
                         const ToolOption& /*option*/, const document::Value& /*value*/) {}

void Extension::option(Checker& /*checker*/, const Candidates& /*candidates*/,
                       const ToolOption& /*option*/, const document::Value& /*value*/) {}

void check_table(const Candidates& candidates, Checker& checker, Extension& extension,
                 const document::Table& table, Span table_span, std::string_view prefix,
                 KeyNames* names) {
    // Without releases there is nothing to judge against; the pass reports that instead.
    if (candidates.releases.empty()) return;
    TableWalk(candidates, checker, extension, table, table_span, prefix, names).run();
}

void report_availability(const Candidates& candidates, Checker& checker, std::string_view subject,
                         std::optional<Release> added, std::optional<Release> removed, Span span,
                         bool none, Consequence code) {
    const Tool& tool = candidates.tool;
    std::string help;
    if (added) {
        help = fmt::format("{} added it in {}; {}", tool.name, tool.release(*added),
                           tool.upgrade_to(*added));
    } else if (removed) {
        help = fmt::format("{} removed it in {}", tool.name, tool.release(*removed));
    }
    Diagnostic diagnostic =
        none ? with_source_label(
                   Diagnostic::error(fmt::format("no {} version the project allows supports {}",
                                                 tool.name, subject),
                                     span, Code::UnsupportedFeature),
                   candidates, "allows only versions without it")
             : with_source_label(
                   Diagnostic::error(
                       fmt::format("some {} versions the project allows do not support {}",
                                   tool.name, subject),
                       span, Code::UnsupportedFeature),
                   candidates, "allows versions without it");
    if (!help.empty()) diagnostic.help = std::move(help);
    if (none) {
        diagnostic = add_consequence(std::move(diagnostic), tool, code);
    } else {
        diagnostic.severity = Severity::Warning;
    }
    checker.push(std::move(diagnostic));
}

Diagnostic add_consequence(Diagnostic diagnostic, const Tool& tool, Consequence code) {
    if (code == 0) return diagnostic;
    std::optional<std::string> text;
    if (code == 1) {
        if (tool.note) text = std::string(*tool.note);
    } else if (code == 2) {
        text = fmt::format("{} ignores it", tool.name);
    } else {
        return diagnostic;
    }
    if (text) {
        if (!diagnostic.help) {
            diagnostic.help = std::move(*text);
        } else if (diagnostic.help->ends_with('?')) {
            diagnostic.help = fmt::format("{} {}", *diagnostic.help, *text);
        } else {
            diagnostic.help = fmt::format("{}; {}", *diagnostic.help, *text);
        }
    }
    diagnostic.severity = Severity::Warning;
    return diagnostic;
}

}  // namespace tarnvik::rules::tool
