#!/usr/bin/env python3
"""Writes core/generated/trove.hpp and .cpp: the known and the deprecated trove classifiers of
one trove-classifiers release, read from data/trove.

Usage: gen_trove.py [--check]
With --check, exits 1 when the committed files differ from what the data gives now.
"""
import sys

from generator_common import (ROOT, banner, cpp_string, emit, fail, provenance_value, read_data,
                              read_tsv, require_sorted)

DATA = ROOT / "data" / "trove"
RELEASE = r"source: pypa/trove-classifiers at tag (\S+) .*"


def main():
    known_provenance, known = read_data(DATA / "classifiers.txt")
    deprecated_provenance, deprecated = read_tsv(DATA / "deprecated.tsv")
    _, supplement = read_data(DATA / "supplement.txt")
    release = provenance_value(known_provenance, RELEASE, DATA / "classifiers.txt")
    if provenance_value(deprecated_provenance, RELEASE, DATA / "deprecated.tsv") != release:
        fail("classifiers.txt and deprecated.tsv come from different trove-classifiers releases")
    require_sorted(known, "classifiers.txt")
    require_sorted([row[0] for row in deprecated], "deprecated.tsv")
    known_set = set(known)
    # The similarity search of unknown classifiers counts on ASCII rows.
    for text in known + [text for row in deprecated for text in row]:
        if not text.isascii():
            fail(f"{text!r} is not ASCII")
    for text in supplement:
        if text not in known_set:
            fail(f"supplement row {text!r} is missing from classifiers.txt")
    for row in deprecated:
        if row[0] in known_set:
            fail(f"{row[0]!r} is both known and deprecated")
        for replacement in row[1:]:
            if replacement not in known_set:
                fail(f"replacement {replacement!r} is not a known classifier")
    if any(text.startswith("Private ::") for text in known):
        fail("no known classifier may start with `Private ::`")

    replacements = [text for row in deprecated for text in row[1:]]
    top = banner([DATA / "classifiers.txt", DATA / "deprecated.tsv", DATA / "supplement.txt"])
    header = f"""{top}
#pragma once

#include <cstdint>
#include <string_view>

// The known and the deprecated classifiers of one trove-classifiers release.
namespace tarnvik::trove {{

// The trove-classifiers release that the tables reproduce.
inline constexpr std::string_view VERSION = {cpp_string(release)};

// A deprecated classifier and its replacements, a run of REPLACEMENTS.
struct DeprecatedRow {{
    std::string_view classifier;
    std::uint16_t first_replacement;
    std::uint16_t replacement_count;
}};

extern const std::string_view CLASSIFIERS[{len(known)}];  // sorted by bytes, no duplicates
extern const DeprecatedRow DEPRECATED[{len(deprecated)}];  // sorted by bytes
extern const std::string_view REPLACEMENTS[{len(replacements)}];  // each a row of CLASSIFIERS

}}  // namespace tarnvik::trove
"""
    out = [top, '#include "generated/trove.hpp"', "", "namespace tarnvik::trove {", "",
           f"constexpr std::string_view CLASSIFIERS[{len(known)}] = {{"]
    out += [f"    {cpp_string(text)}," for text in known]
    out += ["};", "", f"constexpr DeprecatedRow DEPRECATED[{len(deprecated)}] = {{"]
    first = 0
    for row in deprecated:
        out.append(f"    {{{cpp_string(row[0])}, {first}, {len(row) - 1}}},")
        first += len(row) - 1
    out += ["};", "", f"constexpr std::string_view REPLACEMENTS[{len(replacements)}] = {{"]
    out += [f"    {cpp_string(text)}," for text in replacements]
    out += ["};", "", "}  // namespace tarnvik::trove", ""]
    return emit("trove", header, "\n".join(out))


if __name__ == "__main__":
    sys.exit(main())
