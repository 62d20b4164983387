#!/usr/bin/env python3
"""Writes core/generated/spdx.hpp and .cpp: the SPDX license and exception identifiers and the
imprecise license names of canonicalization, read from data/spdx.

Usage: gen_spdx.py [--check]
With --check, exits 1 when the committed files differ from what the data gives now.
"""
import sys

from generator_common import (ROOT, banner, cpp_string, emit, fail, provenance_value, read_tsv,
                              require_sorted)

DATA = ROOT / "data" / "spdx"
LIST_RELEASE = r"source: SPDX License List (\S+), .*"


def main():
    license_provenance, licenses = read_tsv(DATA / "licenses.tsv")
    exception_provenance, exceptions = read_tsv(DATA / "exceptions.tsv")
    _, imprecise = read_tsv(DATA / "imprecise-names.tsv")
    release = provenance_value(license_provenance, LIST_RELEASE, DATA / "licenses.tsv")
    if provenance_value(exception_provenance, LIST_RELEASE, DATA / "exceptions.tsv") != release:
        fail("licenses.tsv and exceptions.tsv come from different SPDX License List releases")
    require_sorted([r[0] for r in licenses], "licenses.tsv")
    require_sorted([r[0] for r in exceptions], "exceptions.tsv")
    index = {r[0]: i for i, r in enumerate(licenses)}
    for name, license_id in imprecise:
        if license_id not in index:
            fail(f"imprecise name {name!r} stands for the unknown id {license_id!r}")

    top = banner([DATA / "licenses.tsv", DATA / "exceptions.tsv", DATA / "imprecise-names.tsv"])
    header = f"""{top}
#pragma once

#include <cstdint>
#include <string_view>

// The SPDX license and exception identifiers.
namespace tarnvik::spdx {{

// The SPDX License List release that the tables reproduce.
inline constexpr std::string_view LICENSE_LIST_VERSION = {cpp_string(release)};

struct License {{
    std::string_view id;
    bool gnu;  // a GNU license: `+` means "or later"
}};

// A lenient name that canonicalization reads as a license id.
struct ImpreciseName {{
    std::string_view name;
    std::uint16_t license;  // index into LICENSES
}};

extern const License LICENSES[{len(licenses)}];  // sorted by bytes
extern const std::string_view EXCEPTIONS[{len(exceptions)}];  // sorted by bytes
extern const ImpreciseName IMPRECISE_NAMES[{len(imprecise)}];  // in matching order

}}  // namespace tarnvik::spdx
"""
    out = [top, '#include "generated/spdx.hpp"', "", "namespace tarnvik::spdx {", "",
           f"constexpr License LICENSES[{len(licenses)}] = {{"]
    out += [f"    {{{cpp_string(r[0])}, {'true' if r[2] == '1' else 'false'}}}," for r in licenses]
    out += ["};", "", f"constexpr std::string_view EXCEPTIONS[{len(exceptions)}] = {{"]
    out += [f"    {cpp_string(r[0])}," for r in exceptions]
    out += ["};", "", "// In matching order: the first name that matches wins.",
            f"constexpr ImpreciseName IMPRECISE_NAMES[{len(imprecise)}] = {{"]
    out += [f"    {{{cpp_string(n)}, {index[i]}}},  // {i}" for n, i in imprecise]
    out += ["};", "", "}  // namespace tarnvik::spdx", ""]
    return emit("spdx", header, "\n".join(out))


if __name__ == "__main__":
    sys.exit(main())
