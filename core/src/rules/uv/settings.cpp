#include "rules/uv/settings.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ascii.hpp"
#include "knowledge/uv.hpp"
#include "tarnvik/diagnostic.hpp"
#include "tarnvik/edit.hpp"
#include "tarnvik/span.hpp"
#include "tarnvik/standards.hpp"

namespace tarnvik::rules::uv {

namespace {

// Names sorted byte-wise, without duplicates, once `finish` has run; and the sum of their sizes,
// which a suggestion search among them costs.
struct NameSet {
    std::vector<std::string> names;
    std::size_t bytes = 0;
};

void finish(NameSet& set) {
    std::sort(set.names.begin(), set.names.end());
    set.names.erase(std::unique(set.names.begin(), set.names.end()), set.names.end());
    for (const std::string& name : set.names)
        set.bytes += name.size();
}

bool contains(const NameSet& set, std::string_view name) {
    return std::binary_search(set.names.begin(), set.names.end(), name, std::less<>{});
}

using document::table_of;
using document::value_of;

const document::Array* array_of(const document::Table* table, std::string_view key) {
    const document::Value* value = value_of(table, key);
    return value ? value->as_array() : nullptr;
}

const std::string* string_of(const document::Table& table, std::string_view key) {
    const document::Value* value = value_of(&table, key);
    return value ? value->as_string() : nullptr;
}

// What the rest of the project file defines, for the references in `[tool.uv]` to be checked
// against. A set that cannot be known (a list of the project the build backend fills in) is
// absent.
struct ProjectContext {
    std::optional<NameSet> dependencies;
    std::optional<NameSet> extras;
    NameSet groups;
    NameSet indexes;  // as written
    bool workspace = false;
};

void add_normalized_keys(const document::Table* table, NameSet& set) {
    if (!table) return;
    for (const document::Entry& entry : table->entries) {
        if (std::optional<std::string> name = standards::normalized_name(entry.key)) {
            set.names.push_back(std::move(*name));
        }
    }
}

ProjectContext project_context(const document::Table& root, const document::Table& uv) {
    ProjectContext context;
    const document::Table* project = table_of(&root, "project");
    const document::Table* groups = table_of(&root, "dependency-groups");
    bool dynamic_dependencies = false;
    bool dynamic_extras = false;
    if (const document::Array* dynamic = array_of(project, "dynamic")) {
        for (const document::Value& item : *dynamic) {
            const std::string* key = item.as_string();
            if (!key) continue;
            dynamic_dependencies = dynamic_dependencies || *key == "dependencies";
            dynamic_extras = dynamic_extras || *key == "optional-dependencies";
        }
    }
    const document::Table* optional = table_of(project, "optional-dependencies");
    if (project && !dynamic_dependencies && !dynamic_extras) {
        NameSet& names = context.dependencies.emplace();
        const auto add_name = [&](const StringEntry& entry) {
            if (std::optional<std::string> name = standards::requirement_name(entry.text))
                names.names.push_back(std::move(*name));
        };
        for_each_requirement_string(root, add_name);
        for_each_string(value_of(&uv, "dev-dependencies"), add_name);
        finish(names);
    }
    if (project && !dynamic_extras) {
        add_normalized_keys(optional, context.extras.emplace());
        finish(*context.extras);
    }
    add_normalized_keys(groups, context.groups);
    if (document::get(uv, "dev-dependencies")) context.groups.names.emplace_back("dev");
    finish(context.groups);
    if (const document::Array* indexes = array_of(&uv, "index")) {
        for (const document::Value& index : *indexes) {
            const document::Table* table = index.as_table();
            const std::string* name = table ? string_of(*table, "name") : nullptr;
            if (name) context.indexes.names.push_back(*name);
        }
    }
    finish(context.indexes);
    context.workspace = document::get(uv, "workspace") != nullptr;
    return context;
}

// The kinds of package source and the keys each allows, sorted.
struct SourceKind {
    std::string_view name;
    std::span<const std::string_view> keys;
};

constexpr std::string_view GIT_KEYS[] = {"branch", "extra", "git", "group",        "lfs",
                                         "marker", "path",  "rev", "subdirectory", "tag"};
constexpr std::string_view URL_KEYS[] = {"extra", "group", "marker", "subdirectory", "url"};
constexpr std::string_view PATH_KEYS[] = {"editable", "extra",   "group",
                                          "marker",   "package", "path"};
constexpr std::string_view INDEX_KEYS[] = {"extra", "group", "index", "marker"};
constexpr std::string_view WORKSPACE_KEYS[] = {"editable", "extra", "group", "marker", "workspace"};

constexpr SourceKind SOURCE_KINDS[] = {
    {"git", GIT_KEYS},
    {"url", URL_KEYS},
    {"path", PATH_KEYS},
    {"index", INDEX_KEYS},
    {"workspace", WORKSPACE_KEYS},
};

constexpr std::string_view KIND_NAMES[] = {"git", "url", "path", "index", "workspace"};

// The Git keys of which a source may set one, in the order findings name them.
constexpr std::string_view GIT_CHOICES[] = {"rev", "tag", "branch"};

bool allows(const SourceKind& kind, std::string_view key) {
    return std::binary_search(kind.keys.begin(), kind.keys.end(), key);
}

// A name that should refer to something the project defines.
struct Reference {
    std::string_view kind;  // "index", "extra" or "dependency group"
    std::string_view name;  // as written
    Span span;              // of the value (or key) that holds it
};

// A finding that uv rejects from `release` on: an error only when every allowed release is that
// one or later, else a warning.
Diagnostic rejected_from(const tool::Candidates& candidates, std::string_view release,
                         Diagnostic diagnostic) {
    const std::optional<tool::Release> from = candidates.tool.release_named(release);
    diagnostic.help = fmt::format("uv rejects it from {}", release);
    const bool every_release_rejects =
        from && std::ranges::all_of(candidates.releases,
                                    [&](tool::Release allowed) { return allowed >= *from; });
    if (!every_release_rejects) diagnostic.severity = Severity::Warning;
    return diagnostic;
}

// "`a`", "`a` and `b`", "`a`, `b`, and `c`".
std::string english_list(std::span<const std::string_view> names) {
    if (names.empty()) return {};
    if (names.size() == 1) return fmt::format("`{}`", names[0]);
    if (names.size() == 2) return fmt::format("`{}` and `{}`", names[0], names[1]);
    std::string leading;
    for (std::string_view name : names.first(names.size() - 1)) {
        if (!leading.empty()) leading += ", ";
        leading += backticked(name);
    }
    return fmt::format("{}, and `{}`", leading, names.back());
}

// Whether the name is valid and its normal form is in the set of normal forms.
bool contains_normalized(const NameSet& set, std::string_view name) {
    const std::optional<std::string> normalized = standards::normalized_name(name);
    return normalized && contains(set, *normalized);
}

class Settings {
  public:
    Settings(Checker& checker, const tool::Candidates& candidates, const document::Table& root,
             const document::Table& uv)
        : checker_(checker), candidates_(candidates), root_(root), uv_(uv) {}

    void sources(const document::Table& sources) {
        for (const document::Entry& entry : sources.entries) {
            if (!context().workspace && context().dependencies &&
                !contains_normalized(*context().dependencies, entry.key)) {
                checker_.push(
                    Diagnostic::warning(
                        fmt::format(
                            "`{}` is not a dependency of the project, so uv ignores its source",
                            entry.key),
                        entry.key_span, Code::IneffectiveSetting)
                        .with_help("add it to the project's dependencies, or remove the source"));
            }
            if (const document::Array* list = entry.value.as_array()) {
                for (const document::Value& element : *list)
                    source(entry.key, element);
            } else {
                source(entry.key, entry.value);
            }
        }
    }

    void default_groups(const document::Array& groups) {
        for (const document::Value& element : groups) {
            const std::string* name = element.as_string();
            if (!name || contains_normalized(context().groups, *name)) continue;
            checker_.push(undefined({"dependency group", *name, element.span}, context().groups,
                                    "`uv sync` fails when a default group does not exist"));
        }
    }

    void group_settings(const document::Table& settings) {
        // Group names compare in normal form: `Dev` already has the settings of `dev`.
        KeyNames names(settings, NameForm::Normalized);
        for (const document::Entry& entry : settings.entries) {
            if (contains_normalized(context().groups, entry.key)) continue;
            auto [diagnostic, suggestion] =
                suggested({"dependency group", entry.key, entry.key_span}, context().groups,
                          "uv fails when a group it has settings for does not exist");
            names.offer_rename(checker_, std::move(diagnostic), entry, suggestion,
                               Applicability::Unsafe);
        }
        names.settle(checker_);
    }

    void conflicts(const document::Array& conflicts) {
        for (const document::Value& element : conflicts) {
            const document::Array* set = element.as_array();
            if (!set) continue;
            if (set->size() < 2) {
                checker_.push(
                    Diagnostic::error("a set of conflicts needs at least two items", element.span,
                                      Code::InvalidValue)
                        .with_help("list the extras or groups that conflict with each other"));
            }
            for (const document::Value& item : *set) {
                const document::Table* table = item.as_table();
                if (table && !document::get(*table, "package")) conflict_item(*table);
            }
        }
    }

    void indexes(const document::Array& indexes) {
        std::unordered_map<std::string_view, Span> seen;
        std::optional<Span> first_default;
        for (const document::Value& element : indexes) {
            const document::Table* table = element.as_table();
            if (!table) continue;
            if (const document::Entry* name = document::get(*table, "name"))
                index_name(*name, seen);
            const document::Entry* is_default = document::get(*table, "default");
            const bool* flag = is_default ? is_default->value.as_bool() : nullptr;
            if (!flag || !*flag) continue;
            const Span at = is_default->value.span;
            if (!first_default) {
                first_default = at;
                continue;
            }
            checker_.push(rejected_from(
                candidates_, "0.10.0",
                Diagnostic::error("more than one index is the default", at, Code::InvalidValue)
                    .with_label(first_default->start, first_default->end, "the first default")));
        }
    }

  private:
    void source(std::string_view package, const document::Value& value) {
        const document::Table* table = value.as_table();
        if (!table) return;
        std::vector<const SourceKind*> kinds;
        for (const SourceKind& kind : SOURCE_KINDS) {
            if (document::get(*table, kind.name)) kinds.push_back(&kind);
        }
        if (kinds.empty()) {
            checker_.push(
                Diagnostic::error(
                    fmt::format("the source for `{}` does not say where the package comes from",
                                package),
                    value.span, Code::InvalidValue)
                    .with_help(fmt::format("set one of {}", quoted_list(KIND_NAMES))));
        } else if (std::ranges::any_of(kinds, [&](const SourceKind* kind) {
                       return std::ranges::all_of(table->entries, [&](const document::Entry& e) {
                           return allows(*kind, e.key);
                       });
                   })) {
            git_choice(package, *table, value.span);
        } else if (kinds.size() > 1) {
            std::vector<std::string_view> names;
            for (const SourceKind* kind : kinds)
                names.push_back(kind->name);
            checker_.push(
                Diagnostic::error(
                    fmt::format("the source for `{}` combines {}", package, english_list(names)),
                    value.span, Code::InvalidValue)
                    .with_help(
                        "a source is one of a Git repository, a URL, a path, an index, or a workspace member"));
        } else {
            unknown_source_keys(package, *table, *kinds.front());
        }
        source_references(*table);
    }

    void git_choice(std::string_view package, const document::Table& table, Span at) {
        std::vector<std::string_view> set;
        for (std::string_view key : GIT_CHOICES) {
            if (document::get(table, key)) set.push_back(key);
        }
        if (set.size() < 2) return;
        checker_.push(Diagnostic::error(fmt::format("the Git source for `{}` sets {}", package,
                                                    english_list(set)),
                                        at, Code::InvalidValue)
                          .with_help("set only one of `rev`, `tag`, and `branch`"));
    }

    void unknown_source_keys(std::string_view package, const document::Table& table,
                             const SourceKind& kind) {
        for (const document::Entry& entry : table.entries) {
            if (allows(kind, entry.key)) continue;
            const std::optional<std::string_view> suggestion = closest_name(entry.key, kind.keys);
            checker_.push(
                unknown_key(entry.key, fmt::format("the source for `{}`", package), entry.key_span)
                    .with_help(suggestion ? did_you_mean(*suggestion)
                                          : fmt::format("a `{}` source allows {}", kind.name,
                                                        quoted_list(kind.keys))));
        }
    }

    void source_references(const document::Table& table) {
        if (const document::Entry* index = document::get(table, "index")) {
            const std::string* name = index->value.as_string();
            if (name && !contains(context().indexes, *name)) {
                checker_.push(undefined(
                    {"index", *name, index->value.span}, context().indexes,
                    "uv fails when a source names an index that `[[tool.uv.index]]` does not declare"));
            }
        }
        if (context().extras) {
            check_reference(table, "extra", "extra", *context().extras,
                            "uv fails when a source is for an extra that does not exist");
        }
        check_reference(table, "group", "dependency group", context().groups,
                        "uv fails when a source is for a group that does not exist");
    }

    void conflict_item(const document::Table& item) {
        if (context().extras) {
            check_reference(item, "extra", "extra", *context().extras, "uv ignores it",
                            Severity::Warning);
        }
        check_reference(item, "group", "dependency group", context().groups, "uv ignores it",
                        Severity::Warning);
    }

    // An `undefined` finding of the given severity when the string at `key` of `table` names
    // none of `names` in normal form.
    void check_reference(const document::Table& table, std::string_view key, std::string_view kind,
                         const NameSet& names, std::string_view help,
                         Severity severity = Severity::Error) {
        const document::Entry* entry = document::get(table, key);
        const std::string* name = entry ? entry->value.as_string() : nullptr;
        if (!name || contains_normalized(names, *name)) return;
        Diagnostic diagnostic = undefined({kind, *name, entry->value.span}, names, help);
        diagnostic.severity = severity;
        checker_.push(std::move(diagnostic));
    }

    void index_name(const document::Entry& entry,
                    std::unordered_map<std::string_view, Span>& seen) {
        const std::string* name = entry.value.as_string();
        if (!name) return;
        const Span at = entry.value.span;
        if (!valid_index_name(*name)) {
            checker_.push(invalid_name("index", *name, at)
                              .with_help("use ASCII letters, digits, `-`, `_`, and `.`"));
            return;
        }
        const auto [first, added] = seen.try_emplace(*name, at);
        if (added) return;
        checker_.push(rejected_from(
            candidates_, "0.6.4",
            Diagnostic::error(fmt::format("duplicate index name `{}`", *name), at,
                              Code::DuplicateName)
                .with_label(first->second.start, first->second.end, "first used here")));
    }

    static bool valid_index_name(std::string_view name) {
        return !name.empty() && std::ranges::all_of(name, [](char c) {
            return ascii::is_alphanumeric(c) || c == '-' || c == '_' || c == '.';
        });
    }

    // "undefined {kind} `{name}`", with the closest of `names` suggested while the budget lasts
    // and an unsafe fix that rewrites the value to it.
    Diagnostic undefined(const Reference& reference, const NameSet& names, std::string_view help) {
        auto [diagnostic, suggestion] = suggested(reference, names, help);
        if (!suggestion) return std::move(diagnostic);
        return std::move(diagnostic)
            .with_fix(Fix{{edit::replace_string(checker_.source, reference.span, *suggestion)},
                          Applicability::Unsafe});
    }

    // The same finding without a fix, and the name its help suggests.
    struct Suggested {
        Diagnostic diagnostic;
        std::optional<std::string_view> suggestion;
    };

    Suggested suggested(const Reference& reference, const NameSet& names, std::string_view help) {
        Diagnostic diagnostic =
            Diagnostic::error(fmt::format("undefined {} `{}`", reference.kind, reference.name),
                              reference.span, Code::InvalidValue);
        const std::optional<std::string_view> suggestion =
            budget_.suggest(reference.name, names.names, names.bytes);
        if (!suggestion) return {std::move(diagnostic).with_help(std::string(help)), suggestion};
        return {std::move(diagnostic)
                    .with_help(fmt::format("did you mean `{}`? {}", *suggestion, help)),
                suggestion};
    }

    // Built when a section first needs it: most projects have none of these sections.
    const ProjectContext& context() {
        if (!context_) context_ = project_context(root_, uv_);
        return *context_;
    }

    Checker& checker_;
    const tool::Candidates& candidates_;
    const document::Table& root_;
    const document::Table& uv_;
    std::optional<ProjectContext> context_;
    SuggestionBudget budget_;
};

// The value of a section's key, when the newest allowed release knows the key.
const document::Value* section(const tool::Candidates& candidates, const document::Table& uv,
                               std::string_view key) {
    const document::Entry* entry = document::get(uv, key);
    if (!entry) return nullptr;
    const std::optional<tool::ToolOption> option = ::tarnvik::uv::UV.option(key);
    return option && option->exists_in(candidates.newest()) ? &entry->value : nullptr;
}

}  // namespace

void check_uv_settings(Checker& checker, const tool::Candidates& candidates,
                       const document::Table& root, const document::Table& uv) {
    if (uv.entries.empty()) return;
    Settings settings(checker, candidates, root, uv);
    if (const document::Value* value = section(candidates, uv, "sources")) {
        if (const document::Table* sources = value->as_table()) settings.sources(*sources);
    }
    if (const document::Value* value = section(candidates, uv, "default-groups")) {
        const document::Array* groups = value->as_array();
        if (groups && !groups->empty()) settings.default_groups(*groups);
    }
    if (const document::Value* value = section(candidates, uv, "dependency-groups")) {
        const document::Table* groups = value->as_table();
        if (groups && !groups->entries.empty()) settings.group_settings(*groups);
    }
    if (const document::Value* value = section(candidates, uv, "conflicts")) {
        const document::Array* conflicts = value->as_array();
        if (conflicts && !conflicts->empty()) settings.conflicts(*conflicts);
    }
    if (const document::Value* value = section(candidates, uv, "index")) {
        if (const document::Array* indexes = value->as_array()) settings.indexes(*indexes);
    }
}

}  // namespace tarnvik::rules::uv
