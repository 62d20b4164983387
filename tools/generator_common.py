"""What the table generators in tools/ share: writing or checking the generated file, checking
and quoting table rows, and reading code point sets from the Unicode Character Database.
"""
import os
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
UCD = pathlib.Path("/usr/share/unicode")


def run(output, render, *, needs_ucd=False):
    """Writes render() to output, or with --check exits 1 when the committed output differs."""
    check = "--check" in sys.argv[1:]
    generator = f"tools/{os.path.basename(sys.argv[0])}"
    if needs_ucd and not UCD.is_dir():
        if check:
            print(f"{UCD} is absent (Debian package unicode-data); skipping the check")
            return 0
        print(f"{UCD} is absent; install the Debian package unicode-data", file=sys.stderr)
        return 1
    text = render()
    if check:
        if not output.exists() or output.read_text(encoding="utf-8") != text:
            print(f"{output.relative_to(ROOT)} is stale: run {generator}", file=sys.stderr)
            return 1
        return 0
    output.write_text(text, encoding="utf-8")
    return 0


def require_sorted(texts, what):
    """Stops the generator unless the texts are unique and sorted by bytes (tables are searched
    with std::lower_bound)."""
    encoded = [t.encode() for t in texts]
    if encoded != sorted(set(encoded)):
        sys.exit(f"{what}: rows must be unique and sorted by bytes")


def quote(text):
    """The text as a C++ string literal; rows needing escapes are refused rather than escaped."""
    if any(c in text for c in '"\\\t') or not text.isascii():
        sys.exit(f"unexpected character in {text!r}")
    return f'"{text}"'


def ucd_rows(name):
    """The semicolon-separated fields of each data line of a UCD file, comments dropped."""
    with open(UCD / name, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                yield [field.strip() for field in line.split(";")]


def ucd_version():
    """The Unicode version the database describes, as its ReadMe.txt names it."""
    with open(UCD / "ReadMe.txt", encoding="utf-8") as f:
        for line in f:
            if "Version" in line:
                return line.split("Version", 1)[1].split()[0]
    return "unknown"


def property_code_points(name, accepts):
    """The code points of the rows of a "range ; value" UCD file whose value accepts() takes."""
    points = set()
    for fields in ucd_rows(name):
        if accepts(fields[1]):
            first, _, last = fields[0].partition("..")
            points.update(range(int(first, 16), int(last or first, 16) + 1))
    return points


def category_code_points(categories):
    """The code points whose general category in UnicodeData.txt is one of categories."""
    # Large blocks are given as a "<..., First>" row followed by a "<..., Last>" row.
    points = set()
    range_start = None
    for fields in ucd_rows("UnicodeData.txt"):
        code, name, category = int(fields[0], 16), fields[1], fields[2]
        if name.endswith(", First>"):
            range_start = code
            continue
        first = range_start if name.endswith(", Last>") else code
        range_start = None
        if category in categories:
            points.update(range(first, code + 1))
    return points


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
    """A C++ array of Range rows covering the code points."""
    rows = "".join(f"    {{0x{a:04X}, 0x{b:04X}}},\n" for a, b in ranges(points))
    return f"constexpr Range {name}[] = {{\n{rows}}};\n"
