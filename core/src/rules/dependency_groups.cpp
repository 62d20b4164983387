#include "rules/dependency_groups.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cassert>
#include <optional>
#include <string_view>

#include "tarnvik/standards.hpp"

namespace tarnvik::rules::dependency_groups {

namespace {

constexpr std::string_view INCLUDE_KEYS[] = {"include-group"};

void check_include_table(Checker& checker, const document::Value& element,
                         const document::Table& table, const std::string& group,
                         const std::string& path, std::vector<Include>& includes) {
    checker.unknown_keys(table, "a dependency group include", INCLUDE_KEYS);
    const document::Entry* include = document::get(table, "include-group");
    if (!include) {
        checker.push(Diagnostic::error("dependency group tables must set `include-group`",
                                       element.span, Code::MissingKey)
                         .with_help("use `{ include-group = \"other-group\" }`"));
        return;
    }
    const std::string* text = include->value.as_string();
    if (!text) {
        checker.invalid_type(fmt::format("{}.include-group", path), "a string", include->value);
        return;
    }
    std::optional<std::string> target = standards::normalized_name(*text);
    if (!target) {
        checker.push(invalid_name("dependency group", *text, include->value.span));
        return;
    }
    includes.push_back({group, std::move(*target), *text, include->value.span});
}

void check_group_entries(Checker& checker, const document::Array& entries, const std::string& group,
                         const std::string& path, std::vector<Include>& includes) {
    for (const document::Value& element : entries) {
        if (const std::string* requirement = element.as_string()) {
            checker.requirement(*requirement, element.span);
        } else if (const document::Table* table = element.as_table()) {
            check_include_table(checker, element, *table, group, path, includes);
        } else {
            checker.push(invalid_entry_type(path, "strings or tables", element));
        }
    }
}

void report_missing_includes(Checker& checker, const DistinctNames& groups,
                             const std::vector<Include>& includes) {
    std::size_t names_bytes = 0;
    for (const std::string& name : groups.names())
        names_bytes += name.size();
    SuggestionBudget budget;
    for (const Include& include : includes) {
        if (groups.find(include.target)) continue;
        Diagnostic diagnostic = Diagnostic::error(
            fmt::format("included dependency group `{}` does not exist", include.target_text),
            include.span, Code::InvalidValue);
        if (auto suggestion = budget.suggest(include.target, groups.names(), names_bytes)) {
            diagnostic = std::move(diagnostic).with_help(did_you_mean(*suggestion));
        }
        checker.push(std::move(diagnostic));
    }
}

void search_cycles(Checker& checker, const std::vector<Include>& includes) {
    IncludeGraph graph;
    for (const Include& include : includes)
        graph[include.group].push_back(include);
    std::vector<std::string> starts;
    starts.reserve(graph.size());
    for (const auto& [group, _] : graph)
        starts.push_back(group);
    std::sort(starts.begin(), starts.end());

    std::unordered_set<std::string> finished;
    Reported reported;
    for (const std::string& start : starts) {
        std::vector<std::string> path{start};
        find_cycles(checker, graph, path, finished, reported);
    }
}

void report_groups_named_like_extras(Checker& checker, const document::Table& root,
                                     const DistinctNames& groups) {
    if (groups.names().empty()) return;
    const document::Entry* project = document::get(root, "project");
    const document::Table* project_table = project ? project->value.as_table() : nullptr;
    if (!project_table) return;
    const document::Entry* extras = document::get(*project_table, "optional-dependencies");
    const document::Table* extras_table = extras ? extras->value.as_table() : nullptr;
    if (!extras_table) return;
    for (const document::Entry& extra : extras_table->entries) {
        std::optional<std::string> name = standards::normalized_name(extra.key);
        const Span* group_key = name ? groups.find(*name) : nullptr;
        if (!group_key) continue;
        checker.push(
            Diagnostic::error(
                fmt::format("dependency group `{}` has the same name as an extra", *name),
                *group_key, Code::DuplicateName)
                .with_label(extra.key_span.start, extra.key_span.end, "extra defined here")
                .with_help("tools may treat this as an error; give the group a different name"));
    }
}

std::string cycle_text(const std::vector<std::string>& path, std::size_t from,
                       const std::string& target) {
    std::string text;
    for (std::size_t i = from; i < path.size(); ++i)
        fmt::format_to(std::back_inserter(text), "`{}` -> ", path[i]);
    return text + backticked(target);
}

}  // namespace

void check_dependency_groups(Checker& checker, const document::Table& root) {
    const document::Entry* entry =
        checker.table_entry(root, "dependency-groups", "dependency-groups");
    if (!entry) return;
    const document::Table* table = entry->value.as_table();

    DistinctNames groups("dependency group", "group");
    std::vector<Include> includes;
    for (const document::Entry& group : table->entries) {
        std::optional<std::string> name = groups.add(checker, group);
        if (!name) continue;
        std::string path = fmt::format("dependency-groups.{}", group.key);
        const document::Array* entries = group.value.as_array();
        if (!entries) {
            checker.invalid_type(path, "an array", group.value);
            continue;
        }
        check_group_entries(checker, *entries, *name, path, includes);
    }
    report_missing_includes(checker, groups, includes);
    search_cycles(checker, includes);
    report_groups_named_like_extras(checker, root, groups);
}

// A depth-first search kept on an explicit stack, so that a long chain of includes cannot
// exhaust the call stack.
void find_cycles(Checker& checker, const IncludeGraph& graph, std::vector<std::string>& path,
                 std::unordered_set<std::string>& finished, Reported& reported) {
    assert(!path.empty() && "path is never empty");
    if (path.empty()) return;

    // Where each group stands on the path; a group is on it at most once past the given start.
    std::unordered_map<std::string, std::size_t> position;
    for (std::size_t i = 0; i < path.size(); ++i)
        position.emplace(path[i], i);

    struct Frame {
        const std::vector<Include>* includes;
        std::size_t next;
    };
    std::vector<Frame> frames;
    auto enter = [&] {
        if (finished.contains(path.back())) return false;
        auto it = graph.find(path.back());
        frames.push_back({it == graph.end() ? nullptr : &it->second, 0});
        return true;
    };
    auto leave = [&] {
        position.erase(path.back());
        path.pop_back();
    };

    const std::size_t given = path.size();
    auto over_budget = [&] { return reported.members_examined > Reported::MEMBER_BUDGET; };
    if (over_budget() || !enter()) return;
    while (!frames.empty()) {
        Frame& frame = frames.back();
        if (!frame.includes || frame.next == frame.includes->size()) {
            finished.insert(path.back());
            frames.pop_back();
            if (!frames.empty()) leave();
            continue;
        }
        const Include& include = (*frame.includes)[frame.next++];
        if (auto at = position.find(include.target); at != position.end()) {
            reported.members_examined += path.size() - at->second;
            if (over_budget()) break;
            std::vector<std::string> members(path.begin() + at->second, path.end());
            std::sort(members.begin(), members.end());
            if (!reported.cycles.insert(std::move(members)).second) continue;
            checker.push(
                Diagnostic::error(fmt::format("dependency groups include each other in a cycle: {}",
                                              cycle_text(path, at->second, include.target)),
                                  include.span, Code::InvalidValue));
            continue;
        }
        path.push_back(include.target);
        position.emplace(include.target, path.size() - 1);
        if (!enter()) leave();
    }
    while (path.size() > given)
        leave();
}

}  // namespace tarnvik::rules::dependency_groups
