#!/usr/bin/env python3
"""Writes core/generated/unicode_tables.cpp: the code point ranges of the Alphabetic property
and of the numeric general categories (Nd, Nl, No), read from the Unicode Character Database.

Usage: gen_unicode.py [--check]
With --check, exits 1 when the committed output differs from what the database gives now.
"""
import sys

from generator_common import (ROOT, category_code_points, property_code_points, range_tables_file,
                              run)

OUTPUT = ROOT / "core" / "generated" / "unicode_tables.cpp"
NUMERIC_CATEGORIES = {"Nd", "Nl", "No"}


def render():
    alphabetic = property_code_points("DerivedCoreProperties.txt", lambda p: p == "Alphabetic")
    numeric = category_code_points(NUMERIC_CATEGORIES)
    return range_tables_file("gen_unicode.py", [("ALPHABETIC", alphabetic), ("NUMERIC", numeric)])


if __name__ == "__main__":
    sys.exit(run(OUTPUT, render, needs_ucd=True))
