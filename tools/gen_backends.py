#!/usr/bin/env python3
"""Generate the build-backend tables of backends:: (the six backends, the six metadata features
and the support of each feature by each backend).

Reads data/backends/backends.tsv, features.tsv and support.tsv and writes
core/generated/backends.hpp and backends.cpp. With --check, exits 1 when the committed files
differ.
"""
import re
import sys

from generator_common import (ROOT, banner, cpp_comment, cpp_string, emit, fail, read_tsv,
                              require_inputs)

DATA = ROOT / "data" / "backends"
INPUTS = [DATA / "backends.tsv", DATA / "features.tsv", DATA / "support.tsv"]
PLAIN_RELEASE = re.compile(r"\d+(\.\d+)*")
# Row counts of the stated knowledge; raise them together with the data.
BACKENDS, FEATURES = 6, 6


HEADER = """\
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tarnvik::backends {

// A newer metadata feature that only some backend releases support.
enum class Feature : std::uint8_t {
@FEATURES@
};

// How the releases of one backend support one feature. Versions are plain PEP 440 releases.
struct Support {
    enum class Kind : std::uint8_t {
        All,    // every release
        Since,  // releases up to `a` lack it, releases from `b` on have it; between, not judged
        Never,  // no release from `a` on has it
    };
    Kind kind;
    std::string_view a;
    std::string_view b;
};

struct FeatureSupport {
    Feature feature;
    Support support;
    bool fails;  // releases without support make the build fail
};

struct Backend {
    std::string_view package;  // normalized distribution name
    std::string_view module;   // what `build-backend` names
    std::string_view first_known;
    std::string_view latest_known;
    std::span<const FeatureSupport> features;  // every feature, in feature order

    const FeatureSupport& support(Feature feature) const {
        return features[static_cast<std::size_t>(feature)];
    }
};

// The known build backends, in their fixed order.
extern const std::span<const Backend> BACKENDS;
// The name of each feature in messages, indexed by Feature.
extern const std::span<const std::string_view> FEATURE_NAMES;

}  // namespace tarnvik::backends
"""


def rows(path, columns):
    result = read_tsv(path)[1]
    if any(len(row) != columns for row in result):
        fail(f"{path.name}: every row has {columns} tab-separated columns")
    return result


def release(text, where):
    """The PEP 440 ordering key of a plain release ("2.0" equals "2.0.0")."""
    if not PLAIN_RELEASE.fullmatch(text):
        fail(f"{where}: {text!r} is not a plain release")
    parts = [int(part) for part in text.split(".")]
    while len(parts) > 1 and parts[-1] == 0:
        parts.pop()
    return tuple(parts)


def enumerator(key):
    """The Feature enumerator of a feature's short key: "license-files" is LicenseFiles."""
    return "".join(word.capitalize() for word in key.split("-"))


def check_support(row, bounds):
    package, feature, kind, a, b, fails = row
    where = f"support.tsv: {package} feature {feature}"
    first, latest = bounds[package]
    if fails not in ("0", "1"):
        fail(f"{where}: fails must be 0 or 1")
    if kind == "All":
        if (a, b, fails) != ("-", "-", "0"):
            fail(f"{where}: All takes no versions and never fails")
    elif kind == "Since":
        if not first <= release(a, where) < release(b, where) <= latest:
            fail(f"{where}: Since needs first known <= A < B <= latest known")
    elif kind == "Never":
        if b != "-" or not first <= release(a, where) <= latest:
            fail(f"{where}: Never needs first known <= A <= latest known and no B")
    else:
        fail(f"{where}: unknown kind {kind!r}")


def render():
    require_inputs(*INPUTS)
    backends = rows(DATA / "backends.tsv", 4)
    features = rows(DATA / "features.tsv", 3)
    support = rows(DATA / "support.tsv", 6)
    if len(backends) != BACKENDS or len(features) != FEATURES:
        fail(f"{len(backends)} backends and {len(features)} features; "
             f"{BACKENDS} and {FEATURES} stated")
    if [row[0] for row in features] != [str(i) for i in range(len(features))]:
        fail("features.tsv: features are numbered 0, 1, 2... in order")
    if not all(re.fullmatch(r"[a-z0-9]+(-[a-z0-9]+)*", key) for _, key, _ in features):
        fail("features.tsv: a short key is lower-case words joined by -")
    bounds = {}
    for package, module, first, latest in backends:
        if package != re.sub(r"[-_.]+", "-", package).lower() or package in bounds:
            fail(f"backends.tsv: {package!r} is not a normalized name of its own")
        if not module or ":" in module:
            fail(f"backends.tsv: {module!r} is not a bare object reference")
        bounds[package] = (release(first, package), release(latest, package))
        if bounds[package][0] > bounds[package][1]:
            fail(f"backends.tsv: {package} first known after latest known")
    if [(row[0], row[1]) for row in support] != [
            (package, str(i)) for package, *_ in backends for i in range(len(features))]:
        fail("support.tsv: each backend lists every feature once, in backend and feature order")
    for row in support:
        check_support(row, bounds)

    def version(text):
        return cpp_string("" if text == "-" else text)

    lines = [
        banner(INPUTS),
        '#include "generated/backends.hpp"',
        "",
        "namespace tarnvik::backends {",
        "",
        "namespace {",
        "",
        "using Kind = Support::Kind;",
    ]
    lines += ["", "constexpr std::string_view FEATURE_NAME_ROWS[] = {"]
    lines += [f"    {cpp_string(name)}," for _, _, name in features]
    lines += ["};", ""]
    names = {value: enumerator(key) for value, key, _ in features}
    for package, *_ in backends:
        array = package.upper().replace("-", "_")
        lines.append(f"constexpr FeatureSupport {array}[] = {{")
        for _, feature, kind, a, b, fails in (row for row in support if row[0] == package):
            lines.append(f"    {{Feature::{names[feature]}, {{Kind::{kind}, {version(a)}, "
                         f"{version(b)}}}, {'true' if fails == '1' else 'false'}}},")
        lines += ["};", ""]
    lines.append("constexpr Backend BACKEND_ROWS[] = {")
    for package, module, first, latest in backends:
        array = package.upper().replace("-", "_")
        lines.append(f"    {{{cpp_string(package)}, {cpp_string(module)}, {cpp_string(first)}, "
                     f"{cpp_string(latest)}, {array}}},")
    lines += [
        "};",
        "",
        "}  // namespace",
        "",
        "constexpr std::span<const Backend> BACKENDS{BACKEND_ROWS};",
        "constexpr std::span<const std::string_view> FEATURE_NAMES{FEATURE_NAME_ROWS};",
        "",
        "}  // namespace tarnvik::backends",
        "",
    ]
    enumerators = "".join(f"    {enumerator(key)},  // {cpp_comment(name)}\n"
                          for _, key, name in features)
    header = banner(INPUTS) + "\n" + HEADER.replace("@FEATURES@\n", enumerators)
    return header, "\n".join(lines)


if __name__ == "__main__":
    sys.exit(emit("backends", *render()))
