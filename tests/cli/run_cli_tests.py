#!/usr/bin/env python3
"""End-to-end tests of korvel-cli: the sample pages against the expected records, the ways of
naming input and output, the field list and the failures.

    run_cli_tests.py --cli PATH [--emulator PROGRAM] --examples DIR --expected DIR

With --emulator (a Windows build run under Wine), paths handed to the program are given in
their Windows form, Z: standing for the Unix root.
"""

import argparse
import itertools
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

WARNING = "你让我导出你呀！"


class Runner:
    def __init__(self, options):
        self.cli = options.cli
        self.emulator = options.emulator
        self.examples = Path(options.examples).resolve()
        self.expected = Path(options.expected).resolve()
        self.work = Path(tempfile.mkdtemp(prefix="korvel-cli-tests-")).resolve()
        self.failures = []
        self.current = ""

    # Paths as the program sees them, and as it reports them.
    def arg(self, path):
        path = str(path)
        return "Z:" + path if self.emulator else path

    def full_path(self, path):
        path = str(path)
        return "Z:" + path.replace("/", "\\") if self.emulator else path

    def run(self, args, stdin=None, cwd=None):
        """Runs the program; returns (exit code, standard output bytes, standard error text).

        The streams go through files, not pipes: helper processes of Wine may inherit a pipe
        and hold it open long after the program has ended."""
        command = ([self.emulator] if self.emulator else []) + [self.cli] + list(args)
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            if stdin is None:
                result = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                        cwd=cwd, timeout=120)
            else:
                with open(stdin, "rb") as source:
                    result = subprocess.run(command, stdin=source, stdout=out, stderr=err,
                                            cwd=cwd, timeout=120)
            out.seek(0)
            err.seek(0)
            return result.returncode, out.read(), err.read().decode("utf-8", "replace")

    def check(self, condition, message):
        if not condition:
            self.failures.append(f"{self.current}: {message}")
        return condition

    def check_bytes(self, got, expected, what):
        if got == expected:
            return True
        at = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b),
                  min(len(got), len(expected)))
        return self.check(False, f"{what}: {len(got)} bytes, expected {len(expected)}; first "
                                 f"difference at byte {at}: {got[at:at + 40]!r} vs "
                                 f"{expected[at:at + 40]!r}")

    def fresh(self, name):
        path = self.work / name
        if path.exists():
            path.unlink()
        return path


def sample_cases(r):
    """(page, arguments, expected file): through -o, through standard output and, for "-",
    from standard input; the three give the same bytes."""
    return [
        ("contacts.html", ["--codepage", "936"], "contacts.txt"),
        ("contacts.html", ["--codepage", "936", "--fields", "qq,name,email"], "contacts.txt"),
        ("contacts.html", ["--codepage", "936", "--fields", "name,email"],
         "contacts-name-email.txt"),
        ("contacts.html", ["--codepage", "936", "--fields", "email,name"],
         "contacts-name-email.txt"),
        ("contacts.html", ["--codepage", "936", "--fields", ""], "contacts-no-fields.txt"),
        ("contacts.html", ["--codepage", "1252"], "contacts-1252.txt"),
        # The UTF-8 twin: valid UTF-8 lines are searched byte by byte under any code page.
        ("contacts-utf8.html", ["--codepage", "936"], "contacts-utf8.txt"),
        ("contacts-utf8.html", ["--codepage", "65001"], "contacts-utf8.txt"),
        ("contacts-utf8.html", ["--codepage", "950"], "contacts-utf8.txt"),
    ]


def test_samples(r):
    for page, args, expected_name in sample_cases(r):
        r.current = f"samples: {page} {args}"
        expected = (r.expected / expected_name).read_bytes()
        source = r.examples / page
        output = r.fresh("out.txt")
        code, out, err = r.run([r.arg(source), "-o", r.arg(output)] + args)
        if r.check(code == 0, f"-o: exit {code}, stderr {err!r}"):
            r.check_bytes(output.read_bytes(), expected, "-o FILE")
            r.check(out == b"", f"-o FILE also wrote {out[:40]!r} to standard output")
        code, out, err = r.run([r.arg(source)] + args)
        if r.check(code == 0, f"standard output: exit {code}, stderr {err!r}"):
            r.check_bytes(out, expected, "standard output")
        code, out, err = r.run(["-", "-o", "-"] + args, stdin=source)
        if r.check(code == 0, f"standard input: exit {code}, stderr {err!r}"):
            r.check_bytes(out, expected, "standard input")
        warned = WARNING in err
        r.check(warned == ("" in args and "--fields" in args),
                f"the no-field warning {'appeared' if warned else 'is missing'}: {err!r}")


def test_field_order(r):
    """Every subset of the fields in every order on the command line: always written qq, name,
    email, the records cut from the full export."""
    full = (r.expected / "contacts.txt").read_bytes().split(b"\r\n")
    assert full[-1] == b""
    records = [line.split(b"----") for line in full[:-1]]
    assert all(len(fields) == 3 for fields in records)
    names = ["qq", "name", "email"]
    for size in (1, 2, 3):
        for chosen in itertools.permutations(names, size):
            r.current = f"--fields {','.join(chosen)}"
            keep = [i for i, name in enumerate(names) if name in chosen]
            expected = b"".join(b"----".join(fields[i] for i in keep) + b"\r\n"
                                for fields in records)
            code, out, err = r.run([r.arg(r.examples / "contacts.html"), "--codepage", "936",
                                    "--fields", ",".join(chosen)])
            if r.check(code == 0, f"exit {code}, stderr {err!r}"):
                r.check_bytes(out, expected, "records")


def test_usage_errors(r):
    page = r.arg(r.examples / "contacts.html")
    cases = [
        ("unknown field", [page, "--fields", "qq,phone"]),
        ("field names are lower case", [page, "--fields", "QQ"]),
        ("unsupported code page", [page, "--codepage", "1234"]),
        ("code page that is no number", [page, "--codepage", "gbk"]),
        ("missing INPUT", []),
        ("unknown option", [page, "--frobnicate"]),
    ]
    for what, args in cases:
        r.current = f"usage: {what}"
        output = r.fresh("usage.txt")
        code, out, err = r.run(args + ["-o", r.arg(output)])
        r.check(code == 2, f"exit {code}, expected 2; stderr {err!r}")
        r.check(err.strip() != "", "nothing said on standard error")
        r.check(out == b"", f"wrote {out[:40]!r} to standard output")
        r.check(not output.exists(), "created the output file")


def test_file_errors(r):
    missing = r.work / "missing.html"
    cases = [
        ("missing file", [r.arg(missing)], None, f"没有找到 {r.full_path(missing)}。"),
        ("missing file, relative name", ["missing.html"], r.work,
         f"没有找到 {r.full_path(missing)}。"),
        ("missing folder", [r.arg(r.work / "no-such-folder" / "contacts.html")], None,
         f"{r.full_path(r.work / 'no-such-folder' / 'contacts.html')} 中包含无效的路径。"),
        ("folder as input", [r.arg(r.work)], None, f"对 {r.full_path(r.work)} 的存取被拒绝。"),
    ]
    for what, args, cwd, message in cases:
        r.current = f"file error: {what}"
        output = r.fresh("never.txt")
        code, out, err = r.run(args + ["-o", r.arg(output)], cwd=cwd)
        r.check(code == 1, f"exit {code}, expected 1")
        r.check(message in err, f"standard error {err!r} lacks {message!r}")
        r.check(not output.exists(), "created the output file")
        r.check(out == b"", f"wrote {out[:40]!r} to standard output")

    r.current = "file error: output in a missing folder"
    target = r.work / "no-such-folder" / "out.txt"
    code, out, err = r.run([r.arg(r.examples / "contacts.html"), "-o", r.arg(target)])
    r.check(code == 1, f"exit {code}, expected 1")
    message = f"{r.full_path(target)} 中包含无效的路径。"
    r.check(message in err, f"standard error {err!r} lacks {message!r}")


def test_replacing_files(r):
    expected = (r.expected / "contacts.txt").read_bytes()
    r.current = "output replaces a longer file whole"
    output = r.fresh("old.txt")
    output.write_bytes(b"x" * 100000)
    code, out, err = r.run([r.arg(r.examples / "contacts.html"), "--codepage", "936", "-o",
                            r.arg(output)])
    if r.check(code == 0, f"exit {code}, stderr {err!r}"):
        r.check_bytes(output.read_bytes(), expected, "replaced file")

    r.current = "output is the input"
    page = r.fresh("page.html")
    shutil.copyfile(r.examples / "contacts.html", page)
    before = sorted(p.name for p in r.work.iterdir())
    code, out, err = r.run([r.arg(page), "--codepage", "936", "-o", r.arg(page)])
    if r.check(code == 0, f"exit {code}, stderr {err!r}"):
        r.check_bytes(page.read_bytes(), expected, "the page, replaced")
    after = sorted(p.name for p in r.work.iterdir())
    r.check(after == before, f"the folder held {before}, now {after}")


def test_root_relative_input(r):
    """An INPUT that begins with '/' (on Windows a path from the root of the current drive, or
    //server/share/...) is a path, never a Windows-style option."""
    r.current = "INPUT beginning with '/'"
    code, out, err = r.run([str(r.examples / "contacts.html"), "--codepage", "936"],
                           cwd=r.work)
    if r.check(code == 0, f"exit {code}, stderr {err!r}"):
        r.check_bytes(out, (r.expected / "contacts.txt").read_bytes(), "standard output")


def test_help_and_version(r):
    r.current = "--help"
    code, out, err = r.run(["--help"])
    r.check(code == 0, f"exit {code}")
    r.check(b"--fields" in out and b"--codepage" in out, f"usage text: {out[:200]!r}")
    r.current = "--version"
    code, out, err = r.run(["--version"])
    r.check(code == 0, f"exit {code}")
    r.check(b"1.0.0.1" in out, f"version text: {out!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--emulator")
    parser.add_argument("--examples", required=True)
    parser.add_argument("--expected", required=True)
    r = Runner(parser.parse_args())
    started = time.monotonic()
    try:
        for test in (test_samples, test_field_order, test_usage_errors, test_file_errors,
                     test_replacing_files, test_root_relative_input, test_help_and_version):
            before = len(r.failures)
            test(r)
            status = "ok" if len(r.failures) == before else "FAILED"
            print(f"{test.__name__}: {status}", flush=True)
    finally:
        shutil.rmtree(r.work, ignore_errors=True)
    for failure in r.failures:
        print("FAIL", failure)
    print(f"{len(r.failures)} failures, {time.monotonic() - started:.1f} s")
    return 1 if r.failures else 0


if __name__ == "__main__":
    sys.exit(main())
