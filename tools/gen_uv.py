#!/usr/bin/env python3
"""Generate the uv descriptors uv::UV and uv::UV_BUILD.

Reads data/uv/releases.tsv, data/uv/options.json and data/uv/descriptor.json and writes
core/generated/uv.hpp and uv.cpp. The two descriptors share the release list, the options, the
required keys, the renames and both consequence lists; they differ in name, documentation link,
hints and note. With --check, exits 1 when the committed files differ.
"""
import sys

from generator_common import ROOT, banner, emit, fail, load_json, require_inputs
from tool_descriptors import (SOURCE_PRELUDE, ReleaseIndex, TableWriter, check_descriptor_lists,
                              check_hints, check_options, descriptor_lists, family_definition,
                              read_releases, tool_definition)

DATA = ROOT / "data" / "uv"
INPUTS = [DATA / "releases.tsv", DATA / "options.json", DATA / "descriptor.json"]

# Row counts of the stated knowledge; raise them together with the data.
KINDS = {"Table": 7, "FreeTable": 13, "ArrayOfTables": 3, "Value": 169}
LISTS = {"required": 3, "renames": 2, "unknown_key_consequences": 7,
         "invalid_value_consequences": 137}
VARIABLES = {"uv::UV": "UV", "uv::UV_BUILD": "UV_BUILD"}


def render():
    require_inputs(*INPUTS)
    descriptor = load_json(DATA / "descriptor.json")
    releases = ReleaseIndex(read_releases(DATA / "releases.tsv", descriptor["releases"]))
    options = load_json(DATA / "options.json")
    check_options(options, releases, descriptor["options"]["count"], KINDS)
    if any(option["selectors"] for option in options):
        fail("options.json: no uv option takes rule selectors")
    check_descriptor_lists(descriptor, options, LISTS)
    tools = descriptor["descriptors"]
    if sorted(t["descriptor"] for t in tools) != sorted(VARIABLES):
        fail(f"descriptor.json: the descriptors must be {sorted(VARIABLES)}")
    for fields in tools:
        check_hints(fields)

    writer = TableWriter(releases.releases)
    tables = writer.releases() + writer.options(options, releases)
    tables += descriptor_lists(writer, descriptor)
    definitions = []
    for fields in tools:
        definitions += tool_definition(VARIABLES[fields["descriptor"]], fields)

    header = "\n".join([
        banner(INPUTS),
        "#pragma once",
        "",
        '#include "knowledge/tool.hpp"',
        "",
        "namespace tarnvik::uv {",
        "",
        "// The `[tool.uv]` settings as uv reads them.",
        "extern const tool::Tool UV;",
        "// The same settings as the uv_build build backend reads them (`build-backend`).",
        "extern const tool::Tool UV_BUILD;",
        "",
        "}  // namespace tarnvik::uv",
        "",
    ])
    source = "\n".join([
        banner(INPUTS),
        '#include "generated/uv.hpp"',
        "",
        "namespace tarnvik::uv {",
        "",
        *SOURCE_PRELUDE,
        *writer.pools(),
        *tables,
        *writer.text_definition(),
        *family_definition(writer, descriptor),
        "}  // namespace",
        "",
        *definitions,
        "}  // namespace tarnvik::uv",
        "",
    ])
    return header, source


if __name__ == "__main__":
    sys.exit(emit("uv", *render()))
