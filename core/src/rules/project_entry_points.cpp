#include <algorithm>

#include "rules/project_checks.hpp"
#include "tarnvik/text.hpp"
#include "text/white_space.hpp"

namespace tarnvik::rules::project {

namespace {

struct OwnGroup {
    std::string_view group;
    std::string_view key;  // the `[project]` key these entry points belong in
};
constexpr OwnGroup OWN_GROUPS[] = {
    {"console_scripts", "scripts"},
    {"gui_scripts", "gui-scripts"},
};

bool is_valid_group(std::string_view group) {
    for (std::size_t start = 0;;) {
        std::size_t dot = std::min(group.find('.', start), group.size());
        std::vector<char32_t> part = text::scalars(group.substr(start, dot - start));
        if (part.empty() || !std::all_of(part.begin(), part.end(), is_identifier_character))
            return false;
        if (dot == group.size()) return true;
        start = dot + 1;
    }
}

// `package.module:object.attribute`, optionally followed by `[extras]`.
bool is_entry_point_reference(std::string_view value) {
    return is_object_reference(text::trim_white_space(value.substr(0, value.find('['))));
}

void check_table_of_entry_points(Checker& checker, const document::Table& project,
                                 std::string_view key) {
    const std::string path = "project." + std::string(key);
    if (const document::Entry* entry = checker.table_entry(project, key, path))
        check_entry_point(checker, path, *entry->value.as_table());
}

void check_group(Checker& checker, const document::Entry& group) {
    auto own = std::find_if(std::begin(OWN_GROUPS), std::end(OWN_GROUPS),
                            [&](const OwnGroup& g) { return g.group == group.key; });
    if (own != std::end(OWN_GROUPS))
        return checker.push(
            Diagnostic::error("`" + group.key + "` entry points must be declared in `[project." +
                                  std::string(own->key) + "]`",
                              group.key_span, Code::InvalidValue)
                .with_help("move these entries to `[project." + std::string(own->key) + "]`"));
    if (!is_valid_group(group.key))
        checker.push(Diagnostic::error("invalid entry point group `" + group.key + "`",
                                       group.key_span, Code::InvalidValue)
                         .with_help("group names are letters, digits, and underscores, separated "
                                    "by dots"));
    std::string path = "project.entry-points." + group.key;
    if (const document::Table* entries = group.value.as_table())
        check_entry_point(checker, path, *entries);
    else
        checker.invalid_type(path, "a table", group.value);
}

}  // namespace

void check_scripts(Checker& checker, const document::Table& project) {
    check_table_of_entry_points(checker, project, "scripts");
    check_table_of_entry_points(checker, project, "gui-scripts");
    const document::Entry* groups =
        checker.table_entry(project, "entry-points", "project.entry-points");
    if (groups == nullptr) return;
    for (const document::Entry& group : groups->value.as_table()->entries)
        check_group(checker, group);
}

void check_entry_point(Checker& checker, std::string_view path, const document::Table& entries) {
    for (const document::Entry& entry : entries.entries) {
        const std::string& name = entry.key;
        if (name.empty() || name.find('=') != std::string::npos || name.starts_with('['))
            checker.push(Diagnostic::error("invalid entry point name `" + name + "`",
                                           entry.key_span, Code::InvalidValue));
        const std::string* value = entry.value.as_string();
        if (value == nullptr)
            checker.invalid_type(std::string(path) + "." + name, "a string", entry.value);
        else if (!is_entry_point_reference(*value))
            checker.push(Diagnostic::error("invalid object reference `" + *value + "`",
                                           entry.value.span, Code::InvalidValue)
                             .with_help("use `package.module:function`"));
    }
}

}  // namespace tarnvik::rules::project
