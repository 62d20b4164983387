#!/usr/bin/env bash
# Whole-process timing of `tarnvik check` on a 5 KB pyproject.toml beside a 1 MB uv.lock: the
# median wall time over repeated runs (hyperfine) and the peak resident memory of one run.
# Usage: bench/check_process.sh [path/to/tarnvik]   (default: build/release/cli/tarnvik)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary="${1:-$root/build/release/cli/tarnvik}"
if [ ! -x "$binary" ]; then
  cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNVIK_TESTS=OFF >/dev/null
  cmake --build "$root/build/release" --target tarnvik >/dev/null
fi
binary="$(realpath "$binary")"  # the runs below happen in another directory
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import hashlib, pathlib, sys

work = pathlib.Path(sys.argv[1])
deps = [f"package-{i:03d}>={i % 7}.{i % 11}" for i in range(60)]
pyproject = [
    "[build-system]",
    'requires = ["hatchling>=1.26"]',
    'build-backend = "hatchling.build"',
    "",
    "[project]",
    'name = "bench-project"',
    'version = "1.4.2"',
    'description = "A project file of typical size for timing the whole check"',
    'readme = "README.md"',
    'requires-python = ">=3.10"',
    'license = "MIT"',
    'authors = [{ name = "A. Developer", email = "dev@example.org" }]',
    'classifiers = [',
    '    "Programming Language :: Python :: 3",',
    '    "Programming Language :: Python :: 3.12",',
    '    "Operating System :: OS Independent",',
    "]",
    "dependencies = [",
    *[f'    "{d}",' for d in deps],
    "]",
    "",
    "[project.optional-dependencies]",
    'cli = ["click>=8.1", "rich>=13"]',
    "",
    "[project.urls]",
    'Homepage = "https://example.org/bench-project"',
    "",
    "[dependency-groups]",
    'dev = ["pytest>=8", "ruff>=0.6.0", "ty>=0.0.1a1"]',
    'docs = ["mkdocs>=1.6"]',
    "",
    "[tool.ruff]",
    "line-length = 100",
    'target-version = "py310"',
    "",
    "[tool.ruff.lint]",
    'select = ["E", "F", "I", "UP", "B"]',
    'ignore = ["E501"]',
    "",
    "[tool.uv]",
    'required-version = ">=0.5"',
    "",
]
text = "\n".join(pyproject)
text += "\n" + "".join(f"# padding line {i:03d} to reach a typical size of about five kilobytes\n"
                       for i in range(max(0, (5120 - len(text)) // 70)))
(work / "pyproject.toml").write_text(text)

lock = ['version = 1', 'requires-python = ">=3.10"', "",
        "[[package]]", 'name = "bench-project"', 'version = "1.4.2"',
        'source = { editable = "." }', ""]
i = 0
while sum(len(line) + 1 for line in lock) < 1_000_000:
    name = f"package-{i:04d}"
    digest = hashlib.sha256(name.encode()).hexdigest()
    lock += [
        "[[package]]",
        f'name = "{name}"',
        f'version = "{i % 9}.{i % 13}.{i % 5}"',
        'source = { registry = "https://pypi.org/simple" }',
        f'dependencies = [{{ name = "package-{(i + 1):04d}" }}]',
        f'sdist = {{ url = "https://files.example.org/{name}.tar.gz", hash = "sha256:{digest}", size = {1000 + i} }}',
        "wheels = [",
        f'    {{ url = "https://files.example.org/{name}-py3-none-any.whl", hash = "sha256:{digest}", size = {900 + i} }},',
        "]",
        "",
    ]
    i += 1
(work / "uv.lock").write_text("\n".join(lock))
PY

echo "pyproject.toml: $(wc -c <"$work/pyproject.toml") bytes; uv.lock: $(wc -c <"$work/uv.lock") bytes"
cd "$work"
"$binary" check >/dev/null || true  # findings are expected; only the time matters
hyperfine --warmup 5 --runs 100 -N --ignore-failure --export-json "$work/times.json" "$binary check"
python3 - "$work/times.json" <<'PY'
import json, sys
result = json.load(open(sys.argv[1]))["results"][0]
print(f"median wall time: {result['median'] * 1000:.2f} ms")
PY
/usr/bin/time -v "$binary" check 2>"$work/time.txt" >/dev/null || true
grep -E "Maximum resident set size" "$work/time.txt" |
  awk '{ printf "peak memory: %.1f MB\n", $NF / 1024 }'
