#!/usr/bin/env python3
"""Writes core/generated/char_width.hpp and .cpp: the code point ranges a terminal shows two
columns wide (East Asian Width W and F) and those it shows zero columns wide (nonspacing and
enclosing marks, format characters but the soft hyphen, Hangul medial vowels and final
consonants, the zero width space), read from the excerpt of the Unicode Character Database in
data/unicode.

Usage: gen_char_width.py [--check]
With --check, exits 1 when the committed files differ from what the data gives now.
"""
import sys

from generator_common import banner, emit
from ucd import DATA, code_points, range_table, version

FILES = ["DerivedGeneralCategory.txt", "EastAsianWidth.txt"]
SOFT_HYPHEN = 0x00AD
HANGUL_MEDIAL_AND_FINAL = set(range(0x1160, 0x1200))
ZERO_WIDTH_SPACE = 0x200B


def main():
    version(FILES)
    wide = code_points("EastAsianWidth.txt", {"W", "F"})
    zero = code_points("DerivedGeneralCategory.txt", {"Mn", "Me", "Cf"})
    zero = (zero | HANGUL_MEDIAL_AND_FINAL | {ZERO_WIDTH_SPACE}) - {SOFT_HYPHEN} - wide
    (wide_definition, wide_declaration) = range_table("WIDE", wide)
    (zero_definition, zero_declaration) = range_table("ZERO_WIDTH", zero)
    top = banner([DATA / name for name in FILES])
    header = (
        f'{top}\n#pragma once\n\n#include "generated/unicode.hpp"\n\n'
        "// The columns a terminal gives a character, as sorted, disjoint and non-adjacent ranges\n"
        "// of code points.\n"
        "namespace tarnvik::char_width {\n\n"
        "using unicode::Range;\n\n"
        "// East Asian Width W and F: two columns.\n"
        f"{wide_declaration}"
        "// No column: nonspacing and enclosing marks, format characters but the soft hyphen,\n"
        "// Hangul medial vowels and final consonants, the zero width space.\n"
        f"{zero_declaration}"
        "\n}  // namespace tarnvik::char_width\n")
    source = (
        f'{top}\n#include "generated/char_width.hpp"\n\n'
        "namespace tarnvik::char_width {\n\n"
        f"{wide_definition}\n{zero_definition}"
        "\n}  // namespace tarnvik::char_width\n")
    return emit("char_width", header, source)


if __name__ == "__main__":
    sys.exit(main())
