#include "rules/project.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "ascii.hpp"
#include "rules/project_checks.hpp"
#include "tarnvik/standards.hpp"
#include "text/white_space.hpp"

namespace tarnvik::rules::project {

namespace {

using document::Entry;
using document::Table;
using document::Value;

// In this order: it is the candidate order of suggestions.
constexpr std::string_view KNOWN_KEYS[] = {
    "name",
    "version",
    "description",
    "readme",
    "requires-python",
    "license",
    "license-files",
    "authors",
    "maintainers",
    "keywords",
    "classifiers",
    "urls",
    "scripts",
    "gui-scripts",
    "entry-points",
    "dependencies",
    "optional-dependencies",
    "import-names",
    "import-namespaces",
    "dynamic",
};

// A build backend cannot extend these, so a static value and a `dynamic` entry contradict.
constexpr std::string_view STATIC_ONLY_KEYS[] = {
    "version", "description", "readme", "requires-python", "license",
};

constexpr std::string_view README_KEYS[] = {"file", "text", "content-type"};
constexpr std::string_view README_SUFFIXES[] = {".md", ".rst", ".txt"};
constexpr std::string_view README_CONTENT_TYPES[] = {"text/markdown", "text/x-rst", "text/plain"};

// The `[project]` table and the span of its `project` key, where missing keys are reported.
struct Project {
    const Table& table;
    Span key;
};

bool contains(std::span<const std::string_view> list, std::string_view text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

std::string lower_ascii(std::string_view text) {
    std::string lowered(text);
    std::ranges::transform(lowered, lowered.begin(), ascii::to_lower);
    return lowered;
}

// The static entries of the keys that a build backend cannot extend, looked up once: `dynamic`
// may list them any number of times, and each lookup scans the whole table.
class StaticOnlyEntries {
  public:
    explicit StaticOnlyEntries(const Table& project) {
        for (std::size_t i = 0; i < std::size(STATIC_ONLY_KEYS); ++i)
            entries_[i] = document::get(project, STATIC_ONLY_KEYS[i]);
    }

    // The entry of `key` when it is one of those keys and set statically.
    const Entry* find(std::string_view key) const {
        auto found = std::find(std::begin(STATIC_ONLY_KEYS), std::end(STATIC_ONLY_KEYS), key);
        if (found == std::end(STATIC_ONLY_KEYS)) return nullptr;
        return entries_[static_cast<std::size_t>(found - std::begin(STATIC_ONLY_KEYS))];
    }

  private:
    std::array<const Entry*, std::size(STATIC_ONLY_KEYS)> entries_{};
};

void check_dynamic_item(Checker& checker, const StaticOnlyEntries& static_only,
                        const StringEntry& item) {
    if (item.text == "name") {
        checker.push(Diagnostic::error("`name` cannot be listed in `project.dynamic`", item.span,
                                       Code::InvalidDynamic)
                         .with_help("the project name must be set statically"));
        return;
    }
    if (item.text == "dynamic" || !contains(KNOWN_KEYS, item.text)) {
        auto diagnostic = Diagnostic::error(
            fmt::format("`{}` in `project.dynamic` is not a `[project]` key", item.text), item.span,
            Code::InvalidDynamic);
        // `dynamic` itself is left out so that it is never offered as its own correction.
        const auto listable = std::span(KNOWN_KEYS).first(std::size(KNOWN_KEYS) - 1);
        if (auto suggestion = closest_name(item.text, listable)) {
            diagnostic = std::move(diagnostic).with_help(did_you_mean(*suggestion));
        }
        checker.push(std::move(diagnostic));
        return;
    }
    const Entry* value = static_only.find(item.text);
    if (value == nullptr) return;
    checker.push(static_and_dynamic(item.text, value->key_span)
                     .with_label(item.span.start, item.span.end, "listed in `dynamic` here")
                     .with_help(fmt::format("remove `{}` from `dynamic` or remove its static value",
                                            item.text)));
}

// The string items of `dynamic`, which the `version` step consults.
std::vector<StringEntry> check_dynamic(Checker& checker, const Table& project) {
    const Entry* dynamic = document::get(project, "dynamic");
    if (dynamic == nullptr) return {};
    std::vector<StringEntry> items = checker.string_array("project.dynamic", dynamic->value);
    const StaticOnlyEntries static_only(project);
    for (const StringEntry& item : items)
        check_dynamic_item(checker, static_only, item);
    return items;
}

void check_name(Checker& checker, const Project& project) {
    const Entry* name = document::get(project.table, "name");
    if (name == nullptr) {
        checker.missing_key(
            "`[project]`", "name", project.key,
            "the project name must be set statically, for example `name = \"my-project\"`");
        return;
    }
    const std::string* text = name->value.as_string();
    if (text == nullptr) {
        checker.invalid_type("project.name", "a string", name->value);
    } else if (!standards::normalized_name(*text)) {
        checker.push(invalid_name("project", *text, name->value.span)
                         .with_help(std::string(NAME_RULES_HELP)));
    }
}

void check_version(Checker& checker, const Project& project,
                   const std::vector<StringEntry>& dynamic) {
    const Entry* version = document::get(project.table, "version");
    if (version == nullptr) {
        const bool is_dynamic =
            std::any_of(dynamic.begin(), dynamic.end(),
                        [](const StringEntry& item) { return item.text == "version"; });
        if (is_dynamic) return;
        checker.push(
            Diagnostic::error("`[project]` must set `version` or list it in `dynamic`", project.key,
                              Code::MissingKey)
                .with_help(
                    "add `version = \"0.1.0\"`, or `dynamic = [\"version\"]` if your build backend provides it"));
        return;
    }
    const std::string* text = version->value.as_string();
    if (text == nullptr) {
        checker.invalid_type("project.version", "a string", version->value);
    } else if (auto error = standards::check_version(*text)) {
        checker.invalid_value(fmt::format("invalid version `{}`: {}", *text, error->message),
                              version->value.span, error->span);
    }
}

void check_description(Checker& checker, const Table& project) {
    const Entry* description = document::get(project, "description");
    if (description == nullptr) return;
    const std::string* text = description->value.as_string();
    if (text == nullptr) {
        checker.invalid_type("project.description", "a string", description->value);
    } else if (text->find_first_of("\n\r") != std::string::npos) {
        checker.push(
            Diagnostic::warning("`project.description` should be a single line",
                                description->value.span, Code::InvalidValue)
                .with_help(
                    "core metadata allows a one-line summary; put the full description in the file referenced by `readme`"));
    }
}

void check_readme_file_name(Checker& checker, const std::string& file, Span span) {
    const std::string lowered = lower_ascii(file);
    const bool known_suffix =
        std::any_of(std::begin(README_SUFFIXES), std::end(README_SUFFIXES),
                    [&](std::string_view suffix) { return lowered.ends_with(suffix); });
    if (known_suffix) return;
    checker.push(
        Diagnostic::error(fmt::format("cannot infer the content type of readme `{}`", file), span,
                          Code::InvalidValue)
            .with_help(fmt::format(
                "rename it with a `.md` or `.rst` suffix, or use `readme = {{ file = \"{}\", content-type = \"text/plain\" }}`",
                file)));
}

// The media type without parameters, trimmed and in lower case, as tools compare it.
std::string media_type(std::string_view content_type) {
    return lower_ascii(text::trim_white_space(content_type.substr(0, content_type.find(';'))));
}

void check_readme_content_type(Checker& checker, const Table& readme, Span readme_span) {
    const Entry* content_type = document::get(readme, "content-type");
    if (content_type == nullptr) {
        checker.push(
            Diagnostic::error("`project.readme` must set `content-type` when it is a table",
                              readme_span, Code::MissingKey));
        return;
    }
    const std::string* text = content_type->value.as_string();
    if (text == nullptr) {
        checker.invalid_type("project.readme.content-type", "a string", content_type->value);
    } else if (!contains(README_CONTENT_TYPES, media_type(*text))) {
        checker.push(Diagnostic::error(fmt::format("unsupported readme content type `{}`", *text),
                                       content_type->value.span, Code::InvalidValue)
                         .with_help("use `text/markdown`, `text/x-rst`, or `text/plain`"));
    }
}

void check_readme_table(Checker& checker, const Table& readme, Span readme_span) {
    checker.unknown_keys(readme, "`project.readme`", README_KEYS);
    if (!check_file_or_text(checker, readme, "project.readme")) {
        checker.push(Diagnostic::error("`project.readme` must set `file` or `text`", readme_span,
                                       Code::MissingKey));
    }
    check_readme_content_type(checker, readme, readme_span);
}

void check_readme(Checker& checker, const Table& project) {
    const Entry* readme = document::get(project, "readme");
    if (readme == nullptr) return;
    const Value& value = readme->value;
    if (const std::string* file = value.as_string()) {
        check_readme_file_name(checker, *file, value.span);
    } else if (const Table* table = value.as_table()) {
        check_readme_table(checker, *table, value.span);
    } else {
        checker.invalid_type("project.readme", "a string or a table", value);
    }
}

void check_requires_python(Checker& checker, const Table& project) {
    const Entry* requires_python = document::get(project, "requires-python");
    if (requires_python == nullptr) return;
    const std::string* text = requires_python->value.as_string();
    if (text == nullptr) {
        checker.invalid_type("project.requires-python", "a string", requires_python->value);
    } else if (auto error = standards::check_specifiers(*text)) {
        checker.invalid_value(fmt::format("invalid `requires-python`: {}", error->message),
                              requires_python->value.span, error->span);
    }
}

// Only their type is judged here; the classifier values have checks of their own.
void check_string_lists(Checker& checker, const Table& project) {
    for (std::string_view key : {"keywords", "classifiers"}) {
        if (const Entry* entry = document::get(project, key)) {
            checker.string_array(fmt::format("project.{}", key), entry->value);
        }
    }
}

}  // namespace

bool check_file_or_text(Checker& checker, const Table& table, std::string_view path) {
    const Entry* file = document::get(table, "file");
    const Entry* text = document::get(table, "text");
    if (file && !file->value.as_string())
        checker.invalid_type(fmt::format("{}.file", path), "a string", file->value);
    if (text && !text->value.as_string())
        checker.invalid_type(fmt::format("{}.text", path), "a string", text->value);
    if (file && text)
        checker.push(
            Diagnostic::error(fmt::format("`{}` cannot set both `file` and `text`", path),
                              text->key_span, Code::InvalidValue)
                .with_label(file->key_span.start, file->key_span.end, "`file` is also set here"));
    return file || text;
}

void check_project(Checker& checker, const document::Table& root) {
    const Entry* entry = checker.table_entry(root, "project", "project");
    if (entry == nullptr) return;
    const Table* table = entry->value.as_table();
    const Project project{*table, entry->key_span};

    // The order fixes the order of findings that end up at equal spans.
    checker.unknown_keys(*table, "`[project]`", KNOWN_KEYS);
    const std::vector<StringEntry> dynamic = check_dynamic(checker, *table);
    check_name(checker, project);
    check_version(checker, project, dynamic);
    check_description(checker, *table);
    check_readme(checker, *table);
    check_requires_python(checker, *table);
    check_people(checker, *table);
    check_string_lists(checker, *table);
    check_urls(checker, *table);
    check_scripts(checker, *table);
    check_import_names(checker, *table);
    check_dependencies(checker, *table);
    check_license(checker, *table);
    check_classifiers(checker, *table);
}

}  // namespace tarnvik::rules::project
