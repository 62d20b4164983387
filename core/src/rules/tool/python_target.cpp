#include "rules/tool/python_target.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <limits>
#include <variant>
#include <vector>

#include "ascii.hpp"
#include "tarnvik/pep440.hpp"
#include "tarnvik/standards.hpp"

namespace tarnvik::rules::tool {

namespace {

constexpr std::uint64_t OLDEST_MINOR = 7;

}  // namespace

std::optional<std::uint64_t> minor_after(std::string_view spelling, std::string_view text) {
    if (!text.starts_with(spelling)) return std::nullopt;
    std::string_view digits = text.substr(spelling.size());
    if (digits.starts_with('+')) digits.remove_prefix(1);
    if (digits.empty() || !std::ranges::all_of(digits, ascii::is_digit)) return std::nullopt;
    std::uint64_t minor = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), minor);
    if (error != std::errc{}) return std::nullopt;  // beyond 64 bits
    return minor;
}

std::optional<std::uint64_t> lowest_admitted_minor(std::string_view specifiers, std::uint64_t from,
                                                   std::uint64_t below) {
    auto parsed = pep440::parse_specifiers(specifiers);
    const auto* list = std::get_if<std::vector<pep440::Specifier>>(&parsed);
    if (!list) return std::nullopt;
    // Whether a minor version is admitted changes only where a specifier's own version lies: a
    // run of admitted minors begins at `from` or at the minor of a version of Python 3, or the
    // one after it (`!=3.9.*` admits from 3.10 on). Trying those alone spares a scan of every
    // minor up to a target that may be as high as 64 bits go.
    std::vector<std::uint64_t> starts{from};
    for (const pep440::Specifier& specifier : *list) {
        const pep440::Release& release = specifier.version.release;
        if (release.empty() || release[0] != 3) continue;
        const std::uint64_t minor = release.size() > 1 ? release[1] : 0;
        starts.push_back(minor);
        if (minor < std::numeric_limits<std::uint64_t>::max()) starts.push_back(minor + 1);
    }
    std::ranges::sort(starts);
    for (std::uint64_t minor : starts) {
        if (minor < from || minor >= below) continue;
        if (standards::allows_python_minor(specifiers, 3, minor) == true) return minor;
    }
    return std::nullopt;
}

void check_python_target(Checker& checker, const document::Table& root,
                         const Candidates& candidates, const PythonTarget& target,
                         MinorSpelling spelling, std::string_view lead) {
    const Tool& tool = candidates.tool;
    const std::optional<ToolOption> option = tool.option(target.key);
    if (!option || candidates.releases.empty()) return;
    const std::optional<::tarnvik::tool::ValueType> type = option->type_in(candidates.newest());
    if (!type || !type->accepts(target.value)) return;
    const document::Entry* project = document::get(root, "project");
    const document::Table* project_table = project ? project->value.as_table() : nullptr;
    const document::Entry* requires_python =
        project_table ? document::get(*project_table, "requires-python") : nullptr;
    const std::string* specifiers = requires_python ? requires_python->value.as_string() : nullptr;
    if (!specifiers) return;
    const std::optional<std::uint64_t> oldest =
        lowest_admitted_minor(*specifiers, OLDEST_MINOR, target.minor);
    if (!oldest) return;
    const std::string_view setting = ::tarnvik::tool::last_segment(target.key);
    const Span requires_span = requires_python->value.span;
    std::string message =
        fmt::format("`{}` is Python 3.{}, but `requires-python` allows Python 3.{}", setting,
                    target.minor, *oldest);
    std::string help = fmt::format(
        "{} Python 3.{}; set `{} = \"{}\"`, or remove it so that {} uses `requires-python`", lead,
        target.minor, setting, spelling(*oldest), tool.name);
    checker.push(
        Diagnostic::warning(std::move(message), target.value.span, Code::InvalidValue)
            .with_label(requires_span.start, requires_span.end, "`requires-python` set here")
            .with_help(std::move(help)));
}

}  // namespace tarnvik::rules::tool
