#!/usr/bin/env python3
"""Writes lock files in the layout uv writes them, for timing and as test seeds.

    bench/lock_files.py uv SIZE OUT        a uv.lock of about SIZE bytes (suffixes k and M)
    bench/lock_files.py pylock SIZE OUT    a pylock.toml of about SIZE bytes

The packages look like a real resolution: most are pure Python with one wheel, some carry
binary wheels for every platform and interpreter, some depend on markers, and one resolution
forks, so that a name is locked at two versions. The workspace's own project comes first,
editable, with its metadata tables. Ruff and ty are among the packages, as the checks look
them up. The output depends only on the arguments.
"""
import hashlib
import random
import sys

WORDS = ["http", "json", "async", "test", "py", "data", "cli", "web", "auth", "cache", "log",
         "type", "path", "yaml", "toml", "sql", "net", "io", "time", "text", "graph", "plot",
         "crypto", "image", "mark", "doc", "lint", "fast", "micro", "flask", "click", "rich"]
SUFFIXES = ["", "", "", "lib", "utils", "core", "tools", "x", "io", "kit", "py"]
BINARY_TAGS = [f"{py}-{py}-{platform}" for py in ("cp310", "cp311", "cp312", "cp313")
               for platform in ("macosx_10_13_x86_64", "macosx_11_0_arm64",
                                "manylinux_2_17_aarch64.manylinux2014_aarch64",
                                "manylinux_2_17_x86_64.manylinux2014_x86_64",
                                "musllinux_1_2_x86_64", "win32", "win_amd64")]
MARKERS = ["python_full_version < '3.11'", "sys_platform == 'win32'",
           "platform_python_implementation != 'PyPy'", "python_full_version >= '3.12'",
           "sys_platform == 'darwin' and platform_machine == 'arm64'"]


def size_of(text):
    scale = {"k": 1000, "K": 1024, "M": 1024 * 1024}
    return int(text[:-1]) * scale[text[-1]] if text[-1] in scale else int(text)


def digest(*parts):
    return hashlib.sha256("/".join(map(str, parts)).encode()).hexdigest()


def file_url(name, version, tail):
    h = digest(name, version, tail)
    return f"https://files.pythonhosted.org/packages/{h[:2]}/{h[2:4]}/{h[4:64]}/{tail}"


def upload_time(rng):
    return (f"{rng.randint(2019, 2025)}-{rng.randint(1, 12):02d}-{rng.randint(1, 28):02d}"
            f"T{rng.randint(0, 23):02d}:{rng.randint(0, 59):02d}:{rng.randint(0, 59):02d}"
            f".{rng.randint(0, 999):03d}Z")


class Package:
    def __init__(self, rng, name, version, binary, dependencies):
        self.name, self.version, self.binary = name, version, binary
        self.dependencies = dependencies
        self.forked = False
        self.wheel_tags = rng.sample(BINARY_TAGS, rng.randint(12, len(BINARY_TAGS))) \
            if binary else ["py3-none-any"]
        self.times = [upload_time(rng) for _ in range(len(self.wheel_tags) + 1)]
        self.sizes = [rng.randint(5_000, 9_000_000) for _ in range(len(self.wheel_tags) + 1)]
        self.extras = {"speedups": [rng.choice(dependencies)[0]]} \
            if dependencies and rng.random() < 0.15 else {}


def packages_for(size, rng):
    """Packages whose entries add up to about `size` bytes (estimated as they are made)."""
    names, packages, total = set(), [], 600
    while total < size:
        name = rng.choice(WORDS) + "-" + rng.choice(WORDS) + rng.choice(SUFFIXES)
        if rng.random() < 0.3:
            name = rng.choice(WORDS) + rng.choice(SUFFIXES)
        if name in names:
            name += str(len(names))
        names.add(name)
        version = f"{rng.randint(0, 30)}.{rng.randint(0, 20)}.{rng.randint(0, 9)}"
        binary = rng.random() < 0.2
        earlier = [p.name for p in packages]
        dependencies = [(d, rng.choice(MARKERS) if rng.random() < 0.2 else None)
                        for d in sorted(set(rng.sample(earlier, min(len(earlier),
                                                                    rng.randint(0, 5)))))]
        package = Package(rng, name, version, binary, dependencies)
        packages.append(package)
        total += 700 + 330 * len(package.wheel_tags) + 60 * len(dependencies)
    for tool, version in (("ruff", "0.9.4"), ("ty", "0.0.1a14")):
        packages.append(Package(rng, tool, version, True, []))
    # A forked resolution: one name at two versions.
    fork = packages[len(packages) // 2]
    fork.forked = True
    packages.append(Package(rng, fork.name, fork.version + ".post1", fork.binary, []))
    packages[-1].forked = True
    return packages


def inline(pairs):
    return "{ " + ", ".join(f"{key} = {value}" for key, value in pairs) + " }"


def project_entry(packages):
    """The workspace's own project: editable, with its extras, groups and metadata."""
    direct = sorted({p.name for p in packages[:: max(1, len(packages) // 12)]})
    out = ["[[package]]", 'name = "bench-project"', 'version = "1.4.2"',
           'source = { editable = "." }', "dependencies = ["]
    out += [f'    {{ name = "{d}" }},' for d in direct]
    out += ['    { name = "tool-lib" },', "]", "", "[package.optional-dependencies]", "cli = [",
            '    { name = "rich" },', "]", "", "[package.dev-dependencies]", "dev = [",
            '    { name = "ruff" },', '    { name = "ty" },', "]", "", "[package.metadata]",
            "requires-dist = ["]
    out += [f'    {{ name = "{d}", specifier = ">=1" }},' for d in direct]
    out += ['    { name = "rich", marker = "extra == \'cli\'", specifier = ">=13" },',
            '    { name = "tool-lib", virtual = "packages/tool-lib" },', "]",
            'provides-extras = ["cli"]', "", "[package.metadata.requires-dev]", "dev = [",
            '    { name = "ruff", specifier = ">=0.9" },', '    { name = "ty" },', "]", ""]
    return out


def registry_entry(p):
    out = ["[[package]]", f'name = "{p.name}"', f'version = "{p.version}"',
           'source = { registry = "https://pypi.org/simple" }']
    if p.forked:
        out += ["resolution-markers = [", "    \"python_full_version >= '3.12'\",", "]"]
    if p.dependencies:
        out.append("dependencies = [")
        for name, marker in p.dependencies:
            pairs = [("name", f'"{name}"')] + ([("marker", f'"{marker}"')] if marker else [])
            out.append(f"    {inline(pairs)},")
        out.append("]")
    stem = p.name.replace("-", "_")
    sdist = f"{stem}-{p.version}.tar.gz"
    out.append("sdist = " + inline([("url", f'"{file_url(p.name, p.version, sdist)}"'),
                                    ("hash", f'"sha256:{digest(sdist)}"'),
                                    ("size", p.sizes[0]),
                                    ("upload-time", f'"{p.times[0]}"')]))
    out.append("wheels = [")
    for i, tag in enumerate(p.wheel_tags):
        wheel = f"{stem}-{p.version}-{tag}.whl"
        out.append("    " + inline([("url", f'"{file_url(p.name, p.version, wheel)}"'),
                                    ("hash", f'"sha256:{digest(wheel)}"'),
                                    ("size", p.sizes[i + 1]),
                                    ("upload-time", f'"{p.times[i + 1]}"')]) + ",")
    out.append("]")
    for extra, names in p.extras.items():
        out += ["", "[package.optional-dependencies]", f"{extra} = ["]
        out += [f'    {{ name = "{n}" }},' for n in names]
        out.append("]")
    return out + [""]


def uv_lock(size, seed=1):
    rng = random.Random(seed)
    packages = packages_for(size, rng)
    entries = [(p.name, p.version, registry_entry(p)) for p in packages]
    entries.append(("bench-project", "", project_entry(packages)))
    # A workspace member, and a package taken from a Git repository.
    entries.append(("tool-lib", "", [
        "[[package]]", 'name = "tool-lib"', 'version = "0.3.0"',
        'source = { virtual = "packages/tool-lib" }', ""]))
    git = digest("git")[:40]
    entries.append(("vendored-plugin", "", [
        "[[package]]", 'name = "vendored-plugin"', 'version = "2.1.0.dev0"',
        f'source = {{ git = "https://git.example.org/org/vendored-plugin?rev=main#{git}" }}',
        "dependencies = [", '    { name = "bench-project" },', "]", ""]))
    entries.sort(key=lambda e: (e[0], e[1]))
    out = ["version = 1", "revision = 3", 'requires-python = ">=3.10"', "resolution-markers = [",
           "    \"python_full_version >= '3.12'\",", "    \"python_full_version < '3.12'\",", "]",
           "", "[options]", 'exclude-newer = "2025-06-01T00:00:00Z"', "", "[manifest]",
           'members = [', '    "bench-project",', '    "tool-lib",', "]", ""]
    for _, _, lines in entries:
        out += lines
    return "\n".join(out)


def pylock(size, seed=1):
    rng = random.Random(seed)
    out = ['lock-version = "1.0"', 'environments = ["sys_platform == \'linux\'"]',
           'requires-python = ">=3.10"', 'created-by = "uv"', ""]
    for p in sorted(packages_for(size, rng), key=lambda p: (p.name, p.version)):
        stem = p.name.replace("-", "_")
        out += ["[[packages]]", f'name = "{p.name}"', f'version = "{p.version}"',
                'index = "https://pypi.org/simple"']
        sdist = f"{stem}-{p.version}.tar.gz"
        out.append("sdist = " + inline([("url", f'"{file_url(p.name, p.version, sdist)}"'),
                                        ("upload-time", p.times[0].replace(".", "").rstrip("Z")
                                         [:19] + "Z"),
                                        ("size", p.sizes[0]),
                                        ("hashes", inline([("sha256", f'"{digest(sdist)}"')]))]))
        out.append("wheels = [")
        for i, tag in enumerate(p.wheel_tags):
            wheel = f"{stem}-{p.version}-{tag}.whl"
            out.append("    " + inline([("url", f'"{file_url(p.name, p.version, wheel)}"'),
                                        ("upload-time", p.times[i + 1][:19] + "Z"),
                                        ("size", p.sizes[i + 1]),
                                        ("hashes", inline([("sha256", f'"{digest(wheel)}"')]))])
                       + ",")
        out += ["]", ""]
    return "\n".join(out)


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("uv", "pylock"):
        sys.exit(__doc__)
    write = uv_lock if sys.argv[1] == "uv" else pylock
    target = size_of(sys.argv[2])
    # The packages are made from an estimate of their size; a second round corrects it.
    text = write(target)
    text = write(target * target // max(1, len(text)))
    with open(sys.argv[3], "w", encoding="utf-8", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    main()
