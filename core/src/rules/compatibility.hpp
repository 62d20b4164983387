#pragma once

#include <optional>
#include <vector>

#include "checker.hpp"
#include "knowledge/backends.hpp"
#include "tarnvik/diagnostic.hpp"
#include "tarnvik/document.hpp"
#include "tarnvik/span.hpp"
#include "tarnvik/standards.hpp"

// Newer metadata in `[project]` against the build backend releases `[build-system]` allows.
namespace tarnvik::rules::compatibility {

// One use of a feature in `[project]`.
struct Usage {
    std::optional<Label> label;  // carried before the version-source label
    Span span;
    backends::Feature feature;
};

// The backend that builds the project and the releases of it that `build-system.requires` allows.
struct BackendContext {
    const backends::Backend& backend;
    // Absent when no requirement on the backend carries version specifiers, or without
    // `[build-system]`.
    std::optional<standards::VersionSet> allowed;
    // The first requirement on the backend; absent without `[build-system]`.
    std::optional<Span> source_span;
};

void collect_usages(Checker& checker, const document::Table& root);

// Judges one usage and appends at most one finding; false exactly when it appended one because
// no allowed release supports the feature.
bool check_usages(std::vector<Diagnostic>& diagnostics, const BackendContext& context,
                  const Usage& usage);

}  // namespace tarnvik::rules::compatibility
