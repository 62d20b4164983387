#!/usr/bin/env python3
"""Generate the ty descriptor ty::TY and the ty rule table ty::RULES.

Reads data/ty/releases.tsv, options.json, descriptor.json and rules.json and writes
core/generated/ty.hpp and ty.cpp. With --check, exits 1 when the committed files differ.
"""
import sys

from generator_common import (ROOT, cpp_comment, cpp_string, emit, fail, load_json,
                              require_inputs, require_sorted)
from tool_descriptors import (DOCS_HOST, TableWriter, read_tool, tool_definition, tool_header,
                              tool_inputs, tool_source)

DATA = ROOT / "data" / "ty"
INPUTS = tool_inputs(DATA, "rules.json")

# Row counts of the stated knowledge; raise them together with the data.
KINDS = {"Table": 5, "FreeTable": 2, "ArrayOfTables": 1, "Value": 27}
LISTS = {"required": 0, "renames": 2, "unknown_key_consequences": 0,
         "invalid_value_consequences": 0}


def rule_rows(writer, rules, releases, stated):
    names = [rule["name"] for rule in rules]
    require_sorted(names, "rules.json names")
    if len(rules) != stated:
        fail(f"rules.json: {len(rules)} rules; {stated} stated")
    rows = []
    for rule in rules:
        where = f"rule {rule['name']!r}"
        if not rule["releases"]:
            fail(f"{where}: known in no release")
        ranges = writer.range_list(releases.ranges(rule["releases"], where))
        rows.append(f"    {{{writer.text(rule['name'])}, {ranges}}},  // "
                    f"{cpp_comment(rule['name'])}")
    return writer.array("StoredRule", "RULE_ROWS", rows)


def render():
    require_inputs(*INPUTS)
    descriptor, releases, options = read_tool(DATA, KINDS, LISTS, 0)
    rules_docs = descriptor["rules"]["docs_path"]

    writer = TableWriter(releases.releases)
    tables = writer.releases() + writer.options(options, releases)
    tables += rule_rows(writer, load_json(DATA / "rules.json"), releases,
                        descriptor["rules"]["count"])

    header = tool_header("ty", INPUTS, [
        "// The `[tool.ty]` settings of every ty release.",
        "extern const tool::Tool TY;",
        "",
        "// A lint rule, stored in TY's tables: its name and the releases that know it.",
        "struct StoredRule {",
        "    tool::stored::Text name;",
        "    tool::stored::Slice releases;",
        "};",
        "",
        "// Every rule any release knew, in ascending byte order of name.",
        "extern const std::span<const StoredRule> RULES;",
        "",
        "// ty's rule reference.",
        f"inline constexpr std::string_view RULE_DOCS = {cpp_string(DOCS_HOST + rules_docs)};",
        "",
    ], includes=["span", "string_view"])
    source = tool_source("ty", INPUTS, writer, descriptor, tables, [
        *tool_definition("TY", descriptor),
        "constexpr std::span<const StoredRule> RULES{RULE_ROWS};",
        "",
    ])
    return header, source


if __name__ == "__main__":
    sys.exit(emit("ty", *render()))
