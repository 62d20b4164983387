"""What the generators of the tool descriptors (gen_uv.py, gen_ruff.py, gen_ty.py) share: reading
a tool's release list and option records, checking them, and writing them as constexpr tables of
the types in core/src/knowledge/tool.hpp, with release texts turned into release indices, in the
generated header and source every tool family has.
"""
import json
from collections import Counter

from generator_common import (banner, cpp_comment, cpp_string, fail, load_json, read_data,
                              require_sorted)

# The documentation site of all four tools; each descriptor adds its own path.
DOCS_HOST = "https://docs.astral.sh"

KINDS = ("Table", "FreeTable", "ArrayOfTables", "Value")
SCALAR_TAGS = ("Any", "Boolean", "Number", "String", "RuleSelector")
INT64 = (-(2**63), 2**63 - 1)


def read_releases(path, stated):
    """The release texts of a releases.tsv (a header line, then one release a line, oldest
    first), checked against the stated count, first and last release."""
    _, lines = read_data(path)
    if not lines or lines[0].split("\t")[0] != "version":
        fail(f"{path.name}: the first line must be the header starting with `version`")
    releases = [line.split("\t")[0] for line in lines[1:]]
    if len(set(releases)) != len(releases):
        fail(f"{path.name}: a release is listed twice")
    # The program finds the releases a version range holds by binary search.
    numbers = []
    for text in releases:
        parts = text.split(".")
        if not all(part.isdigit() and part.isascii() for part in parts):
            fail(f"{path.name}: {text!r} is not a plain release number, whose order is checked here")
        numbers.append(tuple(int(part) for part in parts))
    padded = [n + (0,) * (max(map(len, numbers)) - len(n)) for n in numbers]
    if any(a >= b for a, b in zip(padded, padded[1:])):
        fail(f"{path.name}: releases must ascend in version order")
    if len(releases) >= 2**16:
        fail(f"{path.name}: {len(releases)} releases do not fit 16-bit indices")
    got = (len(releases), releases[0] if releases else None, releases[-1] if releases else None)
    want = (stated["count"], stated["first"], stated["last"])
    if got != want:
        fail(f"{path.name}: {got} releases (count, first, last); {want} stated")
    return releases


class ReleaseIndex:
    """Release texts to indices of one tool's release list."""

    def __init__(self, releases):
        self.releases = releases
        self.index = {text: i for i, text in enumerate(releases)}

    def at(self, text, where):
        if text not in self.index:
            fail(f"{where}: {text!r} is not a known release")
        return self.index[text]

    def ranges(self, pairs, where):
        """[[first, last], ...] as index pairs: each range ordered, the ranges ascending and
        apart."""
        result = []
        for first, last in pairs:
            a, b = self.at(first, where), self.at(last, where)
            if a > b:
                fail(f"{where}: range {first} to {last} is reversed")
            if result and a <= result[-1][1]:
                fail(f"{where}: ranges overlap or are out of order")
            result.append((a, b))
        return result


def check_type(value_type, where):
    """Stops unless the value type is well formed (known tag, its payload, sorted OneOf texts)."""
    tag = value_type.get("tag")
    if tag in SCALAR_TAGS:
        return
    if tag == "Integer":
        minimum = value_type.get("min")
        if minimum is not None and not (isinstance(minimum, int) and
                                        INT64[0] <= minimum <= INT64[1]):
            fail(f"{where}: bad Integer minimum {minimum!r}")
    elif tag == "OneOf":
        values = value_type.get("values") or []
        if not values:
            fail(f"{where}: OneOf without values")
        require_sorted(values, f"{where}: OneOf values")
    elif tag == "ArrayOf":
        check_type(value_type.get("element") or {}, where)
    elif tag == "AnyOf":
        for alternative in value_type.get("alternatives", []):
            check_type(alternative, where)
    else:
        fail(f"{where}: unknown value type tag {tag!r}")


def check_options(options, releases, stated_count, stated_kinds, stated_selector_options):
    """Stops unless the option records are sorted, unique, in range and of the stated counts
    (options, options of each kind, options that take rule selectors)."""
    keys = [option["key"] for option in options]
    require_sorted(keys, "options.json keys")
    if len(options) != stated_count:
        fail(f"options.json: {len(options)} options; {stated_count} stated")
    kinds = Counter(option["kind"] for option in options)
    if any(kind not in KINDS for kind in kinds):
        fail(f"options.json: unknown kind among {sorted(kinds)}")
    if dict(kinds) != {k: n for k, n in stated_kinds.items() if n}:
        fail(f"options.json: kinds {dict(kinds)}; {stated_kinds} stated")
    for option in options:
        where = f"option {option['key']!r}"
        if not isinstance(option["selectors"], bool):
            fail(f"{where}: selectors must be true or false")
        if not option["exists"]:
            fail(f"{where}: exists in no release")
        releases.ranges(option["exists"], where)
        releases.ranges(option["deprecated"], where)
        rules = option["type_rules"]
        if rules and option["kind"] in ("Table", "ArrayOfTables"):
            fail(f"{where}: a {option['kind']} has no type rules")
        for rule in rules:
            releases.ranges([[rule["first"], rule["last"]]], where)
            check_type(rule["type"], where)
        if option["note"] is not None and not isinstance(option["note"], str):
            fail(f"{where}: the note must be a text or null")
    selector_options = sum(1 for option in options if option["selectors"])
    if selector_options != stated_selector_options:
        fail(f"options.json: {selector_options} options take rule selectors; "
             f"{stated_selector_options} stated")


def check_key_list(rows, options, what, *, parent_ok=False):
    """Stops unless the (key, ...) rows are sorted, unique and name options (or "" when
    parent_ok, the tool's own table)."""
    keys = [row[0] for row in rows]
    require_sorted(keys, what)
    known = {option["key"] for option in options}
    for key in keys:
        if key not in known and not (parent_ok and key == ""):
            fail(f"{what}: {key!r} is not an option")


def check_descriptor_lists(descriptor, options, stated):
    """Checks required, renames and both consequence lists against the options and the stated
    row counts."""
    kinds = {option["key"]: option["kind"] for option in options}
    for name, count in stated.items():
        if len(descriptor[name]) != count:
            fail(f"descriptor.json: {len(descriptor[name])} rows in {name}; {count} stated")
    required = descriptor["required"]
    require_sorted(required, "required")
    for key in required:
        parent = key.rpartition(".")[0]
        if kinds.get(parent) != "ArrayOfTables" or key not in kinds:
            fail(f"required: {key!r} is not a key of an array-of-tables option")
    check_key_list(descriptor["renames"], options, "renames")
    for old, new in descriptor["renames"]:
        if "." in new or not new:
            fail(f"renames: {new!r} is not a single key segment")
    check_key_list(descriptor["unknown_key_consequences"], options, "unknown_key_consequences",
                   parent_ok=True)
    check_key_list(descriptor["invalid_value_consequences"], options,
                   "invalid_value_consequences")
    for key, code in descriptor["unknown_key_consequences"]:
        if key and kinds[key] not in ("Table", "ArrayOfTables"):
            fail(f"unknown_key_consequences: {key!r} is not a table")
    for _, code in descriptor["unknown_key_consequences"] + descriptor[
            "invalid_value_consequences"]:
        if code not in (0, 1, 2):
            fail(f"consequence code {code!r} is not 0, 1 or 2")


def describe(value_type):
    """A short reading of a value type, for the comments of the generated rows."""
    tag = value_type["tag"]
    if tag == "Integer" and value_type.get("min") is not None:
        return f"Integer >= {value_type['min']}"
    if tag == "OneOf":
        return "OneOf " + " | ".join(value_type["values"])
    if tag == "ArrayOf":
        return f"ArrayOf ({describe(value_type['element'])})"
    if tag == "AnyOf":
        return "AnyOf (" + ", ".join(describe(a) for a in value_type["alternatives"]) + ")"
    return tag


class TableWriter:
    """Collects the pointer-free tables of one family (see tool::stored): every text once in one
    text, value types (each distinct one once, after the types it refers to), and pools of
    release ranges and type rules that rows refer into by offset and size."""

    def __init__(self, release_texts):
        self.release_texts = release_texts
        self.texts = {}
        self.text_size = 0
        self.types = {}
        self.type_rows = []
        self.type_texts = []
        self.alternatives = []
        self.ranges_pool = []
        self.range_lists = {}
        self.rules_pool = []
        self.rule_lists = {}

    def text(self, text):
        """The {offset, size} of the text in the family's text."""
        if text not in self.texts:
            self.texts[text] = self.text_size
            self.text_size += len(text.encode("utf-8"))
        return f"{{{self.texts[text]}, {len(text.encode('utf-8'))}}}"

    @staticmethod
    def slice(offset, size):
        if offset >= 2**16 or size >= 2**16:
            fail(f"a pool outgrew 16-bit offsets ({offset}, {size})")
        return f"{{{offset}, {size}}}" if size else "{}"

    def value_type(self, value_type):
        """The index of the value type in the family's types."""
        canonical = json.dumps(value_type, sort_keys=True)
        if canonical in self.types:
            return self.types[canonical]
        tag = value_type["tag"]
        minimum = value_type.get("min") if tag == "Integer" else None
        items = "{}"
        if tag == "OneOf":
            items = self.slice(len(self.type_texts), len(value_type["values"]))
            self.type_texts += [self.text(v) for v in value_type["values"]]
        elif tag == "ArrayOf":
            items = f"{{{self.value_type(value_type['element'])}, 0}}"
        elif tag == "AnyOf":
            indices = [self.value_type(a) for a in value_type["alternatives"]]
            items = self.slice(len(self.alternatives), len(indices))
            self.alternatives += indices
        index = len(self.type_rows)
        self.types[canonical] = index
        self.type_rows.append(
            f"    {{ValueTag::{tag}, {'false' if minimum is None else 'true'}, {items}, "
            f"{minimum or 0}}},  // {index}: {cpp_comment(describe(value_type))}")
        return index

    def range_list(self, ranges):
        """The slice of the range pool that holds the index pairs."""
        key = tuple(ranges)
        if key not in self.range_lists:
            self.range_lists[key] = len(self.ranges_pool)
            self.ranges_pool += ranges
        return self.slice(self.range_lists[key], len(ranges))

    def rule_list(self, rules):
        """The slice of the type-rule pool that holds the (first, last, type) rules."""
        key = tuple(rules)
        if key not in self.rule_lists:
            self.rule_lists[key] = len(self.rules_pool)
            self.rules_pool += rules
        return self.slice(self.rule_lists[key], len(rules))

    def options(self, options, releases):
        rows = []
        for option in options:
            where = f"option {option['key']!r}"
            rules = [(releases.at(r["first"], where), releases.at(r["last"], where),
                      self.value_type(r["type"])) for r in option["type_rules"]]
            note = option["note"]
            rows.append(
                f"    {{{self.text(option['key'])}, OptionKind::{option['kind']}, "
                f"{'true' if option['selectors'] else 'false'}, "
                f"{'false' if note is None else 'true'}, "
                f"{self.range_list(releases.ranges(option['exists'], where))}, "
                f"{self.range_list(releases.ranges(option['deprecated'], where))}, "
                f"{self.rule_list(rules)}, {'{}' if note is None else self.text(note)}}},"
                f"  // {cpp_comment(option['key'])}")
        return self.array("stored::Option", "OPTIONS", rows)

    def releases(self):
        return self.array("stored::Text", "RELEASES", [
            f"    {self.text(text)},  // {i}: {cpp_comment(text)}"
            for i, text in enumerate(self.release_texts)])

    @staticmethod
    def array(row_type, name, rows):
        if not rows:
            return []
        return [f"constexpr {row_type} {name}[] = {{", *rows, "};", ""]

    def pools(self):
        """The value types and the pools, to be written before the rows that refer into them."""
        out = self.array("stored::Type", "TYPES", self.type_rows)
        out += self.array("stored::Text", "TYPE_TEXTS", [f"    {t}," for t in self.type_texts])
        if self.alternatives:
            out += ["constexpr std::uint16_t ALTERNATIVES[] = {"
                    + ", ".join(str(i) for i in self.alternatives) + "};", ""]
        out += self.array("ReleaseRange", "RANGES", [
            f"    {{{a}, {b}}},  // {cpp_comment(self.release_texts[a])} to "
            f"{cpp_comment(self.release_texts[b])}"
            for a, b in self.ranges_pool])
        out += self.array("TypeRule", "TYPE_RULES",
                          [f"    {{{a}, {b}, {t}}}," for a, b, t in self.rules_pool])
        return out

    def text_definition(self):
        """The family's text, one stored text a line; written last, once every text is known."""
        lines = ["constexpr std::string_view TEXT ="]
        lines += [f"    {cpp_string(text)}" for text in self.texts if text]
        if not self.text_size:
            lines.append('    ""')
        lines[-1] += ";"
        return lines + [""]


def descriptor_lists(writer, descriptor):
    """The arrays of required keys, renames and both consequence lists."""
    lines = writer.array("stored::Text", "REQUIRED",
                         [f"    {writer.text(k)},  // {cpp_comment(k)}"
                          for k in descriptor["required"]])
    lines += writer.array("stored::Rename", "RENAMES", [
        f"    {{{writer.text(old)}, {writer.text(new)}}},  // {cpp_comment(old)} -> "
        f"{cpp_comment(new)}"
        for old, new in descriptor["renames"]])
    for name in ("unknown_key_consequences", "invalid_value_consequences"):
        lines += writer.array("stored::KeyConsequence", name.upper(), [
            f"    {{{writer.text(key)}, {code}}},  // \"{cpp_comment(key)}\""
            for key, code in descriptor[name]])
    return lines


def family_definition(writer, descriptor):
    """The stored::Family that gathers a family's tables."""
    def span(name, rows):
        return name if rows else "{}"
    return [
        "constexpr stored::Family FAMILY{",
        "    .text = TEXT,",
        "    .releases = RELEASES,",
        "    .options = OPTIONS,",
        f"    .ranges = {span('RANGES', writer.ranges_pool)},",
        f"    .type_rules = {span('TYPE_RULES', writer.rules_pool)},",
        f"    .types = {span('TYPES', writer.type_rows)},",
        f"    .type_texts = {span('TYPE_TEXTS', writer.type_texts)},",
        f"    .alternatives = {span('ALTERNATIVES', writer.alternatives)},",
        f"    .required = {span('REQUIRED', descriptor['required'])},",
        f"    .renames = {span('RENAMES', descriptor['renames'])},",
        "    .unknown_key_consequences = "
        f"{span('UNKNOWN_KEY_CONSEQUENCES', descriptor['unknown_key_consequences'])},",
        "    .invalid_value_consequences = "
        f"{span('INVALID_VALUE_CONSEQUENCES', descriptor['invalid_value_consequences'])},",
        "};",
        "",
    ]


def tool_definition(variable, fields):
    """The constexpr definition of one tool::Tool; fields holds the descriptor's texts."""
    check_hints(fields)
    note = cpp_string(fields["note"]) if fields.get("note") is not None else "std::nullopt"
    return [
        f"constexpr tool::Tool {variable}{{",
        f"    .name = {cpp_string(fields['name'])},",
        f"    .table = {cpp_string(fields['table'])},",
        f"    .docs = {cpp_string(DOCS_HOST + fields['docs_path'])},",
        f"    .upgrade_hint = {cpp_string(fields['upgrade_hint'])},",
        f"    .unknown_version_hint = {cpp_string(fields['unknown_version_hint'])},",
        f"    .note = {note},",
        "    .family = &FAMILY,",
        "};",
        "",
    ]


def check_hints(fields):
    if "{version}" not in fields["upgrade_hint"]:
        fail(f"{fields['name']}: the upgrade hint lacks {{version}}")
    if not fields["docs_path"].startswith("/") or not fields["docs_path"].endswith("/"):
        fail(f"{fields['name']}: the documentation path must start and end with /")


def tool_inputs(data, *more):
    """The input files of a tool family: its release list, options and descriptor, then more."""
    return [data / "releases.tsv", data / "options.json", data / "descriptor.json",
            *(data / name for name in more)]


def read_tool(data, stated_kinds, stated_lists, stated_selector_options):
    """The descriptor, the release index and the options of a tool family, checked against each
    other and against the stated row counts."""
    descriptor = load_json(data / "descriptor.json")
    releases = ReleaseIndex(read_releases(data / "releases.tsv", descriptor["releases"]))
    options = load_json(data / "options.json")
    check_options(options, releases, descriptor["options"]["count"], stated_kinds,
                  stated_selector_options)
    check_descriptor_lists(descriptor, options, stated_lists)
    return descriptor, releases, options


def tool_header(family, inputs, declarations, includes=()):
    """core/generated/<family>.hpp: the declarations in tarnvik::<family>, after the standard
    headers named in includes and knowledge/tool.hpp."""
    lines = [banner(inputs), "#pragma once", ""]
    if includes:
        lines += [f"#include <{name}>" for name in includes] + [""]
    return "\n".join([
        *lines,
        '#include "knowledge/tool.hpp"',
        "",
        f"namespace tarnvik::{family} {{",
        "",
        *declarations,
        f"}}  // namespace tarnvik::{family}",
        "",
    ])


def tool_source(family, inputs, writer, descriptor, tables, definitions):
    """core/generated/<family>.cpp: the pools, the tables and the descriptor lists, the text and
    the FAMILY that gathers them, all private, then the definitions that refer to FAMILY."""
    tables = tables + descriptor_lists(writer, descriptor)
    return "\n".join([
        banner(inputs),
        f'#include "generated/{family}.hpp"',
        "",
        f"namespace tarnvik::{family} {{",
        "",
        "namespace {",
        "",
        "using tool::OptionKind;",
        "using tool::ReleaseRange;",
        "using tool::TypeRule;",
        "using tool::ValueTag;",
        "namespace stored = tool::stored;",
        "",
        *writer.pools(),
        *tables,
        *writer.text_definition(),
        *family_definition(writer, descriptor),
        "}  // namespace",
        "",
        *definitions,
        f"}}  // namespace tarnvik::{family}",
        "",
    ])
