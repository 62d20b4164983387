#include "rules/compatibility.hpp"

#include <fmt/format.h>

#include <array>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "knowledge/backends.hpp"
#include "tarnvik/diagnostic.hpp"
#include "tarnvik/span.hpp"
#include "tarnvik/standards.hpp"

namespace tarnvik::rules::compatibility {

namespace {

using backends::Backend;
using backends::Feature;
using backends::FeatureSupport;
using Kind = backends::Support::Kind;
using standards::VersionSet;

// One use of a feature in `[project]`.
struct Usage {
    std::optional<Label> label;  // carried before the version-source label
    Span span;
    Feature feature;
};

// The backend that builds the project and the releases of it that `build-system.requires` allows.
struct BackendContext {
    const Backend& backend;
    // Absent when no requirement on the backend carries version specifiers, or without
    // `[build-system]`.
    std::optional<VersionSet> allowed;
    // The first requirement on the backend; absent without `[build-system]`.
    std::optional<Span> source_span;
};

// The `[project]` keys a backend may extend when `dynamic` also lists them (PEP 808).
constexpr std::string_view EXTENSIBLE_KEYS[] = {
    "urls",
    "authors",
    "scripts",
    "keywords",
    "classifiers",
    "gui-scripts",
    "maintainers",
    "dependencies",
    "entry-points",
    "import-names",
    "license-files",
    "import-namespaces",
    "optional-dependencies",
};

// What to do about a feature that no backend release from some point on supports, by feature.
constexpr std::string_view NEVER_HELP[] = {
    "use a build backend that supports it",
    "use a build backend that supports it",
    "use a build backend that supports it",
    "remove it, or use a build backend that supports it",
    "set the key statically or list it in `project.dynamic`, not both",
    "remove the `License ::` classifiers, which are deprecated; the license expression replaces them",
};

// The backend tools use when `[build-system]` names none.
const Backend& default_backend() {
    return *backends::by_reference("setuptools.build_meta");
}

// The backend and the releases of it that `[build-system]` allows; none when it cannot be told.
std::optional<BackendContext> backend_context(const document::Table& root) {
    const document::Entry* build_system = document::get(root, "build-system");
    if (!build_system) return BackendContext{default_backend(), std::nullopt, std::nullopt};
    const document::Table* table = build_system->value.as_table();
    if (!table || table->entries.empty() || document::get(*table, "backend-path")) {
        return std::nullopt;
    }
    const Backend* backend = &default_backend();
    if (const document::Entry* reference = document::get(*table, "build-backend")) {
        const std::string* text = reference->value.as_string();
        backend = text ? backends::by_reference(*text) : nullptr;
        if (!backend) return std::nullopt;
    }
    const document::Entry* requires_ = document::get(*table, "requires");
    const document::Array* requirements = requires_ ? requires_->value.as_array() : nullptr;
    if (!requirements) return std::nullopt;
    std::optional<Span> source_span;
    std::vector<VersionSet> restrictions;
    for (const document::Value& element : *requirements) {
        const std::string* text = element.as_string();
        if (!text) continue;
        std::optional<standards::RequiredVersions> required =
            standards::required_versions(*text, backend->package);
        if (!required) continue;
        if (!source_span) source_span = element.span;
        if (required->versions) restrictions.push_back(std::move(*required->versions));
    }
    if (!source_span) return std::nullopt;
    std::optional<VersionSet> allowed;
    if (!restrictions.empty()) allowed = VersionSet::intersection_of(restrictions);
    return BackendContext{*backend, std::move(allowed), source_span};
}

// The releases to judge: those allowed (or every one from the latest known on), from the first
// release that reads `[project]` at all for the features inside it.
VersionSet considered_releases(const BackendContext& context, Feature feature) {
    const Backend& backend = context.backend;
    VersionSet considered =
        context.allowed ? *context.allowed : VersionSet::at_least(backend.latest_known);
    considered = considered.intersection(VersionSet::at_least(backend.first_known));
    if (feature == Feature::ProjectTable) return considered;
    const backends::Support& project = backend.support(Feature::ProjectTable).support;
    return considered.intersection(
        VersionSet::at_least(project.kind == Kind::Since ? project.b : backend.first_known));
}

std::string_view consequence(Feature feature, bool fails) {
    if (feature == Feature::ProjectTable) return "earlier versions do not read it";
    return fails ? "builds with earlier versions fail"
                 : "earlier versions leave it out of the metadata or fail to build";
}

// The finding's message, the label on the requirement, and the help.
struct Wording {
    std::string message;
    std::string source_label;
    std::string help;
};

Wording wording(const Backend& backend, const FeatureSupport& support, bool all_unsupported) {
    const std::string_view name = backends::feature_name(support.feature);
    const std::string_view b = support.support.b;
    if (support.support.kind == Kind::Since) {
        std::string help = fmt::format("require `{}>={}`; {}", backend.package, b,
                                       consequence(support.feature, support.fails));
        if (all_unsupported) {
            return {fmt::format("no {} version allowed by `[build-system]` supports {}",
                                backend.package, name),
                    fmt::format("allows only versions before {}", b), std::move(help)};
        }
        return {fmt::format("{} versions before {} do not support {}", backend.package, b, name),
                "allows those versions", std::move(help)};
    }
    std::string help(NEVER_HELP[static_cast<std::size_t>(support.feature)]);
    if (all_unsupported) {
        return {fmt::format("{} does not support {}", backend.package, name),
                "build backend required here", std::move(help)};
    }
    return {fmt::format("{} does not support {}, as of {}", backend.package, name,
                        backend.latest_known),
            "build backend required here", std::move(help)};
}

// The usages of newer features in `[project]`, in the order they are judged.
std::vector<Usage> feature_usages(const document::Table& project) {
    std::vector<Usage> usages;
    const document::Entry* license = document::get(project, "license");
    const bool expression = license && license->value.as_string();
    if (expression)
        usages.push_back({std::nullopt, license->value.span, Feature::LicenseExpression});
    if (const document::Entry* files = document::get(project, "license-files")) {
        usages.push_back({std::nullopt, files->key_span, Feature::LicenseFiles});
    }
    for (std::string_view key : {"import-names", "import-namespaces"}) {
        if (const document::Entry* names = document::get(project, key)) {
            usages.push_back({std::nullopt, names->key_span, Feature::ImportNames});
        }
    }
    if (!expression) return usages;
    const document::Entry* classifiers = document::get(project, "classifiers");
    const document::Array* array = classifiers ? classifiers->value.as_array() : nullptr;
    if (!array) return usages;
    for (const document::Value& element : *array) {
        const std::string* text = element.as_string();
        if (!text || !text->starts_with("License ::")) continue;
        usages.push_back({Label{"license expression set here", license->value.span}, element.span,
                          Feature::LicenseClassifiers});
        break;
    }
    return usages;
}

// The static entries of the extensible keys, looked up once however often `dynamic` names them.
class ExtensibleEntries {
  public:
    explicit ExtensibleEntries(const document::Table& project) {
        for (std::size_t i = 0; i < std::size(EXTENSIBLE_KEYS); ++i)
            entries_[i] = document::get(project, EXTENSIBLE_KEYS[i]);
    }

    const document::Entry* find(std::string_view key) const {
        for (std::size_t i = 0; i < std::size(EXTENSIBLE_KEYS); ++i) {
            if (EXTENSIBLE_KEYS[i] == key) return entries_[i];
        }
        return nullptr;
    }

  private:
    std::array<const document::Entry*, std::size(EXTENSIBLE_KEYS)> entries_{};
};

// Judges one usage and appends at most one finding; false exactly when it appended one because
// no allowed release supports the feature.
bool check_usage(std::vector<Diagnostic>& diagnostics, const BackendContext& context,
                 const Usage& usage) {
    const Backend& backend = context.backend;
    const FeatureSupport& support = backend.support(usage.feature);
    const backends::Support& cell = support.support;
    if (cell.kind == Kind::All) return true;
    VersionSet considered = considered_releases(context, usage.feature);
    VersionSet unsupported;
    if (cell.kind == Kind::Since) {
        considered = considered.difference(VersionSet::between(cell.a, cell.b));
        unsupported = VersionSet::from_through(backend.first_known, cell.a);
    } else {
        considered = considered.intersection(VersionSet::at_least(cell.a));
        unsupported = VersionSet::from_through(cell.a, backend.latest_known);
    }
    if (considered.is_disjoint(unsupported)) return true;
    const bool all_unsupported = considered.is_subset(unsupported);

    Wording words = wording(backend, support, all_unsupported);
    if (!context.source_span) {
        words.help = fmt::format("{} (without `[build-system]`, tools build with {})", words.help,
                                 backend.package);
    }
    Diagnostic diagnostic =
        support.fails && all_unsupported
            ? Diagnostic::error(std::move(words.message), usage.span, Code::UnsupportedFeature)
            : Diagnostic::warning(std::move(words.message), usage.span, Code::UnsupportedFeature);
    if (usage.label) diagnostic.labels.push_back(*usage.label);
    if (context.source_span) {
        diagnostic.labels.push_back({std::move(words.source_label), *context.source_span});
    }
    diagnostic.help = std::move(words.help);
    // The license check calls such a classifier deprecated metadata; this finding says the same
    // and more, in its place.
    if (usage.feature == Feature::LicenseClassifiers) {
        std::erase_if(diagnostics, [&](const Diagnostic& earlier) {
            return earlier.code == Code::DeprecatedMetadata && earlier.span == usage.span;
        });
    }
    diagnostics.push_back(std::move(diagnostic));
    return !all_unsupported;
}

// Static keys that `dynamic` also lists: judged against the backend when it is known, else an
// error, since many backends reject them.
void check_dynamic_duplicates(Checker& checker, const document::Table& project,
                              const BackendContext* context) {
    const document::Entry* dynamic = document::get(project, "dynamic");
    const document::Array* items = dynamic ? dynamic->value.as_array() : nullptr;
    if (!items) return;
    const ExtensibleEntries statics(project);
    for (const document::Value& item : *items) {
        const std::string* key = item.as_string();
        const document::Entry* entry = key ? statics.find(*key) : nullptr;
        if (!entry) continue;
        Label listed{"also listed in `dynamic` here", item.span};
        if (context) {
            check_usage(checker.diagnostics, *context,
                        {std::move(listed), entry->key_span, Feature::DynamicExtension});
            continue;
        }
        checker.push(
            static_and_dynamic(*key, entry->key_span)
                .with_label(listed.span.start, listed.span.end, std::move(listed.message))
                .with_help(fmt::format(
                    "PEP 808 allows build backends to extend a static `{}`, but many reject it; check that yours supports it",
                    *key)));
    }
}

}  // namespace

void check_compatibility(Checker& checker, const document::Table& root) {
    const document::Entry* entry = document::get(root, "project");
    const document::Table* project = entry ? entry->value.as_table() : nullptr;
    if (!project) return;
    const std::optional<BackendContext> context = backend_context(root);
    if (context) {
        // Without a release that reads `[project]`, nothing inside it is judged.
        if (!check_usage(checker.diagnostics, *context,
                         {std::nullopt, entry->key_span, Feature::ProjectTable})) {
            return;
        }
        for (const Usage& usage : feature_usages(*project))
            check_usage(checker.diagnostics, *context, usage);
    }
    check_dynamic_duplicates(checker, *project, context ? &*context : nullptr);
}

}  // namespace tarnvik::rules::compatibility
