#include "rules/project_checks.hpp"
#include "text/white_space.hpp"

namespace tarnvik::rules::project {

namespace {

constexpr std::string_view PERSON_KEYS[] = {"name", "email"};

// Core metadata joins people into one comma-separated field, so an address must stand alone.
bool is_plausible_email(std::string_view email) {
    std::size_t at = email.find('@');
    if (at == std::string_view::npos || at == 0 || at + 1 == email.size()) return false;
    if (email.find('@', at + 1) != std::string_view::npos) return false;
    return email.find_first_of(",<>") == std::string_view::npos && !text::has_white_space(email);
}

void check_person_name(Checker& checker, std::string_view path, const document::Value& name) {
    const std::string* text = name.as_string();
    if (text == nullptr) return checker.invalid_type(std::string(path) + ".name", "a string", name);
    if (text->find(',') == std::string::npos) return;
    checker.push(Diagnostic::warning("`" + std::string(path) + "` names should not contain commas",
                                     name.span, Code::InvalidValue)
                     .with_help("core metadata separates people with commas, so this reads as "
                                "several names; list each person or organization as a separate "
                                "entry"));
}

void check_person_email(Checker& checker, std::string_view path, const document::Value& email) {
    const std::string* text = email.as_string();
    if (text == nullptr)
        return checker.invalid_type(std::string(path) + ".email", "a string", email);
    if (!is_plausible_email(*text))
        checker.push(Diagnostic::error("invalid email address `" + *text + "`", email.span,
                                       Code::InvalidValue));
}

void check_person(Checker& checker, std::string_view path, const document::Value& element) {
    const document::Table* person = element.as_table();
    if (person == nullptr)
        return checker.push(Diagnostic::error("entries of `" + std::string(path) +
                                                  "` must be tables, found " +
                                                  std::string(value_kind(element)),
                                              element.span, Code::InvalidType)
                                .with_help("use `{ name = \"...\", email = \"...\" }`"));
    checker.unknown_keys(*person, "a `" + std::string(path) + "` entry", PERSON_KEYS);
    const document::Entry* name = document::get(*person, "name");
    const document::Entry* email = document::get(*person, "email");
    if (name == nullptr && email == nullptr)
        checker.push(
            Diagnostic::error("entries of `" + std::string(path) + "` must set `name` or `email`",
                              element.span, Code::MissingKey));
    if (name) check_person_name(checker, path, name->value);
    if (email) check_person_email(checker, path, email->value);
}

void check_people_list(Checker& checker, const document::Table& project, std::string_view key) {
    const document::Entry* entry = document::get(project, key);
    if (entry == nullptr) return;
    std::string path = "project." + std::string(key);
    const document::Array* people = entry->value.as_array();
    if (people == nullptr) return checker.invalid_type(path, "an array of tables", entry->value);
    for (const document::Value& element : *people)
        check_person(checker, path, element);
}

}  // namespace

void check_people(Checker& checker, const document::Table& project) {
    check_people_list(checker, project, "authors");
    check_people_list(checker, project, "maintainers");
}

}  // namespace tarnvik::rules::project
