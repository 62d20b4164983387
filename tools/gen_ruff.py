#!/usr/bin/env python3
"""Generate the Ruff descriptor ruff::RUFF.

Reads data/ruff/releases.tsv, data/ruff/options.json and data/ruff/descriptor.json and writes
core/generated/ruff.hpp and ruff.cpp. With --check, exits 1 when the committed files differ.
"""
import sys

from generator_common import ROOT, banner, emit, fail, load_json, require_inputs
from tool_descriptors import (SOURCE_PRELUDE, ReleaseIndex, TableWriter, check_descriptor_lists,
                              check_hints, check_options, descriptor_lists, family_definition,
                              read_releases, tool_definition)

DATA = ROOT / "data" / "ruff"
INPUTS = [DATA / "releases.tsv", DATA / "options.json", DATA / "descriptor.json"]

# Row counts of the stated knowledge; raise them together with the data.
KINDS = {"Table": 55, "FreeTable": 21, "ArrayOfTables": 0, "Value": 302}
LISTS = {"required": 0, "renames": 0, "unknown_key_consequences": 0,
         "invalid_value_consequences": 0}
SELECTOR_OPTIONS = 24


def render():
    require_inputs(*INPUTS)
    descriptor = load_json(DATA / "descriptor.json")
    releases = ReleaseIndex(read_releases(DATA / "releases.tsv", descriptor["releases"]))
    options = load_json(DATA / "options.json")
    check_options(options, releases, descriptor["options"]["count"], KINDS)
    selectors = [option for option in options if option["selectors"]]
    if len(selectors) != SELECTOR_OPTIONS:
        fail(f"options.json: {len(selectors)} options take rule selectors; "
             f"{SELECTOR_OPTIONS} stated")
    check_descriptor_lists(descriptor, options, LISTS)
    check_hints(descriptor)

    writer = TableWriter(releases.releases)
    tables = writer.releases() + writer.options(options, releases)
    tables += descriptor_lists(writer, descriptor)

    header = "\n".join([
        banner(INPUTS),
        "#pragma once",
        "",
        '#include "knowledge/tool.hpp"',
        "",
        "namespace tarnvik::ruff {",
        "",
        "// The `[tool.ruff]` settings of every Ruff release.",
        "extern const tool::Tool RUFF;",
        "",
        "}  // namespace tarnvik::ruff",
        "",
    ])
    source = "\n".join([
        banner(INPUTS),
        '#include "generated/ruff.hpp"',
        "",
        "namespace tarnvik::ruff {",
        "",
        *SOURCE_PRELUDE,
        *writer.pools(),
        *tables,
        *writer.text_definition(),
        *family_definition(writer, descriptor),
        "}  // namespace",
        "",
        *tool_definition("RUFF", descriptor),
        "}  // namespace tarnvik::ruff",
        "",
    ])
    return header, source


if __name__ == "__main__":
    sys.exit(emit("ruff", *render()))
