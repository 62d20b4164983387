#!/usr/bin/env python3
"""The excerpt of the Unicode Character Database kept in data/unicode: making it from a full
database, reading code point sets from it, and writing them as C++ range tables.

Usage: ucd.py UCD_DIR
Rewrites the excerpt from a full database (Debian's unicode-data installs one in
/usr/share/unicode); then run tools/gen_unicode.py and tools/gen_char_width.py.
"""
import pathlib
import re
import sys

from generator_common import ROOT, fail, read_data, require_inputs

DATA = ROOT / "data" / "unicode"

# The files of the excerpt, where each lies in a full database, and the property values whose
# rows it keeps.
EXCERPT = {
    "DerivedCoreProperties.txt": ("DerivedCoreProperties.txt", {"Alphabetic"}),
    "DerivedGeneralCategory.txt": ("extracted/DerivedGeneralCategory.txt",
                                   {"Cf", "Me", "Mn", "Nd", "Nl", "No"}),
    "EastAsianWidth.txt": ("EastAsianWidth.txt", {"F", "W"}),
    "PropList.txt": ("PropList.txt", {"Pattern_White_Space", "White_Space"}),
}


def fields(line):
    """The semicolon-separated fields of a data line, its trailing comment dropped."""
    return [field.strip() for field in line.split("#", 1)[0].split(";")]


def code_points(name, values):
    """The code points of the rows of an excerpt file whose property value is one of values."""
    kept = EXCERPT[name][1]
    if not values <= kept:
        fail(f"data/unicode/{name} keeps no rows for {', '.join(sorted(values - kept))}")
    points = set()
    for line in read_data(DATA / name)[1]:
        code_range, value = fields(line)[:2]
        if value in values:
            first, _, last = code_range.partition("..")
            points.update(range(int(first, 16), int(last or first, 16) + 1))
    if not points:
        fail(f"data/unicode/{name} has no rows for {', '.join(sorted(values))}")
    return points


def version(names):
    """The Unicode version of the excerpt files, which must all name the same one in their
    first header line ("# PropList-15.0.0.txt")."""
    found = set()
    for name in names:
        provenance = read_data(DATA / name)[0]
        match = re.fullmatch(r"\S+-(\d+\.\d+\.\d+)\.txt", provenance[0] if provenance else "")
        if not match:
            fail(f"data/unicode/{name} does not start with the header naming its version")
        found.add(match.group(1))
    if len(found) != 1:
        fail(f"data/unicode holds files of several versions: {', '.join(sorted(found))}")
    return found.pop()


def ranges(points):
    """The code points as sorted, disjoint, non-adjacent inclusive [first, last] ranges."""
    result = []
    for point in sorted(points):
        if result and result[-1][1] == point - 1:
            result[-1][1] = point
        else:
            result.append([point, point])
    return result


def range_table(name, points):
    """The definition of a C++ array of Range rows covering the code points, and its
    declaration for the header."""
    rows = ranges(points)
    body = "".join(f"    {{0x{a:04X}, 0x{b:04X}}},\n" for a, b in rows)
    return (f"constexpr Range {name}[{len(rows)}] = {{\n{body}}};\n",
            f"extern const Range {name}[{len(rows)}];\n")


def write_excerpt(source):
    """Rewrites data/unicode from the full database in the directory source."""
    paths = {name: pathlib.Path(source) / where for name, (where, _) in EXCERPT.items()}
    require_inputs(*paths.values())
    for name, (_, values) in EXCERPT.items():
        lines = paths[name].read_text(encoding="utf-8").splitlines()
        header = []
        for line in lines:
            if not line.startswith("#"):
                break
            header.append(line)
        rows = [line for line in lines
                if line and not line.startswith("#") and fields(line)[1] in values]
        note = (f"# Excerpt: only the rows of {', '.join(sorted(values))}, "
                "as tools/ucd.py keeps them.")
        (DATA / name).write_text("\n".join(header + ["#", note, ""] + rows) + "\n",
                                 encoding="utf-8")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    write_excerpt(sys.argv[1])
