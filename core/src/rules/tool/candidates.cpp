#include "rules/tool/candidates.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

#include "tarnvik/pep440.hpp"
#include "tarnvik/standards.hpp"

namespace tarnvik::rules::tool {

namespace {

// One requirement on the tool's package: the versions it allows (none: any) and its string.
struct Requirement {
    std::optional<standards::VersionSet> versions;
    Span span;
};

// The requirements on the package in `project.dependencies`, `project.optional-dependencies`
// and `[dependency-groups]`, in that order.
std::vector<Requirement> requirements_on(const document::Table& root, std::string_view package) {
    std::vector<Requirement> found;
    for_each_requirement_string(root, [&](const StringEntry& entry) {
        if (auto required = standards::required_versions(entry.text, package))
            found.push_back({std::move(required->versions), entry.span});
    });
    return found;
}

// The tool's releases as versions. The release list ascends in version order, so the releases
// a set holds are found by binary search at the bounds of its intervals, and only the releases
// those searches visit are parsed.
class KnownReleases {
  public:
    using Bound = standards::VersionSet::Bound;
    using BoundKind = standards::VersionSet::BoundKind;

    explicit KnownReleases(const Tool& tool) : tool_(tool), versions_(tool.releases().size()) {}

    // The releases the set holds, ascending.
    std::vector<Release> in(const standards::VersionSet& set) {
        std::vector<Release> found;
        for (const auto& interval : set.intervals()) {
            for (std::size_t i = first_from(interval.start), end = end_of(interval.end); i < end;
                 ++i) {
                found.push_back(Release(i));
            }
        }
        return found;
    }

    // The lowest release the set holds.
    std::optional<Release> first_in(const standards::VersionSet& set) {
        for (const auto& interval : set.intervals()) {
            const std::size_t first = first_from(interval.start);
            if (first < end_of(interval.end)) return Release(first);
        }
        return std::nullopt;
    }

  private:
    // The first release at or after the start bound.
    std::size_t first_from(const Bound& start) {
        if (start.kind == BoundKind::Unbounded) return 0;
        return partition_point([&](const pep440::Version& release) {
            return start.kind == BoundKind::Included ? release < start.version
                                                     : release <= start.version;
        });
    }

    // One past the last release at or before the end bound.
    std::size_t end_of(const Bound& end) {
        if (end.kind == BoundKind::Unbounded) return versions_.size();
        return partition_point([&](const pep440::Version& release) {
            return end.kind == BoundKind::Included ? release <= end.version : release < end.version;
        });
    }

    // The first release for which `before` is false; `before` holds for a prefix of the list.
    template <class Before>
    std::size_t partition_point(Before before) {
        std::size_t low = 0;
        std::size_t high = versions_.size();
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            if (before(version(middle))) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        return low;
    }

    const pep440::Version& version(std::size_t index) {
        std::optional<pep440::Version>& version = versions_[index];
        // The generator admits only valid, ascending release texts.
        if (!version)
            version =
                std::get<pep440::Version>(pep440::parse_version(tool_.release(Release(index))));
        return *version;
    }

    const Tool& tool_;
    std::vector<std::optional<pep440::Version>> versions_;
};

bool allowed_by(const std::vector<Requirement>& requirements, std::string_view version) {
    return requirements.empty() ||
           std::ranges::any_of(requirements, [&](const Requirement& requirement) {
               return !requirement.versions || requirement.versions->contains(version);
           });
}

// What the lock and the requirements make of the allowed releases, before the version setting.
struct Allowed {
    std::optional<std::vector<Release>> releases;  // none: nothing decided yet
    VersionSource source = Latest{};
    std::optional<Span> source_span;
    std::vector<std::string> unknown_locked;
};

// The releases of the locked versions, when the requirements allow every one of them.
bool decide_by_lock(const lock::Lock& lock, std::string_view package,
                    const std::vector<Requirement>& requirements, KnownReleases& known,
                    Allowed& allowed) {
    const std::vector<std::string>& locked = lock.versions(package);
    if (locked.empty()) return false;
    if (!std::ranges::all_of(locked, [&](const std::string& version) {
            return allowed_by(requirements, version);
        })) {
        return false;
    }
    std::vector<Release> releases;
    for (const std::string& version : locked) {
        // A text that is not itself a version (a specifier list, say) names no release.
        std::optional<Release> release;
        if (!standards::check_version(version)) {
            auto exact = standards::allowed_versions(version);
            if (auto* set = std::get_if<standards::VersionSet>(&exact))
                release = known.first_in(*set);
        }
        if (release) {
            releases.push_back(*release);
        } else {
            allowed.unknown_locked.push_back(version);
        }
    }
    allowed.releases = std::move(releases);
    allowed.source = Locked{lock.path};
    return true;
}

void decide_by_requirements(const std::vector<Requirement>& requirements, const Tool& tool,
                            std::optional<std::string> out_of_date_lock, KnownReleases& known,
                            Allowed& allowed) {
    std::vector<Release> releases;
    for (const Requirement& requirement : requirements) {
        if (!requirement.versions) {
            releases.push_back(tool.newest());
            continue;
        }
        std::vector<Release> held = known.in(*requirement.versions);
        releases.insert(releases.end(), held.begin(), held.end());
    }
    allowed.releases = std::move(releases);
    allowed.source = Requirements{std::move(out_of_date_lock)};
    allowed.source_span = requirements.front().span;
}

// Narrows what was decided by the tool's own version setting, or lets the setting decide.
void narrow_by_setting(Checker& checker, const Tool& tool, const document::Table& tool_table,
                       std::string_view key, KnownReleases& known, Allowed& allowed) {
    const document::Entry* entry = document::get(tool_table, key);
    const std::string* text = entry ? entry->value.as_string() : nullptr;
    if (!text) return;  // a value of another kind is the walk's to report
    auto parsed = standards::allowed_versions(*text);
    if (auto* error = std::get_if<standards::Error>(&parsed)) {
        checker.invalid_value(fmt::format("invalid `{}.{}`: {}", tool.table, key, error->message),
                              entry->value.span, error->span);
        return;
    }
    std::vector<Release> admitted = known.in(std::get<standards::VersionSet>(parsed));
    if (!allowed.releases) {
        allowed.releases = std::move(admitted);
        allowed.source = Setting{fmt::format("{}.{}", tool.table, key)};
        allowed.source_span = entry->value.span;
        return;
    }
    std::erase_if(*allowed.releases,
                  [&](Release release) { return !std::ranges::binary_search(admitted, release); });
    if (std::holds_alternative<Requirements>(allowed.source)) {
        allowed.source_span = entry->value.span;
    }
}

std::string joined(const std::vector<std::string>& texts, std::string_view separator) {
    std::string out;
    for (const std::string& text : texts) {
        if (!out.empty()) out += separator;
        out += text;
    }
    return out;
}

// The releases as one range of text: "a", "a and b", or "a to z".
std::string release_range(const Candidates& candidates) {
    const Tool& tool = candidates.tool;
    const std::vector<Release>& releases = candidates.releases;
    if (releases.size() == 1) return std::string(tool.release(releases.front()));
    if (releases.size() == 2) {
        return fmt::format("{} and {}", tool.release(releases[0]), tool.release(releases[1]));
    }
    return fmt::format("{} to {}", tool.release(releases.front()), tool.release(releases.back()));
}

struct ClosingNote {
    const Candidates& candidates;

    std::string operator()(const Locked& locked) const {
        return fmt::format("checked against {} {}, locked in {}", candidates.tool.name,
                           release_range(candidates), locked.lock);
    }
    std::string operator()(const Requirements& requirements) const {
        std::string note =
            fmt::format("checked against {} {}, which the project's requirements allow",
                        candidates.tool.name, release_range(candidates));
        if (requirements.out_of_date_lock) {
            note += fmt::format("; {} locks a version they do not allow, so it looks out of date",
                                *requirements.out_of_date_lock);
        }
        return note;
    }
    std::string operator()(const Setting& setting) const {
        return fmt::format("checked against {} {}, which `{}` allows", candidates.tool.name,
                           release_range(candidates), setting.name);
    }
    std::string operator()(const Latest&) const {
        return fmt::format("checked against {} {}, the latest release tarnvik knows; {}",
                           candidates.tool.name, release_range(candidates),
                           candidates.tool.unknown_version_hint);
    }
};

}  // namespace

Candidates Candidates::create(const Tool& tool, std::vector<Release> releases,
                              std::optional<Span> source_span, VersionSource source) {
    std::sort(releases.begin(), releases.end());
    releases.erase(std::unique(releases.begin(), releases.end()), releases.end());
    return Candidates{source_span, std::move(source), std::move(releases), {}, tool};
}

Candidates candidates(Checker& checker, const Tool& tool, const document::Table& root,
                      const document::Table& tool_table, std::optional<std::string_view> package,
                      std::optional<std::string_view> version_key) {
    KnownReleases known(tool);
    Allowed allowed;
    if (package) {
        const std::vector<Requirement> requirements = requirements_on(root, *package);
        const bool decided =
            checker.lock && decide_by_lock(*checker.lock, *package, requirements, known, allowed);
        if (!decided && !requirements.empty()) {
            // A lock that lists the package but did not decide locks a version outside them.
            std::optional<std::string> out_of_date;
            if (checker.lock && !checker.lock->versions(*package).empty()) {
                out_of_date = checker.lock->path;
            }
            decide_by_requirements(requirements, tool, std::move(out_of_date), known, allowed);
        }
    }
    if (version_key) narrow_by_setting(checker, tool, tool_table, *version_key, known, allowed);
    if (!allowed.releases) {
        allowed.releases = std::vector<Release>{tool.newest()};
        allowed.source = Latest{};
    }
    Candidates result = Candidates::create(tool, std::move(*allowed.releases), allowed.source_span,
                                           std::move(allowed.source));
    result.unknown_locked = std::move(allowed.unknown_locked);
    return result;
}

std::vector<Release> releases_in(const Tool& tool, const standards::VersionSet& set) {
    return KnownReleases(tool).in(set);
}

void report_unchecked(Checker& checker, const Candidates& candidates, Span span,
                      std::optional<std::string_view> table_name) {
    const Tool& tool = candidates.tool;
    const std::string table =
        table_name ? std::string(*table_name) : fmt::format("`[{}]`", tool.table);
    const std::string known = fmt::format("tarnvik knows {} {} to {}", tool.name,
                                          tool.releases().front(), tool.releases().back());
    std::string message;
    std::string help;
    if (candidates.unknown_locked.empty()) {
        message =
            fmt::format("tarnvik knows no {} version the project allows, so it did not check {}",
                        tool.name, table);
        help = known;
    } else {
        message = fmt::format("tarnvik does not know {} {}, so it did not check {}", tool.name,
                              joined(candidates.unknown_locked, ", "), table);
        help = fmt::format("{}; a newer tarnvik may know it", known);
    }
    Diagnostic diagnostic = Diagnostic::warning(std::move(message), span, Code::UnknownVersion)
                                .with_help(std::move(help));
    if (const auto* locked = std::get_if<Locked>(&candidates.source)) {
        diagnostic = std::move(diagnostic)
                         .with_note(fmt::format("the version is locked in {}", locked->lock));
    } else if (candidates.source_span) {
        diagnostic = std::move(diagnostic)
                         .with_label(candidates.source_span->start, candidates.source_span->end,
                                     "the versions the project allows");
    }
    checker.push(std::move(diagnostic));
}

void checked_against_note(const Candidates& candidates, std::vector<Diagnostic>& diagnostics,
                          std::size_t first) {
    if (first >= diagnostics.size()) return;
    const std::string note = std::visit(ClosingNote{candidates}, candidates.source);
    for (std::size_t i = first; i < diagnostics.size(); ++i) {
        if (!diagnostics[i].note) diagnostics[i].note = note;
    }
}

}  // namespace tarnvik::rules::tool
