#include "rules/tool/walk.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rules/tool/python_target.hpp"
#include "tarnvik/standards.hpp"
#include "tool_pass.hpp"

namespace tarnvik::rules::tool {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing_support::PassSetup;
using testing_support::RUFF_PASS;
using testing_support::run_pass;
using testing_support::TY_PASS;
using testing_support::UV_PASS;

const std::string UV_NOTE(*uv::UV.note);
const PassSetup UV_BUILD_PASS{uv::UV_BUILD, std::nullopt, "required-version"};

struct Case {
    const PassSetup* pass;
    std::string toml;
    std::vector<std::string> expected;  // without the closing notes
};

void expect_walks(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_THAT(run_pass(*c.pass, c.toml, nullptr, nullptr, false),
                    ElementsAreArray(c.expected))
            << c.toml;
    }
}

TEST(CheckTable, KeysAndTables) {
    EXPECT_THAT(run_pass(RUFF_PASS, "[tool.ruff]\nlint = 5\n"),
                ElementsAre("error invalid-type `5`: `tool.ruff.lint` must be a table, found an "
                            "integer | note: checked against Ruff 0.16.9, the latest release "
                            "tarnvik knows; add `ruff` to a dependency group, or lock it, to check "
                            "the version you use"));
    expect_walks({
        {&RUFF_PASS,
         "[tool.ruff]\nline-lenght = 1\nzzz = 1\n",
         {"error unknown-key `line-lenght`: unknown key `line-lenght` in `[tool.ruff]` | help: did "
          "you mean `line-length`? | fix unsafe: `line-lenght` -> `line-length`",
          "error unknown-key `zzz`: unknown key `zzz` in `[tool.ruff]` | help: no Ruff release "
          "from 0.1.0 to 0.16.9 has this option; see https://docs.astral.sh/ruff/settings/"}},
        // No fix onto a key the table has; a quoted key with a dot is not a nested setting.
        {&RUFF_PASS,
         "[tool.ruff.lint]\nselect = []\nSelect = []\n\"isort.case-sensitive\" = 1\n",
         {"error unknown-key `Select`: unknown key `Select` in `[tool.ruff.lint]` | help: did you "
          "mean `select`?",
          "error unknown-key `\"isort.case-sensitive\"`: unknown key `isort.case-sensitive` in "
          "`[tool.ruff.lint]` | help: did you mean `isort`? | fix unsafe: "
          "`\"isort.case-sensitive\"` "
          "-> `\"isort\"`"}},
        // uv warns about an unknown key and then ignores the rest of `[tool.uv]`...
        {&UV_PASS,
         "[tool.uv]\nnative-tsl = true\npip = []\n",
         {"warning unknown-key `native-tsl`: unknown key `native-tsl` in `[tool.uv]` | help: did "
          "you mean `native-tls`? " +
              UV_NOTE + " | fix unsafe: `native-tsl` -> `native-tls`",
          "warning invalid-type `[]`: `tool.uv.pip` must be a table, found an array | help: " +
              UV_NOTE}},
        // ... or ignores the one key.
        {&UV_PASS,
         "[[tool.uv.index]]\nurl = \"https://e.org\"\nnmae = \"x\"\n",
         {"warning unknown-key `nmae`: unknown key `nmae` in `[[tool.uv.index]]` | help: did you "
          "mean `name`? uv ignores it | fix unsafe: `nmae` -> `name`"}},
        {&UV_PASS,
         "[tool.uv]\nindex = [{ url = \"u\" }, \"v\"]\n",
         {"error invalid-type `\"v\"`: entries of `tool.uv.index` must be tables, found a string"}},
        {&UV_PASS,
         "[tool.uv]\nindex = 5\n",
         {"error invalid-type `5`: `tool.uv.index` must be an array of tables, found an integer"}},
        {&UV_PASS,
         "[[tool.uv.index]]\nname = \"x\"\n[tool.uv]\ndependency-metadata = [{ version = \"1\" "
         "}]\n",
         {"error missing-key `[[tool.uv.index]]`: missing `url` in `[[tool.uv.index]]` | help: uv "
          "requires it",
          "warning missing-key `{ version = \"1\" }`: missing `name` in "
          "`[[tool.uv.dependency-metadata]]` | help: uv requires it; " +
              UV_NOTE}},
    });
}

TEST(CheckTable, SettingsSomeReleasesLackOrDeprecate) {
    const std::string future = "[tool.ruff.lint]\nfuture-annotations = true\n";
    expect_walks({
        {&RUFF_PASS,
         "[project]\ndependencies = [\"ruff==0.8.0\"]\n" + future,
         {"error unsupported-feature `future-annotations`: no Ruff version the project allows "
          "supports `tool.ruff.lint.future-annotations` | label `\"ruff==0.8.0\"`: allows only "
          "versions without it | help: Ruff added it in 0.12.4; require `ruff>=0.12.4`"}},
        {&RUFF_PASS,
         "[project]\ndependencies = [\"ruff>=0.12\"]\n" + future,
         {"warning unsupported-feature `future-annotations`: some Ruff versions the project "
          "allows do not support `tool.ruff.lint.future-annotations` | label `\"ruff>=0.12\"`: "
          "allows versions without it | help: Ruff added it in 0.12.4; require `ruff>=0.12.4`"}},
        // No allowed release has it: uv's note, and the value is not judged.
        {&UV_PASS,
         "[tool.uv]\nrequired-version = \">=0.6,<0.11\"\nsystem-certs = \"yes\"\nnative-tls = 1\n",
         {"warning unsupported-feature `system-certs`: no uv version the project allows supports "
          "`tool.uv.system-certs` | label `\">=0.6,<0.11\"`: allows only versions without it | "
          "help: uv added it in 0.11.0; set `required-version = \">=0.11.0\"`; " +
              UV_NOTE,
          "warning invalid-value `1`: invalid value for `tool.uv.native-tls`: expected a boolean "
          "| label `\">=0.6,<0.11\"`: allows only versions that reject it | help: " +
              UV_NOTE}},
        {&RUFF_PASS,
         "[tool.ruff]\ntab-size = 4\n",
         {"error unsupported-feature `tab-size`: no Ruff version the project allows supports "
          "`tool.ruff.tab-size` | help: Ruff removed it in 0.7.0"}},
        // A renamed key keeps its quotes; no fix onto the new key when the table has it.
        {&TY_PASS,
         "[tool.ty.analysis]\n\"strict-literal-narrowing\" = true\n[[tool.ty.overrides]]\n"
         "analysis = { strict-literal-narrowing = 1, strict-equality-semantics = true }\n",
         {"warning deprecated-setting `\"strict-literal-narrowing\"`: "
          "`tool.ty.analysis.strict-literal-narrowing` is deprecated since ty 0.0.63 | help: use "
          "`strict-equality-semantics`, the option's new name | fix safe: "
          "`\"strict-literal-narrowing\"` -> `\"strict-equality-semantics\"`",
          "warning deprecated-setting `strict-literal-narrowing`: "
          "`tool.ty.overrides.analysis.strict-literal-narrowing` is deprecated since ty 0.0.63 | "
          "help: use `strict-equality-semantics`, the option's new name",
          "error invalid-value `1`: invalid value for "
          "`tool.ty.overrides.analysis.strict-literal-narrowing`: expected a boolean"}},
        // No fix while an allowed release (0.0.59 to 0.0.62) knows only the old name.
        {&TY_PASS,
         "[dependency-groups]\ndev = [\"ty>=0.0.59\"]\n[tool.ty.analysis]\n"
         "strict-literal-narrowing = true\n",
         {"warning deprecated-setting `strict-literal-narrowing`: "
          "`tool.ty.analysis.strict-literal-narrowing` is deprecated since ty 0.0.63 | help: use "
          "`strict-equality-semantics`, the option's new name"}},
    });
}

TEST(CheckValue, ValuesSomeOrAllReleasesReject) {
    expect_walks({
        {&UV_PASS,
         "[tool.uv]\nallow-insecure-host = [\"a\", 1]\n[tool.uv.build-backend]\n"
         "source-include = [1]\n",
         {"warning invalid-value `[\"a\", 1]`: invalid value for `tool.uv.allow-insecure-host`: "
          "expected an array of strings | help: " +
              UV_NOTE,
          "error invalid-value `[1]`: invalid value for `tool.uv.build-backend.source-include`: "
          "expected an array of strings"}},
        {&UV_PASS,
         "[tool.uv]\nrequired-version = \">=0.10\"\ndefault-groups = \"dev\"\n",
         {"error invalid-value `\"dev\"`: invalid value for `tool.uv.default-groups`: expected an "
          "array of strings or `\"all\"` | label `\">=0.10\"`: allows only versions that reject "
          "it | help: uv accepted it until 0.9.7"}},
        {&UV_PASS,
         "[tool.uv]\nrequired-version = \">=0.9\"\ndefault-groups = \"dev\"\n",
         {"warning unsupported-feature `\"dev\"`: some uv versions the project allows do not "
          "accept this value for `tool.uv.default-groups` | label `\">=0.9\"`: allows versions "
          "that reject it | help: uv 0.9.8 expects an array of strings or `\"all\"`"}},
        // Shapes by release: a list is a module name from uv_build 0.7.20 on.
        {&UV_BUILD_PASS,
         "[tool.uv]\nrequired-version = \">=0.6.6,<0.7.20\"\nbuild-backend.module-name = [\"a\"]\n",
         {"error invalid-value `[\"a\"]`: invalid value for `tool.uv.build-backend.module-name`: "
          "expected a string | label `\">=0.6.6,<0.7.20\"`: allows only versions that reject it "
          "| help: uv_build accepts it from 0.7.20"}},
        {&UV_BUILD_PASS,
         "[tool.uv]\nrequired-version = \"~=0.7.0\"\nbuild-backend.module-name = [\"a\"]\n",
         {"warning unsupported-feature `[\"a\"]`: some uv_build versions the project allows do "
          "not accept this value for `tool.uv.build-backend.module-name` | label `\"~=0.7.0\"`: "
          "allows versions that reject it | help: uv_build 0.7.0 expects a string"}},
        {&TY_PASS,
         "[tool.ty.rules]\na = \"warn\"\nb = \"loud\"\n",
         {"error invalid-value `\"loud\"`: invalid value for `tool.ty.rules`: expected one of "
          "`\"error\"`, `\"ignore\"`, `\"warn\"`"}},
        {&TY_PASS,
         "[tool.ty]\nrules = \"error\"\n",
         {"error invalid-type `\"error\"`: `tool.ty.rules` must be a table, found a string"}},
    });
}

// Stands in for a pass: skips what it is told to, takes deprecations over when told to, and
// records what the walk hands it.
class RecordingExtension : public Extension {
  public:
    std::vector<std::string> skipped_keys;
    bool take_deprecations = false;
    std::vector<std::string> calls;

    bool skips(std::string_view key) override {
        return std::ranges::find(skipped_keys, key) != skipped_keys.end();
    }
    bool deprecated(std::string_view prefix, const document::Entry& entry) override {
        calls.push_back("deprecated " + std::string(prefix) + "|" + entry.key);
        return take_deprecations;
    }
    void accepted(Checker& checker, const Candidates&, const ToolOption& option,
                  const document::Value& value) override {
        calls.push_back("accepted " + std::string(option.key) + " " +
                        std::string(checker.source.substr(value.span.start, value.span.size())));
    }
    void option(Checker&, const Candidates&, const ToolOption& option,
                const document::Value&) override {
        calls.push_back("option " + std::string(option.key));
    }
};

TEST(Extension, SkipsAndHooks) {
    RecordingExtension extension;
    extension.skipped_keys = {"lint", "bogus"};
    const std::string toml =
        "[tool.ruff]\nbogus = 1\nselect = [\"E\"]\nline-length = 1.5\n"
        "[tool.ruff.lint]\nnot-a-setting = 1\n[tool.ruff.format]\nquote-style = \"single\"\n";
    // Nothing from the skipped keys, nor from inside `lint`.
    EXPECT_THAT(run_pass(RUFF_PASS, toml, nullptr, &extension, false),
                ElementsAre("warning deprecated-setting `select`: `tool.ruff.select` is deprecated "
                            "since Ruff 0.2.0",
                            ::testing::StartsWith("error invalid-value `1.5`: ")));
    EXPECT_THAT(extension.calls,
                ElementsAre("deprecated |select", "accepted select [\"E\"]", "option select",
                            "option line-length", "option format",
                            "accepted format.quote-style \"single\"", "option format.quote-style"));

    // An extension that takes a deprecation over leaves nothing of it to the walk.
    RecordingExtension taking;
    taking.take_deprecations = true;
    EXPECT_THAT(run_pass(RUFF_PASS, "[tool.ruff]\nselect = [\"E\"]\n", nullptr, &taking),
                ElementsAre());
}

TEST(AddConsequence, JoinsTheHelp) {
    Diagnostic d = Diagnostic::error("m", {}, Code::UnknownKey).with_help("did you mean `x`?");
    EXPECT_EQ(add_consequence(d, uv::UV, 0).severity, Severity::Error);
    EXPECT_EQ(add_consequence(d, uv::UV_BUILD, 2).help, "did you mean `x`? uv_build ignores it");
    // A tool without a note adds no text, but goes on all the same: a warning.
    EXPECT_EQ(add_consequence(d, ty::TY, 1).help, d.help);
    EXPECT_EQ(add_consequence(d, ty::TY, 1).severity, Severity::Warning);
}

std::string py3(std::uint64_t minor) {
    return "py3" + std::to_string(minor);
}

std::string three(std::uint64_t minor) {
    return "3." + std::to_string(minor);
}

// The Python target check as the Ruff and ty passes call it, with the releases a pass computed.
std::vector<std::string> python_target(const PassSetup& setup, const std::string& toml,
                                       std::string_view key, std::uint64_t minor,
                                       MinorSpelling spelling, std::string_view lead) {
    auto [root, errors] = parse::parse(toml);
    Checker checker{{}, toml, nullptr};
    const document::Entry* table = testing_support::tool_entry(root, setup.tool.table);
    const Candidates candidates = rules::tool::candidates(
        checker, setup.tool, root, *table->value.as_table(), setup.package, setup.version_key);
    const document::Entry* entry = testing_support::tool_entry(*table->value.as_table(), key);
    check_python_target(checker, root, candidates, {key, entry->value, minor}, spelling, lead);
    return testing_support::describe_all(toml, checker.diagnostics);
}

TEST(CheckPythonTarget, AnOlderPythonThanTheTarget) {
    const auto ruff = [](const std::string& requires_python, std::string_view target,
                         std::uint64_t minor) {
        return python_target(RUFF_PASS,
                             "[project]\nrequires-python = " + requires_python +
                                 "\n[tool.ruff]\ntarget-version = \"" + std::string(target) +
                                 "\"\n",
                             "target-version", minor, py3, "Ruff may suggest code that needs");
    };
    EXPECT_THAT(ruff("\">=3.9\"", "py312", 12),
                ElementsAre("warning invalid-value `\"py312\"`: `target-version` is Python 3.12, "
                            "but `requires-python` allows Python 3.9 | label `\">=3.9\"`: "
                            "`requires-python` set here | help: Ruff may suggest code that needs "
                            "Python 3.12; set `target-version = \"py39\"`, or remove it so that "
                            "Ruff uses `requires-python`"));
    EXPECT_THAT(ruff("\"not specifiers\"", "py312", 12), ElementsAre());
    EXPECT_THAT(ruff("3", "py312", 12), ElementsAre());
    // A value the newest allowed release rejects is the value check's to report.
    EXPECT_THAT(ruff("\">=3.9\"", "py399", 99), ElementsAre());

    // ty before 0.0.30 takes any string: a target as high as 64 bits go is judged at once.
    const std::string ty =
        "[project]\ndependencies = [\"ty<0.0.30\"]\nrequires-python = \">=3.10\"\n"
        "[tool.ty.environment]\npython-version = \"3.18446744073709551615\"\n";
    EXPECT_THAT(
        python_target(TY_PASS, ty, "environment.python-version", 18446744073709551615u, three,
                      "ty may accept code that needs"),
        ElementsAre(::testing::HasSubstr(
            "allows Python 3.10 | label `\">=3.10\"`: `requires-python` set here | help: "
            "ty may accept code that needs Python 3.18446744073709551615; set "
            "`python-version = \"3.10\"`, or remove it so that ty uses `requires-python`")));
}

TEST(LowestAdmittedMinor, AgreesWithAScanOfEveryMinor) {
    const std::vector<std::string_view> specifiers = {
        "",         ">=3.9",       ">3.9",        "<3.9",     ">=2.7",
        "==3.11.*", "!=3.9.*",     "~=3.10",      "~=3.10.2", ">=3.8,!=3.8.*,!=3.9.*,<3.13",
        "==3.12.1", ">=4",         "<3",          "===3.10",  "!=3.7,!=3.8",
        "<=3.8.0",  ">3.10.post1", ">=3.10.0rc1", "==3.*",    "!=3.*",
        ">=1!3.9",  "==2.7.*",     "abc",
    };
    for (std::string_view text : specifiers) {
        for (std::uint64_t below : {7u, 8u, 10u, 12u, 20u}) {
            std::optional<std::uint64_t> scanned;
            for (std::uint64_t minor = 7; minor < below && !scanned; ++minor) {
                if (standards::allows_python_minor(text, 3, minor) == true) scanned = minor;
            }
            EXPECT_EQ(lowest_admitted_minor(text, 7, below), scanned) << text << " < " << below;
        }
    }
}

}  // namespace
}  // namespace tarnvik::rules::tool
