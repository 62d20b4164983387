#include "rules/uv/build_backend.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checked_findings.hpp"

namespace tarnvik::rules::uv {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing_support::expect_findings;

const std::string SETTINGS = "[tool.uv.build-backend]\nmodule-nme = \"x\"\n";
const std::string RENAME = " | fix unsafe: `module-nme` -> `module-name`";
const std::string ONLY_UV_BUILD =
    " | help: only `uv_build` reads these settings; set `build-backend = \"uv_build\"` in "
    "`[build-system]` to use it";
const std::string MISSPELT =
    "warning unknown-key `module-nme`: unknown key `module-nme` in `[tool.uv.build-backend]` | "
    "help: did you mean `module-name`? uv_build ignores it";

std::string uv_build(const std::string& requires_) {
    return "[build-system]\nrequires = [" + requires_ + "]\nbuild-backend = \"uv_build\"\n";
}

TEST(UvBuildBackend, IneffectiveWithAnotherBackend) {
    const std::string without =
        "warning ineffective-setting `build-backend`: without a `build-backend` in "
        "`[build-system]`, the build backend is setuptools, which ignores "
        "`[tool.uv.build-backend]`" +
        ONLY_UV_BUILD;
    expect_findings({
        {SETTINGS, {without}},
        {"[build-system]\nrequires = [\"setuptools\"]\nbuild-backend = 1\n" + SETTINGS,
         {HasSubstr("must be a string"), without}},
        {"[build-system]\nrequires = [\"hatchling\"]\nbuild-backend = \"hatchling.build\"\n" +
             SETTINGS,
         {"warning ineffective-setting `build-backend`: the build backend is `hatchling.build`, "
          "which ignores `[tool.uv.build-backend]` | label `\"hatchling.build\"`: the build "
          "backend" +
          ONLY_UV_BUILD}},
    });
}

TEST(UvBuildBackend, AgainstTheReleasesBuildSystemAllows) {
    const std::string setting = ", which `build-system.requires` allows";
    expect_findings({
        {uv_build("\"uv_build>=0.7.0,<0.8\"") + SETTINGS,
         {MISSPELT + " | note: checked against uv_build 0.7.0 to 0.7.22" + setting + RENAME}},
        {uv_build("\"uv_build\"") + SETTINGS,
         {MISSPELT + " | note: checked against uv_build 0.12.18" + setting + RENAME}},
        // Normalized names match; only the first requirement on uv_build counts.
        {uv_build("\"wheel\", \"UV_Build>=0.9,<0.9.2\", \"uv-build==0.8.0\"") + SETTINGS,
         {EndsWith("checked against uv_build 0.9.0 and 0.9.1" + setting + RENAME)}},
        {uv_build("\"setuptools\"") + SETTINGS,
         {EndsWith("checked against uv_build 0.12.18, the latest release tarnvik knows; require "
                   "`uv_build` in `[build-system]` to check the version you use" +
                   RENAME)}},
        // Nothing before the first uv_build release counts: no walk.
        {uv_build("\"uv_build<0.6\"") + SETTINGS,
         {"warning unknown-version `build-backend`: tarnvik knows no uv_build version the project "
          "allows, so it did not check `[tool.uv.build-backend]` | label `\"uv_build<0.6\"`: the "
          "versions the project allows | help: tarnvik knows uv_build 0.1.34 to 0.12.18"}},
        // No uv release allowed: no step at all.
        {uv_build("\"uv_build<0.6\"") + "[tool.uv]\nrequired-version = \"==9.9\"\n" + SETTINGS,
         {StartsWith("warning unknown-version `uv`: tarnvik knows no uv version")}},
    });
}

TEST(UvBuildBackend, EachKeyIsJudgedByOneWalk) {
    const std::string toml = uv_build("\"uv_build\"") +
                             "[tool.uv]\n\"build-backend.x\" = 1\nnative-tsl = true\n"
                             "[tool.uv.build-backend]\n\"a.b\" = 1\n";
    EXPECT_THAT(
        testing_support::findings(toml),
        ElementsAre(StartsWith("warning unknown-key `\"build-backend.x\"`: unknown key "
                               "`build-backend.x` in `[tool.uv]` | help: did you mean "
                               "`build-backend`? uv warns about it"),
                    StartsWith("warning unknown-key `native-tsl`: unknown key `native-tsl` in "
                               "`[tool.uv]`"),
                    StartsWith("warning unknown-key `\"a.b\"`: unknown key `a.b` in "
                               "`[tool.uv.build-backend]` | help: no uv_build release")));
}

}  // namespace
}  // namespace tarnvik::rules::uv
