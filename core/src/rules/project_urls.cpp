#include <algorithm>

#include "rules/project_checks.hpp"
#include "tarnvik/url.hpp"

namespace tarnvik::rules::project {

namespace {

constexpr std::size_t LABEL_LIMIT = 32;

std::size_t character_count(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

void check_urls(Checker& checker, const document::Table& project) {
    const document::Entry* entry = document::get(project, "urls");
    if (entry == nullptr) return;
    const document::Table* urls = entry->value.as_table();
    if (urls == nullptr) return checker.invalid_type("project.urls", "a table", entry->value);
    for (const document::Entry& link : urls->entries) {
        if (character_count(link.key) > LABEL_LIMIT)
            checker.push(Diagnostic::warning("URL label `" + link.key + "` is longer than " +
                                                 std::to_string(LABEL_LIMIT) + " characters",
                                             link.key_span, Code::InvalidValue)
                             .with_help("core metadata limits labels to 32 characters"));
        const std::string* address = link.value.as_string();
        if (address == nullptr) {
            checker.invalid_type("project.urls." + link.key, "a string", link.value);
            continue;
        }
        if (auto reason = url::check(*address))
            checker.push(Diagnostic::warning("invalid URL for `" + link.key + "`: " + *reason,
                                             link.value.span, Code::InvalidValue));
    }
}

}  // namespace tarnvik::rules::project
