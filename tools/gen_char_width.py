#!/usr/bin/env python3
"""Writes core/generated/char_width_tables.cpp: the code point ranges a terminal shows two
columns wide (East Asian Width W and F) and those it shows zero columns wide (nonspacing and
enclosing marks, format characters but the soft hyphen, Hangul medial vowels and final
consonants, the zero width space), read from the Unicode Character Database.

Usage: gen_char_width.py [--check]
With --check, exits 1 when the committed output differs from what the database gives now.
"""
import sys

from generator_common import (ROOT, category_code_points, property_code_points, range_tables_file,
                              run)

OUTPUT = ROOT / "core" / "generated" / "char_width_tables.cpp"
ZERO_WIDTH_CATEGORIES = {"Mn", "Me", "Cf"}
SOFT_HYPHEN = 0x00AD
EXTRA_ZERO_WIDTH = set(range(0x1160, 0x1200)) | {0x200B}


def render():
    wide = property_code_points("EastAsianWidth.txt", lambda width: width in ("W", "F"))
    zero = category_code_points(ZERO_WIDTH_CATEGORIES) | EXTRA_ZERO_WIDTH
    zero = zero - {SOFT_HYPHEN} - wide
    return range_tables_file("gen_char_width.py", [("WIDE", wide), ("ZERO_WIDTH", zero)])


if __name__ == "__main__":
    sys.exit(run(OUTPUT, render, needs_ucd=True))
