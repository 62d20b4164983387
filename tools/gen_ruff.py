#!/usr/bin/env python3
"""Generate the Ruff descriptor ruff::RUFF.

Reads data/ruff/releases.tsv, data/ruff/options.json and data/ruff/descriptor.json and writes
core/generated/ruff.hpp and ruff.cpp. With --check, exits 1 when the committed files differ.
"""
import sys

from generator_common import ROOT, emit, require_inputs
from tool_descriptors import (TableWriter, read_tool, tool_definition, tool_header, tool_inputs,
                              tool_source)

DATA = ROOT / "data" / "ruff"
INPUTS = tool_inputs(DATA)

# Row counts of the stated knowledge; raise them together with the data.
KINDS = {"Table": 55, "FreeTable": 21, "ArrayOfTables": 0, "Value": 302}
LISTS = {"required": 0, "renames": 0, "unknown_key_consequences": 0,
         "invalid_value_consequences": 0}
SELECTOR_OPTIONS = 24


def render():
    require_inputs(*INPUTS)
    descriptor, releases, options = read_tool(DATA, KINDS, LISTS, SELECTOR_OPTIONS)

    writer = TableWriter(releases.releases)
    tables = writer.releases() + writer.options(options, releases)

    header = tool_header("ruff", INPUTS, [
        "// The `[tool.ruff]` settings of every Ruff release.",
        "extern const tool::Tool RUFF;",
        "",
    ])
    source = tool_source("ruff", INPUTS, writer, descriptor, tables,
                         tool_definition("RUFF", descriptor))
    return header, source


if __name__ == "__main__":
    sys.exit(emit("ruff", *render()))
