#!/usr/bin/env python3
"""Generate the uv descriptors uv::UV and uv::UV_BUILD.

Reads data/uv/releases.tsv, data/uv/options.json and data/uv/descriptor.json and writes
core/generated/uv.hpp and uv.cpp. The two descriptors share the release list, the options, the
required keys, the renames and both consequence lists; they differ in name, documentation link,
hints and note. With --check, exits 1 when the committed files differ.
"""
import sys

from generator_common import ROOT, emit, fail, require_inputs
from tool_descriptors import (TableWriter, read_tool, tool_definition, tool_header, tool_inputs,
                              tool_source)

DATA = ROOT / "data" / "uv"
INPUTS = tool_inputs(DATA)

# Row counts of the stated knowledge; raise them together with the data.
KINDS = {"Table": 7, "FreeTable": 13, "ArrayOfTables": 3, "Value": 169}
LISTS = {"required": 3, "renames": 2, "unknown_key_consequences": 7,
         "invalid_value_consequences": 137}
VARIABLES = {"uv::UV": "UV", "uv::UV_BUILD": "UV_BUILD"}


def render():
    require_inputs(*INPUTS)
    descriptor, releases, options = read_tool(DATA, KINDS, LISTS, 0)
    tools = descriptor["descriptors"]
    if sorted(t["descriptor"] for t in tools) != sorted(VARIABLES):
        fail(f"descriptor.json: the descriptors must be {sorted(VARIABLES)}")

    writer = TableWriter(releases.releases)
    tables = writer.releases() + writer.options(options, releases)
    definitions = []
    for fields in tools:
        definitions += tool_definition(VARIABLES[fields["descriptor"]], fields)

    header = tool_header("uv", INPUTS, [
        "// The `[tool.uv]` settings as uv reads them.",
        "extern const tool::Tool UV;",
        "// The same settings as the uv_build build backend reads them (`build-backend`).",
        "extern const tool::Tool UV_BUILD;",
        "",
    ])
    source = tool_source("uv", INPUTS, writer, descriptor, tables, definitions)
    return header, source


if __name__ == "__main__":
    sys.exit(emit("uv", *render()))
