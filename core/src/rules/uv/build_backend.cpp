#include "rules/uv/build_backend.hpp"

#include <fmt/format.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "knowledge/backends.hpp"
#include "knowledge/uv.hpp"
#include "rules/tool.hpp"
#include "tarnvik/standards.hpp"

namespace tarnvik::rules::uv {

namespace {

using tool::Candidates;

// The oldest uv_build release; nothing before it counts, whatever a requirement allows.
constexpr std::string_view FIRST_UV_BUILD = "0.6.6";
constexpr std::string_view ONLY_UV_BUILD_READS =
    "only `uv_build` reads these settings; set `build-backend = \"uv_build\"` in `[build-system]` to use it";

// The first string of `build-system.requires` that is a requirement on uv-build.
struct UvBuildRequirement {
    std::optional<standards::VersionSet> versions;
    Span span;
};

std::optional<UvBuildRequirement> uv_build_requirement(const document::Table& build_system) {
    const document::Entry* requires_ = document::get(build_system, "requires");
    const document::Array* requirements = requires_ ? requires_->value.as_array() : nullptr;
    if (!requirements) return std::nullopt;
    for (const document::Value& element : *requirements) {
        const std::string* text = element.as_string();
        if (!text) continue;
        std::optional<standards::RequiredVersions> required =
            standards::required_versions(*text, "uv-build");
        if (required) {
            return UvBuildRequirement{std::move(required->versions), element.span};
        }
    }
    return std::nullopt;
}

// The uv_build releases the requirement allows, from the first uv_build release on.
Candidates allowed_releases(const std::optional<UvBuildRequirement>& requirement) {
    const tool::Tool& uv_build = ::tarnvik::uv::UV_BUILD;
    if (!requirement)
        return Candidates::create(uv_build, {uv_build.newest()}, std::nullopt, tool::Latest{});
    tool::Setting setting{"build-system.requires"};
    if (!requirement->versions) {
        return Candidates::create(uv_build, {uv_build.newest()}, requirement->span,
                                  std::move(setting));
    }
    const standards::VersionSet allowed =
        requirement->versions->intersection(standards::VersionSet::at_least(FIRST_UV_BUILD));
    return Candidates::create(uv_build, tool::releases_in(uv_build, allowed), requirement->span,
                              std::move(setting));
}

// A walk of the whole `[tool.uv]` table with this judges only `build-backend` and what it holds.
class BuildBackendChecks final : public tool::Extension {
  public:
    bool skips(std::string_view key) override {
        return key != "build-backend" && !key.starts_with("build-backend.");
    }
};

}  // namespace

void check_build_backend(Checker& checker, const document::Table& root, const document::Table& uv,
                         Span uv_span) {
    const document::Entry* settings = document::get(uv, "build-backend");
    if (!settings) return;
    const Span at = settings->key_span;

    const document::Entry* build_system = document::get(root, "build-system");
    const document::Table* table = build_system ? build_system->value.as_table() : nullptr;
    const document::Entry* reference =
        table && !table->entries.empty() ? document::get(*table, "build-backend") : nullptr;
    const std::string* backend = reference ? reference->value.as_string() : nullptr;
    if (!backend) {
        checker.push(
            Diagnostic::warning(
                "without a `build-backend` in `[build-system]`, the build backend is setuptools, which ignores `[tool.uv.build-backend]`",
                at, Code::IneffectiveSetting)
                .with_help(std::string(ONLY_UV_BUILD_READS)));
        return;
    }
    const backends::Backend* known = backends::by_reference(*backend);
    if (!known || known->package != "uv-build") {
        checker.push(
            Diagnostic::warning(
                fmt::format("the build backend is `{}`, which ignores `[tool.uv.build-backend]`",
                            *backend),
                at, Code::IneffectiveSetting)
                .with_label(reference->value.span.start, reference->value.span.end,
                            "the build backend")
                .with_help(std::string(ONLY_UV_BUILD_READS)));
        return;
    }

    const Candidates candidates = allowed_releases(uv_build_requirement(*table));
    if (candidates.releases.empty()) {
        // The uv walk has checked the rest of `[tool.uv]`.
        tool::report_unchecked(checker, candidates, at, "`[tool.uv.build-backend]`");
        return;
    }
    const std::size_t first = checker.diagnostics.size();
    BuildBackendChecks checks;
    tool::check_table(candidates, checker, checks, uv, uv_span, "");
    tool::checked_against_note(candidates, checker.diagnostics, first);
}

}  // namespace tarnvik::rules::uv
