#!/usr/bin/env python3
"""Generate the Ruff rule-selector tables ruff::SELECTORS and ruff::REDIRECTS.

Reads data/ruff_rules/selectors.json and redirects.json, and data/ruff/releases.tsv for the
release positions (indices into ruff::RUFF's releases), and writes core/generated/ruff_rules.hpp
and ruff_rules.cpp. With --check, exits 1 when the committed files differ.
"""
import sys
from collections import Counter

from generator_common import (ROOT, banner, cpp_comment, emit, fail, load_json, require_inputs,
                              require_sorted)
from tool_descriptors import ReleaseIndex, TableWriter, read_releases

DATA = ROOT / "data" / "ruff_rules"
RUFF = ROOT / "data" / "ruff"
INPUTS = [DATA / "selectors.json", DATA / "redirects.json", RUFF / "releases.tsv",
          RUFF / "descriptor.json"]

# The values of ruff::RuleStatus.
STATUSES = {"removed": 0, "deprecated": 1, "stable": 2, "preview": 3, None: 0xFFFF}
# Row counts of the stated knowledge; raise them together with the data.
STATUS_COUNTS = {"stable": 812, "preview": 140, "deprecated": 9, "removed": 8, None: 1493}
KIND_COUNTS = {"rule": 969, "name": 962, "prefix": 510, "group": 2, "former": 19}
SELECTOR_COUNT = 2462
MULTI_RANGE_ROWS = 2
REDIRECT_COUNT = 103


def check_life_cycle(row, ranges, releases):
    """since and removed as release positions, after checking that they fit the status."""
    where = f"selector {row['selector']!r}"
    status, since, removed = row["status"], row["since"], row["removed"]
    needs_since = status in ("stable", "deprecated")
    needs_removed = status in ("deprecated", "removed")
    if (since is not None) != needs_since or (removed is not None) != needs_removed:
        fail(f"{where}: since and removed do not fit the status {status!r}")
    if (status is None) != (row["kind"] != "rule"):
        fail(f"{where}: only a rule has a status")
    since_at = releases.at(since, where) if since is not None else 0
    removed_at = releases.at(removed, where) if removed is not None else 0
    if needs_removed and removed_at != ranges[-1][1] + 1:
        fail(f"{where}: removed must follow the last release that accepts it")
    if status == "deprecated" and not since_at < removed_at:
        fail(f"{where}: deprecated after its removal")
    return since_at, removed_at


def selector_rows(writer, selectors, releases):
    require_sorted([row["selector"] for row in selectors], "selectors.json")
    if len(selectors) != SELECTOR_COUNT:
        fail(f"selectors.json: {len(selectors)} rows; {SELECTOR_COUNT} stated")
    statuses = Counter(row["status"] for row in selectors)
    kinds = Counter(row["kind"] for row in selectors)
    if statuses != Counter(STATUS_COUNTS) or kinds != Counter(KIND_COUNTS):
        fail(f"selectors.json: statuses {dict(statuses)} and kinds {dict(kinds)} differ from "
             f"the stated {STATUS_COUNTS} and {KIND_COUNTS}")
    multi = sum(1 for row in selectors if len(row["releases"]) > 1)
    if multi != MULTI_RANGE_ROWS:
        fail(f"selectors.json: {multi} rows with several ranges; {MULTI_RANGE_ROWS} stated")
    rows = []
    for row in selectors:
        where = f"selector {row['selector']!r}"
        if not row["selector"] or not row["releases"]:
            fail(f"{where}: empty selector or no release")
        ranges = releases.ranges(row["releases"], where)
        since, removed = check_life_cycle(row, ranges, releases)
        rows.append(f"    {{{writer.text(row['selector'])}, {writer.range_list(ranges)}, "
                    f"{STATUSES[row['status']]}, {since}, {removed}}},  // "
                    f"{cpp_comment(row['selector'])}")
    return writer.array("StoredSelector", "SELECTOR_ROWS", rows)


def redirect_rows(writer, redirects):
    require_sorted([row["old"] for row in redirects], "redirects.json")
    if len(redirects) != REDIRECT_COUNT:
        fail(f"redirects.json: {len(redirects)} pairs; {REDIRECT_COUNT} stated")
    if any(not row["new"] or row["new"] == row["old"] for row in redirects):
        fail("redirects.json: a selector redirected to nothing or to itself")
    rows = [f"    {{{writer.text(row['old'])}, {writer.text(row['new'])}}},  // "
            f"{cpp_comment(row['old'])} -> {cpp_comment(row['new'])}" for row in redirects]
    return writer.array("StoredRedirect", "REDIRECT_ROWS", rows)


HEADER = """\
#pragma once

#include <cstdint>
#include <span>

#include "knowledge/tool.hpp"

namespace tarnvik::ruff {

// A selector and the Ruff releases (indices into RUFF's releases) that accept it, stored in
// SELECTOR_TABLES.
struct StoredSelector {
    tool::stored::Text selector;
    tool::stored::Slice releases;  // ascending, apart, never empty
    std::uint16_t status;          // a RuleStatus
    tool::Release since;
    tool::Release removed;
};

// A code or prefix that Ruff remaps to another selector.
struct StoredRedirect {
    tool::stored::Text old_selector;
    tool::stored::Text new_selector;
};

// The text and the release ranges the two tables refer to.
extern const tool::stored::Family SELECTOR_TABLES;
// Every selector any release accepted, in ascending byte order.
extern const std::span<const StoredSelector> SELECTORS;
// In ascending byte order of the old selector.
extern const std::span<const StoredRedirect> REDIRECTS;

}  // namespace tarnvik::ruff
"""


def render():
    require_inputs(*INPUTS)
    stated = load_json(RUFF / "descriptor.json")["releases"]
    releases = ReleaseIndex(read_releases(RUFF / "releases.tsv", stated))
    writer = TableWriter(releases.releases)
    selectors = selector_rows(writer, load_json(DATA / "selectors.json"), releases)
    redirects = redirect_rows(writer, load_json(DATA / "redirects.json"))
    source = "\n".join([
        banner(INPUTS),
        '#include "generated/ruff_rules.hpp"',
        "",
        "namespace tarnvik::ruff {",
        "",
        "namespace {",
        "",
        "using tool::ReleaseRange;",
        "",
        *writer.pools(),
        *selectors,
        *redirects,
        *writer.text_definition(),
        "}  // namespace",
        "",
        "constexpr tool::stored::Family SELECTOR_TABLES{.text = TEXT, .ranges = RANGES};",
        "constexpr std::span<const StoredSelector> SELECTORS{SELECTOR_ROWS};",
        "constexpr std::span<const StoredRedirect> REDIRECTS{REDIRECT_ROWS};",
        "",
        "}  // namespace tarnvik::ruff",
        "",
    ])
    return banner(INPUTS) + "\n" + HEADER, source


if __name__ == "__main__":
    sys.exit(emit("ruff_rules", *render()))
