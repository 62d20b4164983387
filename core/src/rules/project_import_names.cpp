#include <unordered_map>

#include "rules/project_checks.hpp"
#include "text/white_space.hpp"

namespace tarnvik::rules::project {

namespace {

enum class ImportKey { Names, Namespaces };

// One string entry of `import-names` or `import-namespaces`.
struct ImportName {
    ImportKey key;
    std::string_view name;  // without `; private`, trimmed
    Span span;
};

// The name an entry declares: the text before a final `; private`, trimmed.
std::string_view name_part(std::string_view entry) {
    std::size_t semicolon = entry.rfind(';');
    if (semicolon != std::string_view::npos &&
        text::trim_white_space(entry.substr(semicolon + 1)) == "private")
        entry = entry.substr(0, semicolon);
    return text::trim_white_space(entry);
}

bool is_valid_name(ImportKey key, std::string_view name) {
    if (name.empty()) return key == ImportKey::Names;
    return is_dotted_identifier(name);
}

void collect(Checker& checker, const document::Table& project, ImportKey key,
             std::vector<ImportName>& names) {
    std::string_view key_text = key == ImportKey::Names ? "import-names" : "import-namespaces";
    const document::Entry* entry = document::get(project, key_text);
    if (entry == nullptr) return;
    std::vector<StringEntry> strings =
        checker.string_array("project." + std::string(key_text), entry->value);
    const document::Array* array = entry->value.as_array();
    if (key == ImportKey::Namespaces && array && array->empty())
        checker.push(Diagnostic::error("`project.import-namespaces` cannot be empty",
                                       entry->value.span, Code::InvalidValue));
    for (const StringEntry& string : strings) {
        std::string_view name = name_part(string.text);
        if (!is_valid_name(key, name))
            checker.push(Diagnostic::error("invalid import name `" + std::string(string.text) + "`",
                                           string.span, Code::InvalidValue)
                             .with_help("use a dotted Python name, optionally followed by "
                                        "`; private`"));
        names.push_back({key, name, string.span});
    }
}

void check_listed_in_both(Checker& checker, const std::vector<ImportName>& names) {
    // The first `import-names` entry of each name, so that long lists cost linear time.
    std::unordered_map<std::string_view, Span> first_listed;
    for (const ImportName& name : names)
        if (name.key == ImportKey::Names) first_listed.try_emplace(name.name, name.span);
    for (const ImportName& space : names) {
        if (space.key != ImportKey::Namespaces || space.name.empty()) continue;
        auto same = first_listed.find(space.name);
        if (same == first_listed.end()) continue;
        checker.push(Diagnostic::error("`" + std::string(space.name) +
                                           "` is listed in both `import-names` and "
                                           "`import-namespaces`",
                                       space.span, Code::InvalidValue)
                         .with_label(same->second.start, same->second.end,
                                     "also listed in `import-names` here"));
    }
}

}  // namespace

void check_import_names(Checker& checker, const document::Table& project) {
    std::vector<ImportName> names;
    collect(checker, project, ImportKey::Names, names);
    collect(checker, project, ImportKey::Namespaces, names);
    check_listed_in_both(checker, names);
}

}  // namespace tarnvik::rules::project
