#include "rules/tool/candidates.hpp"

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tarnvik/standards.hpp"
#include "tool_pass.hpp"

namespace tarnvik::rules::tool {
namespace {

using ::testing::ElementsAre;
using testing_support::PassSetup;
using testing_support::RUFF_PASS;
using testing_support::TY_PASS;
using testing_support::UV_PASS;

struct Case {
    const PassSetup* pass;
    std::string toml;
    std::vector<std::string_view> locked;  // versions of the pass's package (or of uv) in uv.lock
    std::vector<std::string> expected;     // findings, then the closing note
};

// The findings of working out the releases, then the closing note or the report of a table left
// unchecked; the releases themselves when asked for.
std::vector<std::string> outcome(const Case& c, std::vector<std::string>* releases = nullptr) {
    const lock::Lock lock = testing_support::uv_lock(
        testing_support::locking(c.pass->package.value_or("uv"), c.locked));
    auto [root, errors] = parse::parse(c.toml);
    Checker checker{{}, c.toml, c.locked.empty() ? nullptr : &lock};
    const document::Entry* entry = testing_support::tool_entry(root, c.pass->tool.table);
    const Candidates found = candidates(checker, c.pass->tool, root, *entry->value.as_table(),
                                        c.pass->package, c.pass->version_key);
    for (Release release : found.releases) {
        if (releases) releases->emplace_back(c.pass->tool.release(release));
    }
    if (found.releases.empty()) {
        report_unchecked(checker, found, entry->key_span);
    } else {
        checker.push(Diagnostic::error("finding", {}, Code::UnknownKey));
        checked_against_note(found, checker.diagnostics, checker.diagnostics.size() - 1);
        checker.diagnostics.back() = Diagnostic::error(*checker.diagnostics.back().note, {}, {});
    }
    std::vector<std::string> lines;
    for (const Diagnostic& d : checker.diagnostics) {
        lines.push_back(d.message.starts_with("checked against")
                            ? d.message
                            : testing_support::describe(c.toml, d));
    }
    return lines;
}

const std::string RUFF_LATEST =
    "checked against Ruff 0.16.9, the latest release tarnvik knows; add `ruff` to a dependency "
    "group, or lock it, to check the version you use";
const std::string UV_LATEST =
    "checked against uv 0.12.18, the latest release tarnvik knows; set `required-version` to check "
    "the version you use";
const std::string GROUPS =
    "[project]\noptional-dependencies.lint = [\"Ruff>=0.5,<0.6\"]\n"
    "[dependency-groups]\ndev = [{ include-group = \"x\" }, \"ruff==0.9.1\"]\n[tool.ruff]\n";
const std::string AT_LEAST_0_6 = "[dependency-groups]\ndev = [\"ruff>=0.6\"]\n[tool.ruff]\n";
const std::string UNCHECKED_RUFF =
    "warning unknown-version `ruff`: tarnvik knows no Ruff version the project allows, so it did "
    "not check `[tool.ruff]`";

TEST(Candidates, FromSettingRequirementsAndLock) {
    const std::vector<Case> cases = {
        {&RUFF_PASS, "[tool.ruff]\n", {}, {RUFF_LATEST}},
        {&TY_PASS,
         "[project]\ndependencies = [\"tyx>=1\", \"ty @ https://e.org/ty.whl\", \"bad req\", 3]\n"
         "[tool.ty]\n",
         {},
         {"checked against ty 0.0.84, the latest release tarnvik knows; add `ty` to a dependency "
          "group, or lock it, to check the version you use"}},
        {&RUFF_PASS, AT_LEAST_0_6, {"0.6.2"}, {"checked against Ruff 0.6.2, locked in uv.lock"}},
        // Without requirements the lock decides; `0.6` is the release written `0.6.0`.
        {&RUFF_PASS,
         "[tool.ruff]\n",
         {"0.9.1", "0.6"},
         {"checked against Ruff 0.6.0 and 0.9.1, locked in uv.lock"}},
        {&RUFF_PASS,
         AT_LEAST_0_6,
         {"0.4.0"},
         {"checked against Ruff 0.6.0 to 0.16.9, which the project's requirements allow; uv.lock "
          "locks a version they do not allow, so it looks out of date"}},
        {&RUFF_PASS,
         "[tool.ruff]\n",
         {"99.0.0"},
         {"warning unknown-version `ruff`: tarnvik does not know Ruff 99.0.0, so it did not check "
          "`[tool.ruff]` | help: tarnvik knows Ruff 0.1.0 to 0.16.9; a newer tarnvik may know it | "
          "note: the version is locked in uv.lock"}},
        // What is not a version names no release, not even one a specifier list would admit.
        {&RUFF_PASS,
         "[project]\ndependencies = [\"ruff\"]\n[tool.ruff]\n",
         {"not-a-version", ">=0.5"},
         {"warning unknown-version `ruff`: tarnvik does not know Ruff not-a-version, >=0.5, so it "
          "did not check `[tool.ruff]` | help: tarnvik knows Ruff 0.1.0 to 0.16.9; a newer tarnvik "
          "may know it | note: the version is locked in uv.lock"}},
        {&RUFF_PASS,
         "[project]\ndependencies = [\"ruff>=99\"]\n[tool.ruff]\n",
         {},
         {UNCHECKED_RUFF + " | label `\"ruff>=99\"`: the versions the project allows | help: "
                           "tarnvik knows Ruff 0.1.0 to 0.16.9"}},
        {&UV_PASS,
         "[tool.uv]\nrequired-version = \">=0.5\"\n",
         {},
         {"checked against uv 0.5.0 to 0.12.18, which `tool.uv.required-version` allows"}},
        // The setting narrows the requirements and takes over the label.
        {&RUFF_PASS,
         "[project]\ndependencies = [\"ruff>=0.6,<0.7\"]\n[tool.ruff]\nrequired-version = "
         "\"0.6.3\"\n",
         {},
         {"checked against Ruff 0.6.3, which the project's requirements allow"}},
        {&RUFF_PASS,
         "[project]\ndependencies = [\"ruff>=0.6,<0.7\"]\n[tool.ruff]\nrequired-version = "
         "\">=0.8\"\n",
         {},
         {UNCHECKED_RUFF + " | label `\">=0.8\"`: the versions the project allows | help: tarnvik "
                           "knows Ruff 0.1.0 to 0.16.9"}},
        // It narrows a lock too, which stays the source.
        {&RUFF_PASS,
         "[tool.ruff]\nrequired-version = \">=0.7\"\n",
         {"0.6.2"},
         {UNCHECKED_RUFF + " | help: tarnvik knows Ruff 0.1.0 to 0.16.9 | note: the version is "
                           "locked in uv.lock"}},
        {&UV_PASS,
         "[tool.uv]\nrequired-version = \"==9.9\"\n",
         {},
         {"warning unknown-version `uv`: tarnvik knows no uv version the project allows, so it did "
          "not check `[tool.uv]` | label `\"==9.9\"`: the versions the project allows | help: "
          "tarnvik knows uv 0.1.34 to 0.12.18"}},
        {&UV_PASS,
         "[tool.uv]\nrequired-version = \">=0.5, abc\"\n",
         {},
         {"error invalid-value `abc`: invalid `tool.uv.required-version`: expected a comparison "
          "operator (`~=`, `==`, `!=`, `<=`, `>=`, `<`, `>` or `===`)",
          UV_LATEST}},
        // Only its own setting counts for uv.
        {&UV_PASS,
         "[project]\ndependencies = [\"uv==0.4.0\"]\n[tool.uv]\n",
         {"0.5.0"},
         {UV_LATEST}},
    };
    for (const Case& c : cases)
        EXPECT_THAT(outcome(c), ::testing::ElementsAreArray(c.expected)) << c.toml;
}

TEST(Candidates, RequirementsCombineAsAUnion) {
    std::vector<std::string> releases;
    outcome({&RUFF_PASS, GROUPS, {}, {}}, &releases);
    EXPECT_THAT(releases, ElementsAre("0.5.0", "0.5.1", "0.5.2", "0.5.3", "0.5.4", "0.5.5", "0.5.6",
                                      "0.5.7", "0.9.1"));
    // A requirement without a version adds the newest release.
    releases.clear();
    outcome({&RUFF_PASS,
             "[project]\ndependencies = [\"ruff[x]>=0.9,<=0.9.1\", \"ruff\"]\n[tool.ruff]\n",
             {},
             {}},
            &releases);
    EXPECT_THAT(releases, ElementsAre("0.9.0", "0.9.1", "0.16.9"));
}

// The releases of a version setting are found by binary search; they must be exactly those a
// scan of every release finds.
TEST(Candidates, SettingAdmitsWhatAScanOfEveryReleaseAdmits) {
    const std::string_view settings[] = {
        ">=0.5",
        ">0.5.0",
        "<0.5",
        "<=0.5.0",
        "==0.5.*",
        "!=0.5.0",
        ">=0.4,<0.4.5,!=0.4.2",
        "~=0.1.14",
        "==0.1.0",
        "==0.16.9",
        ">99",
        "<0.0.1",
        "==0.3.0+local",
        ">=0.1.0a1,<0.2",
    };
    for (const PassSetup* pass : {&RUFF_PASS, &UV_PASS}) {
        for (std::string_view setting : settings) {
            const std::string toml =
                fmt::format("[{}]\nrequired-version = \"{}\"\n", pass->tool.table, setting);
            std::vector<std::string> found;
            outcome({pass, toml, {}, {}}, &found);
            const auto set = std::get<standards::VersionSet>(standards::allowed_versions(setting));
            std::vector<std::string> scanned;
            for (std::string_view release : pass->tool.releases()) {
                if (set.contains(release)) scanned.emplace_back(release);
            }
            if (scanned.empty()) continue;  // the report of a table left unchecked instead
            EXPECT_EQ(found, scanned) << pass->tool.name << " " << setting;
        }
    }
}

TEST(CheckedAgainstNote, GoesOnlyToNewFindingsWithoutANote) {
    const Candidates candidates = Candidates::create(ty::TY, {0}, std::nullopt, Latest{});
    std::vector<Diagnostic> diagnostics{
        Diagnostic::error("before", {}, Code::UnknownKey),
        Diagnostic::error("own", {}, Code::UnknownKey).with_note("its own note"),
        Diagnostic::error("new", {}, Code::UnknownKey),
    };
    checked_against_note(candidates, diagnostics, 1);
    EXPECT_FALSE(diagnostics[0].note);
    EXPECT_EQ(diagnostics[1].note, "its own note");
    EXPECT_THAT(*diagnostics[2].note, ::testing::StartsWith("checked against ty 0.0.2, "));
}

}  // namespace
}  // namespace tarnvik::rules::tool
