#!/usr/bin/env python3
"""Runs the built tarnvik on one end-to-end case folder and compares what it did.

Usage: run_case.py TARNVIK CASE_DIR
With TARNVIK_E2E_UPDATE=1 in the environment, writes the expected files from this run instead.
The folder format is described in README.md beside this script.
"""
import os
import pathlib
import pty
import resource
import select
import shutil
import subprocess
import sys
import tempfile
import termios
import time

CONTROL_FILES = {"args", "cwd", "env", "readonly", "rootowned", "hardlinks", "fifos", "grow",
                 "file_size_limit", "memory_limit", "stdin", "stdout", "expected.out",
                 "expected.err", "expected.status", "expected.toml"}
# The limits a case may put on the program's process, in bytes.
LIMITS = {"file_size_limit": resource.RLIMIT_FSIZE, "memory_limit": resource.RLIMIT_AS}
# Variables that would change colour or behaviour between machines.
SCRUBBED_ENV = ("NO_COLOR", "CLICOLOR", "CLICOLOR_FORCE", "TERM", "CI")
NOBODY = 65534
# A program that blocks (on a named pipe, say) fails its case instead of holding up the tests.
TIMEOUT_SECONDS = 120


def read_lines(path):
    if not path.exists():
        return []
    return [line for line in path.read_text(encoding="utf-8").split("\n") if line != ""]


def copy_tree(case, root):
    for item in case.iterdir():
        if item.name in CONTROL_FILES:
            continue
        target = root / item.name
        if item.is_dir() and not item.is_symlink():
            shutil.copytree(item, target, symlinks=True)
        else:
            shutil.copy2(item, target, follow_symlinks=False)


def snapshot(root):
    files = {}
    for path in sorted(root.rglob("*")):
        if path.is_file() and not path.is_symlink():
            files[str(path.relative_to(root))] = path.read_bytes()
        else:
            files[str(path.relative_to(root))] = None
    return files


def environment(case):
    env = {k: v for k, v in os.environ.items() if k not in SCRUBBED_ENV}
    for line in read_lines(case / "env"):
        key, _, value = line.partition("=")
        env[key] = value
    return env


def make_hard_links(case, root):
    """Each line of `hardlinks`, `NAME TARGET`, makes NAME a second link to the file TARGET."""
    links = [line.split(" ", 1) for line in read_lines(case / "hardlinks")]
    for name, target in links:
        os.link(root / target, root / name)
    return links


def make_fifos(case, root):
    """Each line of `fifos` is a named pipe made in the tree before the run (git keeps none)."""
    for name in read_lines(case / "fifos"):
        os.mkfifo(root / name)


def grow_files(case, root):
    """Each line of `grow`, `FILE LINE BYTES`, repeats line LINE (from 1) of FILE in place until
    the file holds at least BYTES bytes: a large input is made for the run, not kept in git."""
    for entry in read_lines(case / "grow"):
        name, line, size = entry.rsplit(" ", 2)
        path = root / name
        lines = path.read_bytes().splitlines(keepends=True)
        index = int(line) - 1
        missing = max(0, int(size) - sum(map(len, lines)))
        lines[index] *= 1 + -(-missing // len(lines[index]))
        path.write_bytes(b"".join(lines))


def set_permissions(case, root):
    """Files and directories listed in `readonly` lose their write bits, and files listed in
    `rootowned` are made writable by anyone; as root, the run drops to an unprivileged user, since
    root may write any file, who owns all but the `rootowned` files."""
    listed = read_lines(case / "readonly")
    for name in listed:
        (root / name).chmod(0o555 if (root / name).is_dir() else 0o444)
    kept = {root / name for name in read_lines(case / "rootowned")}
    for path in kept:
        path.chmod(0o666)
    if not (listed or kept) or os.geteuid() != 0:
        return None
    for path in [root, *root.rglob("*")]:
        if path not in kept:
            os.lchown(path, NOBODY, NOBODY)
    os.chown(root.parent, NOBODY, NOBODY)

    def drop():
        os.setgid(NOBODY)
        os.setuid(NOBODY)
    return drop


def preparation(case, drop):
    """What the child does before it runs the program: takes the limits of `file_size_limit` and
    `memory_limit`, then drops to the unprivileged user when `drop` is given."""
    limits = [(limit, int(lines[0])) for name, limit in LIMITS.items()
              if (lines := read_lines(case / name))]
    if not limits:
        return drop

    def prepare():
        for limit, size in limits:
            resource.setrlimit(limit, (size, size))
        if drop:
            drop()
    return prepare


def run_on_terminal(args, cwd, env, err, prepare):
    """Standard output is a pseudo-terminal; what the program wrote to it, line ends as written."""
    controller, terminal = pty.openpty()
    attributes = termios.tcgetattr(terminal)
    attributes[1] &= ~termios.OPOST  # no "\n" to "\r\n" translation
    termios.tcsetattr(terminal, termios.TCSANOW, attributes)
    proc = subprocess.Popen(args, cwd=cwd, env=env, stdout=terminal, stderr=err, preexec_fn=prepare)
    os.close(terminal)
    chunks = []
    deadline = time.monotonic() + TIMEOUT_SECONDS
    while True:
        if not select.select([controller], [], [], max(0, deadline - time.monotonic()))[0]:
            proc.kill()
            proc.wait()
            raise subprocess.TimeoutExpired(args, TIMEOUT_SECONDS)
        try:
            chunk = os.read(controller, 65536)
        except OSError:  # the terminal closes when the program ends
            break
        if not chunk:
            break
        chunks.append(chunk)
    os.close(controller)
    return b"".join(chunks), proc.wait()


def ownership(case, root):
    """The owner, group and mode of each file listed in `rootowned`, which the run must keep."""
    owners = {}
    for name in read_lines(case / "rootowned"):
        status = (root / name).stat()
        owners[name] = (status.st_uid, status.st_gid, oct(status.st_mode))
    return owners


def run(binary, case, root, drop):
    cwd = root / (read_lines(case / "cwd") or ["."])[0]
    stdout_mode = (read_lines(case / "stdout") or ["pipe"])[0]
    # Standard input is a pipe that holds the file `stdin`, when the case has one.
    stdin = (case / "stdin").read_bytes() if (case / "stdin").exists() else None
    prepare = preparation(case, drop)
    if drop:
        # The unprivileged user may not reach the build tree; it gets its own copy.
        binary = shutil.copy2(binary, root.parent / "tarnvik")
    args = [binary, *read_lines(case / "args")]
    with tempfile.TemporaryFile() as err:
        if stdout_mode == "closed":
            # A reader that has gone away: the first write meets a broken pipe.
            read_end, write_end = os.pipe()
            os.close(read_end)
            proc = subprocess.run(args, cwd=cwd, env=environment(case), stdout=write_end,
                                  stderr=err, preexec_fn=prepare, timeout=TIMEOUT_SECONDS,
                                  input=stdin)
            os.close(write_end)
            out = b""
        elif stdout_mode == "terminal":
            out, status = run_on_terminal(args, cwd, environment(case), err, prepare)
            err.seek(0)
            return out, err.read(), status
        else:
            proc = subprocess.run(args, cwd=cwd, env=environment(case), stdout=subprocess.PIPE,
                                  stderr=err, preexec_fn=prepare, timeout=TIMEOUT_SECONDS,
                                  input=stdin)
            out = proc.stdout
        err.seek(0)
        return out, err.read(), proc.returncode


def main():
    binary, case = os.path.abspath(sys.argv[1]), pathlib.Path(sys.argv[2]).resolve()
    update = os.environ.get("TARNVIK_E2E_UPDATE") == "1"
    # A parent of its own, so that a read-only case can hand the whole tree to another user.
    with tempfile.TemporaryDirectory(prefix="tarnvik-e2e-") as scratch:
        os.chmod(scratch, 0o755)
        root = pathlib.Path(scratch) / "tree"
        root.mkdir()
        copy_tree(case, root)
        make_fifos(case, root)
        grow_files(case, root)
        links = make_hard_links(case, root)
        drop = set_permissions(case, root)
        before = snapshot(root)
        owners = ownership(case, root)
        try:
            out, err, status = run(binary, case, root, drop)
        finally:
            for directory in [root, *root.rglob("*")]:
                if directory.is_dir() and not directory.is_symlink():
                    directory.chmod(directory.stat().st_mode | 0o200)
        after = snapshot(root)
        owners_after = ownership(case, root)
        project = root / "pyproject.toml"
        fixed = project.read_bytes() if project.is_file() else None

        expected_toml = case / "expected.toml"
        if update:
            (case / "expected.out").write_bytes(out)
            (case / "expected.err").write_bytes(err)
            (case / "expected.status").write_text(f"{status}\n")
            if expected_toml.exists() or (fixed is not None and after != before):
                expected_toml.write_bytes(fixed)
            print(f"updated {case.name}")
            return 0

        failures = []
        for name, actual in (("expected.out", out), ("expected.err", err)):
            wanted = (case / name).read_bytes() if (case / name).exists() else b""
            if actual != wanted:
                failures.append(f"{name} differs:\n--- expected\n{wanted.decode(errors='replace')}"
                                f"--- actual\n{actual.decode(errors='replace')}")
        wanted_status = int((case / "expected.status").read_text().strip())
        if status != wanted_status:
            failures.append(f"status {status}, expected {wanted_status}")
        if expected_toml.exists():
            if fixed != expected_toml.read_bytes():
                failures.append(f"pyproject.toml after the run differs:\n{fixed!r}")
            changed_ok = {"pyproject.toml"}
            if project.is_symlink():
                changed_ok.add(str(project.resolve().relative_to(root.resolve())))
            changed_ok.update(name for name, _ in links)
        else:
            changed_ok = set()
        for name, target in links:
            if not os.path.samefile(root / name, root / target):
                failures.append(f"{name} is no longer a link to {target}")
        if owners_after != owners:
            failures.append(f"owner, group or mode changed: {owners} before, {owners_after} after")
        unexpected = sorted(k for k in set(before) | set(after)
                            if before.get(k) != after.get(k) and k not in changed_ok)
        if unexpected:
            failures.append(f"files changed on disk that should not have: {unexpected}")
        if failures:
            print(f"case {case.name} failed:\n" + "\n".join(failures))
            return 1
        return 0


if __name__ == "__main__":
    sys.exit(main())
