#!/usr/bin/env bash
# Whole-process cost of `tarnvik check`, measured against an empty C program (`int main(void)
# { return 0; }`, cc -O2) in the same hyperfine run, so that the ratios hold on a busy machine:
#   - a typical 40-line pyproject.toml without a lock file;
#   - the same beside a uv.lock of 1.6 MB;
# each as the median, over several rounds, of its median time divided by the empty program's.
# Then the peak resident memory of one check beside uv.lock files of 1, 4, 16 and 64 MB.
#
# Usage: bench/check_process.sh [path/to/tarnvik]   (default: build/release/cli/tarnvik, built
#        as ./scripts/run builds it when missing)
# Environment: ROUNDS (default 5) hyperfine runs of RUNS (default 300) runs of each command.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary="${1:-$root/build/release/cli/tarnvik}"
if [ ! -x "$binary" ]; then
  cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNVIK_TESTS=OFF >/dev/null
  cmake --build "$root/build/release" --target tarnvik >/dev/null
fi
binary="$(realpath "$binary")"
rounds=${ROUNDS:-5}
runs=${RUNS:-300}
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

printf 'int main(void) { return 0; }\n' >"$work/empty.c"
cc -O2 -o "$work/empty" "$work/empty.c"

mkdir -p "$work/plain" "$work/locked"
cat >"$work/plain/pyproject.toml" <<'TOML'
[build-system]
requires = ["hatchling>=1.27"]
build-backend = "hatchling.build"

[project]
name = "bench-project"
version = "1.4.2"
description = "A project file of typical size for timing the whole check"
readme = "README.md"
requires-python = ">=3.10"
license = "MIT"
authors = [{ name = "A. Developer", email = "dev@example.org" }]
classifiers = [
    "Programming Language :: Python :: 3",
    "Operating System :: OS Independent",
]
dependencies = [
    "httpx>=0.27",
    "pydantic>=2.7",
    "rich>=13",
]

[project.optional-dependencies]
cli = ["click>=8.1"]

[project.urls]
Homepage = "https://example.org/bench-project"

[dependency-groups]
dev = ["pytest>=8", "ruff>=0.9", "ty"]

[tool.ruff]
line-length = 100
target-version = "py310"

[tool.ruff.lint]
select = ["E", "F", "I", "UP", "B"]

[tool.uv]
required-version = ">=0.6"
TOML
cp "$work/plain/pyproject.toml" "$work/locked/"
python3 "$root/bench/lock_files.py" uv 1600k "$work/locked/uv.lock"
echo "pyproject.toml: $(wc -l <"$work/plain/pyproject.toml") lines; uv.lock: $(wc -c <"$work/locked/uv.lock") bytes"

commands=("$work/empty" "$binary check $work/plain/pyproject.toml"
          "$binary check $work/locked/pyproject.toml")
for command in "${commands[@]:1}"; do  # a clean file: "All checks passed!"
  $command >/dev/null || true  # findings are allowed; only the time matters
done
for round in $(seq "$rounds"); do
  hyperfine -N --style none --warmup 20 --runs "$runs" --ignore-failure \
    --export-json "$work/round-$round.json" "${commands[@]}" >/dev/null 2>&1
done

python3 - "$work" "$rounds" <<'PY'
import json, pathlib, statistics, sys

work, rounds = pathlib.Path(sys.argv[1]), int(sys.argv[2])
medians = [[r["median"] for r in json.loads((work / f"round-{i}.json").read_text())["results"]]
           for i in range(1, rounds + 1)]
floor = statistics.median(m[0] for m in medians)
print(f"empty program: {floor * 1e3:.3f} ms (median of {rounds} rounds)")
for label, column in (("check, no lock", 1), ("check beside a 1.6 MB uv.lock", 2)):
    ratios = sorted(m[column] / m[0] for m in medians)
    times = statistics.median(m[column] for m in medians)
    print(f"{label}: {statistics.median(ratios):.2f}x the empty program "
          f"({times * 1e3:.3f} ms; rounds {', '.join(f'{r:.2f}' for r in ratios)})")
PY

echo "peak memory of one check beside a uv.lock:"
for size in 1M 4M 16M 64M; do
  mkdir -p "$work/peak-$size"
  cp "$work/plain/pyproject.toml" "$work/peak-$size/"
  python3 "$root/bench/lock_files.py" uv "$size" "$work/peak-$size/uv.lock"
  peak=$(/usr/bin/time -f %M "$binary" check "$work/peak-$size/pyproject.toml" 2>&1 >/dev/null |
         tail -1) || true
  lock=$(wc -c <"$work/peak-$size/uv.lock")
  awk -v peak="$peak" -v lock="$lock" 'BEGIN {
    printf "  %5.1f MiB lock: %6.1f MiB (%.2fx the lock)\n", lock / 2^20, peak / 2^10, peak * 1024 / lock }'
done
