#include "rules/build_system.hpp"

#include <fmt/format.h>

#include <string>
#include <string_view>

namespace tarnvik::rules::build_system {

namespace {

constexpr std::string_view KNOWN_KEYS[] = {"requires", "build-backend", "backend-path"};

void check_build_backend(Checker& checker, const document::Value& value) {
    const std::string* text = value.as_string();
    if (!text) {
        checker.invalid_type("build-system.build-backend", "a string", value);
        return;
    }
    if (is_object_reference(*text)) return;
    checker.push(
        Diagnostic::error(fmt::format("invalid build backend `{}`", *text), value.span,
                          Code::InvalidValue)
            .with_help(
                "use a Python object reference such as `package.module` or `package.module:object`"));
}

// Judged on the text alone: the file system is never consulted.
bool leaves_project(std::string_view path) {
    if (path.empty()) return false;
    if (path[0] == '/' || path[0] == '\\') return true;
    bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '/' || path[2] == '\\');
    if (drive) return true;
    std::size_t depth = 0;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view component = path.substr(start, end - start);
        if (component == "..") {
            if (depth == 0) return true;
            --depth;
        } else if (!component.empty() && component != ".") {
            ++depth;
        }
        start = end + 1;
    }
    return false;
}

void check_backend_path(Checker& checker, const document::Value& value) {
    for (const StringEntry& entry : checker.string_array("build-system.backend-path", value)) {
        if (!leaves_project(entry.text)) continue;
        checker.push(
            Diagnostic::error(fmt::format("backend path `{}` is outside the project", entry.text),
                              entry.span, Code::InvalidValue)
                .with_help(
                    "backend paths must be relative to the directory containing pyproject.toml and stay inside it"));
    }
}

}  // namespace

void check_build_system(Checker& checker, const document::Table& root) {
    const document::Entry* build_system = checker.table_entry(root, "build-system", "build-system");
    if (!build_system) return;
    const document::Table* table = build_system->value.as_table();
    checker.unknown_keys(*table, "`[build-system]`", KNOWN_KEYS);

    if (const document::Entry* requires_ = document::get(*table, "requires")) {
        checker.requirement_array("build-system.requires", requires_->value);
    } else {
        checker.missing_key(
            "`[build-system]`", "requires", build_system->key_span,
            "list the packages needed to build the project, for example `requires = [\"hatchling\"]`");
    }
    if (const document::Entry* backend = document::get(*table, "build-backend")) {
        check_build_backend(checker, backend->value);
    }
    if (const document::Entry* paths = document::get(*table, "backend-path")) {
        check_backend_path(checker, paths->value);
    }
}

}  // namespace tarnvik::rules::build_system
