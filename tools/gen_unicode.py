#!/usr/bin/env python3
"""Writes core/generated/unicode.hpp and .cpp: the code point ranges of the Alphabetic,
White_Space and Pattern_White_Space properties and of the numeric general categories (Nd, Nl,
No), read from the excerpt of the Unicode Character Database in data/unicode.

Usage: gen_unicode.py [--check]
With --check, exits 1 when the committed files differ from what the data gives now.
"""
import sys

from generator_common import banner, emit
from ucd import DATA, code_points, range_table, version

FILES = ["DerivedCoreProperties.txt", "DerivedGeneralCategory.txt", "PropList.txt"]


def main():
    tables = [
        ("ALPHABETIC", "", code_points("DerivedCoreProperties.txt", {"Alphabetic"})),
        ("NUMERIC", "// General categories Nd, Nl and No.\n",
         code_points("DerivedGeneralCategory.txt", {"Nd", "Nl", "No"})),
        ("WHITE_SPACE", "", code_points("PropList.txt", {"White_Space"})),
        ("PATTERN_WHITE_SPACE", "", code_points("PropList.txt", {"Pattern_White_Space"})),
    ]
    top = banner([DATA / name for name in FILES])
    definitions = [range_table(name, points) for name, _, points in tables]
    header = (
        f"{top}\n#pragma once\n\n#include <string_view>\n\n"
        "// Character properties of the Unicode Character Database, each as sorted, disjoint and\n"
        "// non-adjacent ranges of code points.\n"
        "namespace tarnvik::unicode {\n\n"
        "// The release of the Unicode Character Database that the tables reproduce.\n"
        f'inline constexpr std::string_view UCD_VERSION = "{version(FILES)}";\n\n'
        "// An inclusive range of code points.\n"
        "struct Range {\n    char32_t first;\n    char32_t last;\n};\n\n"
        + "".join(comment + declaration
                  for (_, comment, _), (_, declaration) in zip(tables, definitions))
        + "\n}  // namespace tarnvik::unicode\n")
    source = (
        f'{top}\n#include "generated/unicode.hpp"\n\n'
        "namespace tarnvik::unicode {\n\n"
        + "\n".join(definition for definition, _ in definitions)
        + "\n}  // namespace tarnvik::unicode\n")
    return emit("unicode", header, source)


if __name__ == "__main__":
    sys.exit(main())
