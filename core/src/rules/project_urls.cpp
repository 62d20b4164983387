#include "rules/project_checks.hpp"
#include "tarnvik/text.hpp"
#include "tarnvik/url.hpp"

namespace tarnvik::rules::project {

namespace {

constexpr std::size_t LABEL_LIMIT = 32;

}  // namespace

void check_urls(Checker& checker, const document::Table& project) {
    const document::Entry* urls = checker.table_entry(project, "urls", "project.urls");
    if (urls == nullptr) return;
    for (const document::Entry& link : urls->value.as_table()->entries) {
        if (text::scalar_count(link.key) > LABEL_LIMIT)
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
