#!/usr/bin/env python3
"""Plants one small fault at a time in a copy of the sources and runs the
tests against each: how many of the faults do the tests catch?

Called by scripts/mutate.sh, which sets up the display and the wineserver
for the Windows part. The real tree is never touched: the tracked files are
copied into build/mutate/PART/src, built there in build/mutate/PART/build,
and each fault is planted in the copy and taken out again afterwards.

A fault is one of: a comparison flipped, an integer constant off by one, an
arithmetic or logic operator swapped, a statement dropped. The sites are a
seeded random sample over the part's sources; a fault that does not compile
is left out and the next site in the sample is taken instead.
"""
import argparse
import filecmp
import os
import random
import re
import shutil
import subprocess
import sys
import time

PARTS = {
    # part: (folders whose sources get faults, folders left out)
    "core": (["model/", "physics/", "files/", "games/", "editor/", "workers/", "tools/"], ["files/win/"]),
    "win": (["ui/", "win/", "tvcomm/"], []),
}

COMPARISONS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
OPERATORS = {"+": "-", "-": "+", "*": "/", "/": "*", "&&": "||", "||": "&&",
             "+=": "-=", "-=": "+=", "&": "|", "|": "&", "<<": ">>", ">>": "<<"}
# A binary operator with blanks on both sides, as the sources write them.
BINARY = re.compile(r"(?<=\S) (<=|>=|==|!=|<<|>>|&&|\|\||\+=|-=|<|>|\+|-|\*|/|&|\|) (?=\S)")
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.'])")
STATEMENT = re.compile(r"^\s*[A-Za-z_][\w:.\->\[\]()]*\s*(\(|=|\+=|-=|\+\+|--|\.|->).*;\s*$")
KEYWORDS = ("return", "break", "continue", "case", "default", "using", "typedef",
            "static_assert", "namespace", "template", "friend", "goto", "class", "struct",
            "enum", "public", "private", "protected", "const ", "constexpr", "static ",
            "auto ", "extern", "inline", "virtual", "explicit", "operator", "#")


def blank_literals(line):
    """The line with strings, characters and comments blanked, same length."""
    out, i, n = [], 0, len(line)
    while i < n:
        c = line[i]
        if c in "\"'":
            j = i + 1
            while j < n and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            out.append(" " * (min(j, n - 1) - i + 1))
            i = j + 1
        elif line.startswith("//", i):
            out.append(" " * (n - i))
            break
        else:
            out.append(c)
            i += 1
    return "".join(out)[:n]


def sites_of(path, text):
    """Every fault that can be planted in one file: (line, description, new line)."""
    sites = []
    in_block = False
    lines = text.split("\n")
    for number, line in enumerate(lines, 1):
        stripped = line.strip()
        if in_block:
            if "*/" in line:
                in_block = False
            continue
        if stripped.startswith("/*"):
            in_block = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("#", "//")) or "static_assert" in line:
            continue
        if re.search(r"\b(template|include|typename)\b", line) or "operator" in line:
            continue
        code = blank_literals(line)
        for m in BINARY.finditer(code):
            op = m.group(1)
            new = COMPARISONS.get(op) or OPERATORS.get(op)
            if new:
                kind = "comparison" if op in COMPARISONS else "operator"
                a, b = m.start(1), m.end(1)
                sites.append((number, f"{kind} '{op}' -> '{new}'", line[:a] + new + line[b:]))
        for m in NUMBER.finditer(code):
            value = int(m.group(1))
            a, b = m.start(1), m.end(1)
            sites.append((number, f"constant {value} -> {value + 1}", line[:a] + str(value + 1) + line[b:]))
            if value > 0:
                sites.append((number, f"constant {value} -> {value - 1}", line[:a] + str(value - 1) + line[b:]))
        previous = lines[number - 2].rstrip() if number > 1 else ""
        starts = previous.endswith((";", "{", "}", ":")) or not previous.strip()
        if (starts and STATEMENT.match(code) and not stripped.startswith(KEYWORDS)
                and code.count("(") == code.count(")") and "{" not in code and "}" not in code):
            indent = line[: len(line) - len(line.lstrip())]
            sites.append((number, "statement dropped", indent + ";"))
    return [(path, n, d, new) for n, d, new in sites]


def tracked_files(root):
    out = subprocess.run(["git", "ls-files", "-z"], cwd=root, check=True, capture_output=True).stdout
    return [p for p in out.decode().split("\0") if p]


def sync(root, src, files):
    """Makes src a copy of the tracked files, copying only what changed so
    that the next build is incremental."""
    wanted = set(files)
    for path in files:
        a, b = os.path.join(root, path), os.path.join(src, path)
        if not os.path.isfile(a):
            continue
        if not (os.path.isfile(b) and filecmp.cmp(a, b, shallow=False)):
            os.makedirs(os.path.dirname(b), exist_ok=True)
            shutil.copyfile(a, b)  # a new time, so that the build sees the change
        shutil.copymode(a, b)  # scripts the build runs stay executable
    for folder, dirs, names in os.walk(src):
        rel = os.path.relpath(folder, src)
        if rel == "build" or rel.startswith("build" + os.sep):
            dirs[:] = []
            continue
        for name in names:
            p = os.path.normpath(os.path.join(rel, name))
            if p not in wanted:
                os.remove(os.path.join(folder, name))


def run(cmd, log, timeout=None, cwd=None):
    """Runs a command with its output going to log; returns its status, or
    None when it ran out of time (its whole process group is ended)."""
    with open(log, "w") as out:
        p = subprocess.Popen(cmd, stdout=out, stderr=subprocess.STDOUT, cwd=cwd, start_new_session=True)
        try:
            return p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, 9)
            p.wait()
            return None


# Machines that cannot run 32-bit programs test the 64-bit build of the
# same sources, as the test command does (scripts/windows-target.sh).
def runs_32_bit():
    try:
        return subprocess.run(["/lib/ld-linux.so.2", "--version"], capture_output=True).returncode == 0
    except OSError:
        return False


WIN64 = os.environ.get("BW_WIN_ARCH") == "64" or (os.environ.get("BW_WIN_ARCH") != "32" and not runs_32_bit())


class Part:
    def __init__(self, name, root, scratch, player):
        self.name, self.root, self.player = name, root, player
        self.src = os.path.join(scratch, "src")
        self.build = os.path.join(scratch, "build")
        self.logs = scratch

    def configure(self):
        # The web player is built once, in the real tree (scripts/web-player.sh).
        player = "-DBW_WEB_PLAYER=" + self.player
        if self.name == "core":
            args = ["-DCMAKE_C_COMPILER=clang", "-DCMAKE_CXX_COMPILER=clang++", "-DCMAKE_BUILD_TYPE=Release", player]
        else:
            args = ["-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-%s-posix.cmake" % ("x86_64" if WIN64 else "i686"),
                    "-DCMAKE_BUILD_TYPE=Release", player]
        log = os.path.join(self.logs, "configure.log")
        if self.name == "win":
            # Older window suites compare with the native bwtool in build/native.
            native = os.path.join(self.src, "build", "native")
            if run(["cmake", "-S", self.src, "-B", native, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release", player], log) != 0 \
                    or run(["ninja", "-C", native, "bwtool"], log) != 0:
                return False
        return run(["cmake", "-S", self.src, "-B", self.build, "-G", "Ninja"] + args, log, cwd=self.src) == 0

    def compile(self):
        """Compiles the code under test: False when it does not compile."""
        targets = ["bwtool"] if self.name == "core" else ["bwwin", "tvcomm", "Bumpwright"]
        return run(["ninja", "-C", self.build] + targets, os.path.join(self.logs, "build.log")) == 0

    def prepare(self, timeout):
        """Builds the rest of what the tests need (the example tables are
        made by bwtool, so a fault may show here already): True when done,
        False when it fails, None when it runs out of time."""
        targets = ["core_tests", "editor_fuzz_tests"] if self.name == "core" else \
            ["win_tests", "tvcomm_tests", "bw_help_file", "bw_player_file", "bw_wineprefix"] + self.older_tests()
        status = run(["ninja", "-C", self.build] + targets, os.path.join(self.logs, "build.log"), timeout)
        if status is None:
            # A step that hangs (bwtool making the example tables) does not
            # go with ninja's process group: it would run on for ever.
            subprocess.run(["pkill", "-9", "-f", self.build + "/"])
        return None if status is None else status == 0

    def older_tests(self):
        """Test programs that an older commit (--rev) had besides these."""
        listed = subprocess.run(["ninja", "-C", self.build, "-t", "targets", "all"], capture_output=True, text=True).stdout
        return [t for t in ["files_win_tests"] if re.search(rf"^{t}:", listed, re.M)]

    def start(self):
        """The Windows tests want the prefix's wineserver running before
        CTest starts them, as the test command does it."""
        if self.name != "win":
            return True
        os.environ.update(WINEPREFIX=os.path.join(self.build, "wineprefix"), WINEARCH="win64" if WIN64 else "win32",
                          WINEDEBUG="-all")
        log = os.path.join(self.logs, "wine.log")
        run(["wineserver", "-w"], log)
        wine = ["sh", os.path.join(self.src, "cmake", "wine-run.sh")]  # the loader that runs here
        return run(["wineserver", "-p"], log) == 0 and run(wine + ["wineboot"], log, 120) == 0

    def stop(self):
        if self.name == "win":
            run(["wineserver", "-k"], os.path.join(self.logs, "wine.log"))

    def test(self, timeout):
        """True when the tests pass, False when they fail, None on a timeout."""
        log = os.path.join(self.logs, "test.log")
        if self.name == "core":
            status = run([os.path.join(self.build, "core_tests"), "--gtest_fail_fast", "--gtest_brief=1"],
                         log, timeout, cwd=self.build)
            if status == 0:
                # The editor's fuzzer on a few of its fixed seeds (20,000
                # actions, about a second) checks every editing rule too.
                os.environ["BW_EDITOR_FUZZ_SEEDS"] = "1-10"
                status = run([os.path.join(self.build, "editor_fuzz_tests"), "--gtest_brief=1"], log, timeout,
                             cwd=self.build)
        else:
            status = run(["ctest", "--test-dir", self.build, "-j2", "--stop-on-failure", "--output-on-failure",
                          "--timeout", str(int(timeout))], log, timeout, cwd=self.build)
        return None if status is None else status == 0


def unpack(root, rev, tree):
    """The files of commit `rev`, unpacked into `tree`: (tree, their names)."""
    shutil.rmtree(tree, ignore_errors=True)
    os.makedirs(tree)
    archive = subprocess.run(["git", "archive", rev], cwd=root, check=True, capture_output=True).stdout
    subprocess.run(["tar", "-x", "-C", tree], input=archive, check=True)
    return tree, subprocess.run(["git", "ls-tree", "-r", "--name-only", rev], cwd=root, check=True,
                                capture_output=True, text=True).stdout.splitlines()


def sample(root, files, part, seed):
    """Every site of the part's sources in a seeded random order."""
    folders, excluded = PARTS[part]
    sites = []
    for path in sorted(f for f in files if f.startswith(tuple(folders)) and not f.startswith(tuple(excluded))
                       and f.endswith((".cpp", ".h"))):
        with open(os.path.join(root, path)) as f:
            sites += sites_of(path, f.read())
    random.Random(seed).shuffle(sites)
    return sites


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--part", choices=sorted(PARTS), required=True)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--count", type=int, default=60)
    ap.add_argument("--timeout", type=float, default=0, help="seconds per test run (default: from the clean run)")
    ap.add_argument("--list", action="store_true", help="only list the sampled sites, build nothing")
    ap.add_argument("--rev", help="test the files of this commit instead of the working tree")
    ap.add_argument("--sites-from", metavar="COMMIT",
                    help="plant the first COUNT faults sampled from that commit's sources where their lines still stand")
    a = ap.parse_args()

    root = subprocess.run(["git", "rev-parse", "--show-toplevel"], check=True, capture_output=True,
                          text=True, cwd=os.path.dirname(os.path.abspath(__file__))).stdout.strip()
    scratch = os.path.join(root, "build", "mutate", a.part + ("-" + a.rev if a.rev else ""))
    files = tracked_files(root)
    here = root
    if a.rev:
        here, files = unpack(root, a.rev, os.path.join(scratch, "rev"))
    sites = sample(here, files, a.part, a.seed)
    if a.sites_from:
        # The same faults in both suites' code: each sampled line of the
        # older commit, found again (the nearest of its copies) in this one.
        older, older_files = unpack(root, a.sites_from, os.path.join(scratch, "sites-from"))
        moved = []
        for path, n, d, new in sample(older, older_files, a.part, a.seed)[: a.count]:
            with open(os.path.join(older, path)) as f:
                line = f.read().split("\n")[n - 1]
            now = []
            if os.path.isfile(os.path.join(here, path)):
                with open(os.path.join(here, path)) as f:
                    now = [i for i, l in enumerate(f.read().split("\n"), 1) if l == line]
            if now:
                moved.append((path, min(now, key=lambda i: abs(i - n)), d, new))
            else:
                print(f"gone: {path}:{n}: {d}")
        sites = moved
    player = os.path.join(root, "build", "web", "bumpwright-player.js")  # built in the real tree
    root = here
    if a.list:
        for path, n, d, _ in sites[: a.count]:
            print(f"{path}:{n}: {d}")
        return 0

    part = Part(a.part, root, scratch, player)
    os.makedirs(part.src, exist_ok=True)
    sync(root, part.src, files)
    # A run that was stopped with a fault planted: the copy has its file back
    # now, but the build must see that it changed.
    pending = os.path.join(scratch, "planted")
    if os.path.exists(pending):
        with open(pending) as f:
            planted = os.path.join(part.src, f.read().strip())
        if os.path.exists(planted):
            os.utime(planted)
        os.remove(pending)
    if not part.configure() or not part.compile() or not part.prepare(3600):
        print(f"the clean copy does not build: see {scratch}/*.log")
        return 2
    if not part.start():
        print(f"Wine does not start: see {scratch}/wine.log")
        return 2
    try:
        return mutate(a, part, sites, scratch)
    finally:
        part.stop()


def mutate(a, part, sites, scratch):
    started = time.monotonic()
    if part.test(3600) is not True:
        print(f"the tests fail on the clean copy: see {scratch}/test.log")
        return 2
    clean = time.monotonic() - started
    timeout = a.timeout or max(30.0, 3 * clean + 10)
    print(f"{a.part}: clean run {clean:.1f}s, {len(sites)} sites, timeout {timeout:.0f}s per run", flush=True)

    caught = counted = skipped = 0
    survivors = []
    for path, n, description, new in sites:
        if counted == a.count:
            break
        target = os.path.join(part.src, path)
        with open(target) as f:
            original = f.read()
        lines = original.split("\n")
        lines[n - 1] = new
        with open(os.path.join(scratch, "planted"), "w") as f:
            f.write(path)
        with open(target, "w") as f:
            f.write("\n".join(lines))
        try:
            if not part.compile():
                skipped += 1
                continue
            # A fault in a header rebuilds everything: slow, but no sign of a hang.
            verdict = part.prepare(max(900.0, timeout))
            if verdict is True:
                verdict = part.test(timeout)
        finally:
            with open(target, "w") as f:
                f.write(original)
            os.remove(os.path.join(scratch, "planted"))
        counted += 1
        if verdict is True:
            survivors.append(f"{path}:{n}: {description}")
            result = "survived"
        else:
            caught += 1
            result = "caught (timeout)" if verdict is None else "caught"
        print(f"{counted:3} {path}:{n}: {description}: {result}", flush=True)
    part.compile()
    part.prepare(3600)
    print(f"left out (do not compile): {skipped}")
    if survivors:
        print("survivors:\n  " + "\n  ".join(survivors))
    print(f"{a.part} seed {a.seed}: {caught} of {counted} caught")
    return 0


if __name__ == "__main__":
    sys.exit(main())
