"""What the generators of the tool descriptors (gen_uv.py, gen_ruff.py, gen_ty.py) share: reading
a tool's release list and option records, checking them, and writing them as constexpr tables of
the types in core/src/knowledge/tool.hpp, with release texts turned into release indices.
"""
import json
from collections import Counter

from generator_common import cpp_string, fail, read_data, require_sorted

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


def check_options(options, releases, stated_count, stated_kinds):
    """Stops unless the option records are sorted, unique, in range and of the stated counts."""
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


class TableWriter:
    """Collects the constexpr arrays behind the descriptors of one family: release lists, value
    types (each distinct type written once, before the types that refer to it), a pool of release
    ranges and a pool of type rules that the rows refer into."""

    def __init__(self):
        self.lines = []
        self.types = {}
        self.ranges_pool = []
        self.range_lists = {}
        self.rules_pool = []
        self.rule_lists = {}
        self.release_texts = []

    def releases(self, releases):
        """The release list, eight a line, each line led by the index of its first release."""
        self.release_texts = releases
        self.lines.append("constexpr std::string_view RELEASES[] = {")
        for start in range(0, len(releases), 8):
            texts = " ".join(f"{cpp_string(text)}," for text in releases[start:start + 8])
            self.lines.append(f"    /* {start} */ {texts}")
        self.lines += ["};", ""]

    def value_type(self, value_type):
        """The name of the constexpr ValueType for the JSON value type."""
        canonical = json.dumps(value_type, sort_keys=True)
        if canonical in self.types:
            return self.types[canonical]
        tag = value_type["tag"]
        fields = [f".tag = Tag::{tag}"]
        if tag == "Integer" and value_type.get("min") is not None:
            fields.append(f".minimum = {value_type['min']}")
        elif tag == "OneOf":
            values = f"VALUES_{len(self.types)}"
            self.lines.append(f"constexpr std::string_view {values}[] = {{"
                              + ", ".join(cpp_string(v) for v in value_type["values"]) + "};")
            fields.append(f".values = {values}")
        elif tag == "ArrayOf":
            fields.append(f".element = &{self.value_type(value_type['element'])}")
        elif tag == "AnyOf" and value_type["alternatives"]:
            names = [self.value_type(a) for a in value_type["alternatives"]]
            alternatives = f"ALTERNATIVES_{len(self.types)}"
            self.lines.append(f"constexpr const ValueType* {alternatives}[] = {{"
                              + ", ".join(f"&{n}" for n in names) + "};")
            fields.append(f".alternatives = {alternatives}")
        name = f"TYPE_{len(self.types)}"
        self.types[canonical] = name
        self.lines.append(f"constexpr ValueType {name}{{{', '.join(fields)}}};")
        return name

    def range_list(self, ranges):
        """A span expression over the range pool for the index pairs."""
        if not ranges:
            return "{}"
        key = tuple(ranges)
        if key not in self.range_lists:
            self.range_lists[key] = len(self.ranges_pool)
            self.ranges_pool += ranges
        return f"{{RANGES + {self.range_lists[key]}, {len(ranges)}}}"

    def rule_list(self, rules):
        """A span expression over the type-rule pool for (first, last, type name) rules."""
        if not rules:
            return "{}"
        key = tuple(rules)
        if key not in self.rule_lists:
            self.rule_lists[key] = len(self.rules_pool)
            self.rules_pool += rules
        return f"{{TYPE_RULES + {self.rule_lists[key]}, {len(rules)}}}"

    def options(self, name, options, releases):
        rows = []
        for option in options:
            where = f"option {option['key']!r}"
            rules = [(releases.at(r["first"], where), releases.at(r["last"], where),
                      self.value_type(r["type"])) for r in option["type_rules"]]
            note = cpp_string(option["note"]) if option["note"] is not None else "{}"
            rows.append(
                f"    {{{cpp_string(option['key'])}, OptionKind::{option['kind']}, "
                f"{'true' if option['selectors'] else 'false'}, "
                f"{self.range_list(releases.ranges(option['exists'], where))}, "
                f"{self.range_list(releases.ranges(option['deprecated'], where))}, "
                f"{self.rule_list(rules)}, {note}}},")
        return [f"constexpr tool::ToolOption {name}[] = {{", *rows, "};", ""]

    def pools(self):
        """The range and type-rule pools, to be written before the rows that refer into them."""
        out = []
        if self.ranges_pool:
            out.append("constexpr tool::ReleaseRange RANGES[] = {")
            out += [f"    {{{a}, {b}}},  // {self.release_texts[a]} to {self.release_texts[b]}"
                    for a, b in self.ranges_pool]
            out += ["};", ""]
        if self.rules_pool:
            out.append("constexpr tool::TypeRule TYPE_RULES[] = {")
            out += [f"    {{{a}, {b}, &{t}}}," for a, b, t in self.rules_pool]
            out += ["};", ""]
        return out


def pairs_array(name, row_type, rows, render):
    """A constexpr array of pairs, or nothing for an empty list (its span is then {})."""
    if not rows:
        return []
    return [f"constexpr {row_type} {name}[] = {{", *[f"    {render(row)}," for row in rows],
            "};", ""]


def descriptor_lists(descriptor):
    """The arrays of required keys, renames and both consequence lists, and the span expressions
    that name them in a Tool."""
    lines = []
    if descriptor["required"]:
        lines.append("constexpr std::string_view REQUIRED[] = {"
                     + ", ".join(cpp_string(k) for k in descriptor["required"]) + "};")
        lines.append("")
    lines += pairs_array("RENAMES", "tool::Rename", descriptor["renames"],
                         lambda r: f"{{{cpp_string(r[0])}, {cpp_string(r[1])}}}")
    for name in ("unknown_key_consequences", "invalid_value_consequences"):
        lines += pairs_array(name.upper(), "tool::KeyConsequence", descriptor[name],
                             lambda r: f"{{{cpp_string(r[0])}, {r[1]}}}")
    spans = {
        "required": "REQUIRED",
        "renames": "RENAMES",
        "unknown_key_consequences": "UNKNOWN_KEY_CONSEQUENCES",
        "invalid_value_consequences": "INVALID_VALUE_CONSEQUENCES",
    }
    return lines, {field: (array if descriptor[field] else "{}")
                   for field, array in spans.items()}


def tool_definition(variable, fields, lists):
    """The constexpr definition of one tool::Tool; fields holds the descriptor's texts."""
    note = cpp_string(fields["note"]) if fields.get("note") is not None else "std::nullopt"
    return [
        f"constexpr tool::Tool {variable}{{",
        f"    .name = {cpp_string(fields['name'])},",
        f"    .table = {cpp_string(fields['table'])},",
        f"    .docs = {cpp_string(DOCS_HOST + fields['docs_path'])},",
        f"    .upgrade_hint = {cpp_string(fields['upgrade_hint'])},",
        f"    .unknown_version_hint = {cpp_string(fields['unknown_version_hint'])},",
        "    .releases = RELEASES,",
        "    .options = OPTIONS,",
        f"    .required = {lists['required']},",
        f"    .renames = {lists['renames']},",
        f"    .unknown_key_consequences = {lists['unknown_key_consequences']},",
        f"    .invalid_value_consequences = {lists['invalid_value_consequences']},",
        f"    .note = {note},",
        "};",
        "",
    ]


def check_hints(fields):
    if "{version}" not in fields["upgrade_hint"]:
        fail(f"{fields['name']}: the upgrade hint lacks {{version}}")
    if not fields["docs_path"].startswith("/") or not fields["docs_path"].endswith("/"):
        fail(f"{fields['name']}: the documentation path must start and end with /")


SOURCE_PRELUDE = [
    "namespace {",
    "",
    "using tool::OptionKind;",
    "using tool::ValueType;",
    "using Tag = tool::ValueType::Tag;",
    "",
]
