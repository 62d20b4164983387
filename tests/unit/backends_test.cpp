#include <gtest/gtest.h>

#include <string_view>

#include "knowledge/backends.hpp"

namespace tarnvik::backends {
namespace {

TEST(BackendsByReference, ComparesTheModuleBeforeTheFirstColon) {
    struct Case {
        std::string_view reference;
        std::string_view package;  // "" for no backend
    };
    const Case cases[] = {
        {"setuptools.build_meta", "setuptools"},
        {"setuptools.build_meta:__legacy__", "setuptools"},
        {"hatchling.build", "hatchling"},
        {"hatchling", ""},
        {"flit_core.buildapi", "flit-core"},
        {"pdm.backend", "pdm-backend"},
        {"poetry.core.masonry.api", "poetry-core"},
        {"uv_build", "uv-build"},
        {"uv_build:a:b", "uv-build"},
        {"uv-build", ""},
        {"Setuptools.build_meta", ""},
        {"setuptools.build_meta ", ""},
        {":setuptools.build_meta", ""},
    };
    for (const Case& c : cases) {
        const Backend* backend = by_reference(c.reference);
        EXPECT_EQ(backend != nullptr ? backend->package : "", c.package) << c.reference;
    }
}

TEST(BackendSupport, EveryBackendListsEveryFeature) {
    EXPECT_EQ(BACKENDS.size(), 6u);
    for (const Backend& backend : BACKENDS) {
        for (int f = 0; f <= static_cast<int>(Feature::LicenseClassifiers); ++f) {
            EXPECT_EQ(backend.support(static_cast<Feature>(f)).feature, static_cast<Feature>(f))
                << backend.package;
        }
    }
}

TEST(BackendSupport, TellingCells) {
    using Kind = Support::Kind;
    struct Case {
        std::string_view module;
        Feature feature;
        Kind kind;
        std::string_view a, b;
        bool fails;
    };
    const Case cases[] = {
        {"setuptools.build_meta", Feature::ProjectTable, Kind::Since, "60.10.0", "61.0.0", false},
        {"setuptools.build_meta", Feature::LicenseExpression, Kind::Since, "76.1.0", "77.0.1",
         true},
        {"hatchling.build", Feature::ProjectTable, Kind::All, "", "", false},
        {"hatchling.build", Feature::DynamicExtension, Kind::Never, "0.15.0", "", true},
        {"flit_core.buildapi", Feature::ImportNames, Kind::Since, "3.12.0", "4.0.1", false},
        {"pdm.backend", Feature::ImportNames, Kind::Never, "0.0.0", "", false},
        {"poetry.core.masonry.api", Feature::LicenseClassifiers, Kind::Since, "1.9.1", "2.0.0",
         false},
        {"uv_build", Feature::ImportNames, Kind::Since, "0.11.16", "0.11.17", false},
    };
    for (const Case& c : cases) {
        const FeatureSupport& cell = by_reference(c.module)->support(c.feature);
        EXPECT_EQ(cell.support.kind, c.kind) << c.module;
        EXPECT_EQ(cell.support.a, c.a) << c.module;
        EXPECT_EQ(cell.support.b, c.b) << c.module;
        EXPECT_EQ(cell.fails, c.fails) << c.module;
    }
    const Backend& uv_build = *by_reference("uv_build");
    EXPECT_EQ(uv_build.first_known, "0.6.6");
    EXPECT_EQ(uv_build.latest_known, "0.12.18");
    EXPECT_EQ(feature_name(Feature::ImportNames),
              "`import-names` and `import-namespaces` (PEP 794)");
}

}  // namespace
}  // namespace tarnvik::backends
