#!/usr/bin/env python3
"""korvel-cli on bad input and in bad places, one table.

    bad_input.py PATH/TO/korvel-cli

Each row gives the input, the command line, the expected exit code, the expected message on
standard error and the expected output. After every row, the output folder must hold no
temporary file, and an output file that existed keeps its old bytes whenever the run fails.
Rows that need what the machine cannot give (a second user, a mount) are skipped with the reason.
"""

import os
import shutil
import subprocess
import sys
import tempfile

PROGRAM = "korvel-cli"
OLD = b"old bytes, kept on failure\r\n"
KEEP = object()  # the output keeps OLD
CONTACT = b'<li class="L_n"><input type="checkbox" name="c" n="\xd5\xc5\xce\xb0" e="10001@qq.com">&nbsp;x</li>'
NOBODY = 65534

MESSAGES = {
    "not_found": "没有找到 %1。",
    "bad_path": "%1 中包含无效的路径。",
    "denied": "对 %1 的存取被拒绝。",
    "disk_full": "磁盘已满，无法写完 %1。",
}


def message(kind, path):
    return MESSAGES[kind].replace("%1", path)


def is_root():
    return os.geteuid() == 0


def can_switch_user():
    return is_root() and shutil.which("setpriv") is not None


class Skip(Exception):
    pass


# --- Setup helpers: each returns nothing and prepares the row's folder. -----------------------

def write(path, data, mode=0o644):
    with open(path, "wb") as f:
        f.write(data)
    os.chmod(path, mode)


def big_line_page(path):
    """One contact line of 200 MB, then an ordinary contact line."""
    with open(path, "wb") as f:
        f.write(b'<li class="L_n"><input n="\xb3\xa4" e="1@qq.com">&nbsp')
        block = b"x" * (1 << 20)
        for _ in range(200):
            f.write(block)
        f.write(b"\r\n" + CONTACT + b"\r\n")


def random_bytes(path):
    import random
    rng = random.Random(7)
    data = bytearray(rng.getrandbits(8) for _ in range(1 << 20))
    for k in range(0, len(data), 997):
        data[k] = 0
    data[100:140] = CONTACT[:40]
    write(path, bytes(data))


def mount_tiny_tmpfs(folder):
    if not is_root():
        raise Skip("mounting a small file system needs root")
    result = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", folder],
                            capture_output=True)
    if result.returncode != 0:
        raise Skip("this machine does not allow mounting a tmpfs: "
                   + result.stderr.decode(errors="replace").strip())


# --- The table. ------------------------------------------------------------------------------
# Paths: {dir} is the row's own folder (an absolute path). "input" is written to {dir}/in.html
# unless None; "old" (bytes) is written to {dir}/out.txt before the run.

ROWS = [
    dict(name="input file does not exist",
         input=None, args=["{dir}/missing.html", "-o", "{dir}/out.txt"], old=OLD,
         exit=1, error=("not_found", "{dir}/missing.html"), output=KEEP),
    dict(name="input file does not exist, relative path names the full path",
         input=None, args=["missing.html", "-o", "out.txt"], cwd=True, old=OLD,
         exit=1, error=("not_found", "{dir}/missing.html"), output=KEEP),
    dict(name="a folder given as input",
         input=None, setup=lambda d: os.mkdir(d + "/folder.html"),
         args=["{dir}/folder.html", "-o", "{dir}/out.txt"], old=OLD,
         exit=1, error=("denied", "{dir}/folder.html"), output=KEEP),
    dict(name="unreadable input (mode 000; as root, run as another user)",
         input=b"<html>\n" + CONTACT + b"\n", input_mode=0o000,
         args=["{dir}/in.html", "-o", "{dir}/out.txt"], old=OLD, unprivileged=True,
         exit=1, error=("denied", "{dir}/in.html"), output=KEEP),
    dict(name="output folder does not exist",
         input=CONTACT + b"\n", args=["{dir}/in.html", "-o", "{dir}/no/such/out.txt"],
         exit=1, error=("bad_path", "{dir}/no/such/out.txt"), output=None),
    dict(name="read-only output file (as root, run as another user)",
         input=CONTACT + b"\n", old=OLD, old_mode=0o444, unprivileged=True,
         args=["{dir}/in.html", "-o", "{dir}/out.txt"],
         exit=1, error=("denied", "{dir}/out.txt"), output=KEEP),
    dict(name="read-only output folder (as root, run as another user)",
         input=CONTACT + b"\n", old=OLD, folder_mode=0o555, unprivileged=True,
         args=["{dir}/in.html", "-o", "{dir}/out.txt"],
         exit=1, error=("denied", "{dir}/out.txt"), output=KEEP),
    dict(name="a folder given as output",
         input=CONTACT + b"\n", setup=lambda d: os.mkdir(d + "/out.txt"),
         args=["{dir}/in.html", "-o", "{dir}/out.txt"],
         exit=1, error=("denied", "{dir}/out.txt"), output=None),
    dict(name="full disk: standard output is /dev/full",
         input=CONTACT + b"\n", args=["{dir}/in.html", "-o", "-"], stdout="/dev/full",
         exit=1, error=("disk_full", "(standard output)"), output=None),
    dict(name="full disk: output on a 64 KiB tmpfs",
         input=(CONTACT + b"\r\n") * 20000, mount=True, old=OLD,
         args=["{dir}/in.html", "-o", "{dir}/tiny/out.txt"], out_name="tiny/out.txt",
         exit=1, error=("disk_full", "{dir}/tiny/out.txt"), output=KEEP),
    dict(name="output is the input: replaced whole",
         input=b"<ul>\r\n" + CONTACT + b"\r\n</ul>\r\n", args=["{dir}/in.html", "-o", "{dir}/in.html"],
         out_name="in.html", exit=0, error=None, output=b"10001----\xd5\xc5\xce\xb0----10001@qq.com\r\n"),
    dict(name="a single 200 MB line: works, memory bounded by the line",
         input=None, setup=lambda d: big_line_page(d + "/in.html"), big=True, old=OLD,
         args=["--codepage", "936", "{dir}/in.html", "-o", "{dir}/out.txt"],
         exit=0, error=None,
         output=b"1----\xb3\xa4----1@qq.com\r\n10001----\xd5\xc5\xce\xb0----10001@qq.com\r\n",
         max_rss=4 * 200 * (1 << 20) + (64 << 20)),
    dict(name="a binary file (random bytes with zero bytes): no crash",
         input=None, setup=lambda d: random_bytes(d + "/in.html"),
         args=["--codepage", "936", "{dir}/in.html", "-o", "{dir}/out.txt"],
         exit=0, error=None, output=None, output_exists=True),
    dict(name="text not valid in the code page (a lead byte before a quote), GBK",
         input=b'<li class="L_n" n="\x81" e="5@qq.com">&nbsp\r\n',
         args=["--codepage", "936", "{dir}/in.html", "-o", "{dir}/out.txt"],
         exit=0, error=None, output=b"5--------5@qq.com\r\n"),
    dict(name="the same line as UTF-8: searched byte by byte",
         input=b'<li class="L_n" n="\x81" e="5@qq.com">&nbsp\r\n',
         args=["--codepage", "65001", "{dir}/in.html", "-o", "{dir}/out.txt"],
         exit=0, error=None, output=b"5----\x81----5@qq.com\r\n"),
    dict(name="a lead byte as a line's last byte",
         input=b'<li class="L_n" n="A" e="7@qq.com">&nbsp\x81\r\n<li class="L_n" n="B" e="8@qq.com">&nbsp\x81',
         args=["--codepage", "936", "{dir}/in.html", "-o", "{dir}/out.txt"],
         exit=0, error=None, output=b"7----A----7@qq.com\r\n8----B----8@qq.com\r\n"),
    dict(name="zero bytes end a line, 0x1A ends the input",
         input=b'L_n n="B" e="8@qq.com">&nbsp\0 n="X"\nab\0L_n\nL_n n="C" e="9@qq.com">&nbsp\x1aL_n n="D"\n',
         args=["--codepage", "1252", "{dir}/in.html", "-o", "{dir}/out.txt"],
         exit=0, error=None, output=b"8----B----8@qq.com\r\n9----C----9@qq.com\r\n"),
    dict(name="an empty file: an empty output",
         input=b"", old=OLD, args=["{dir}/in.html", "-o", "{dir}/out.txt"],
         exit=0, error=None, output=b""),
    dict(name="an unsupported code page: usage error, nothing written",
         input=CONTACT + b"\n", old=OLD, args=["--codepage", "1234", "{dir}/in.html", "-o", "{dir}/out.txt"],
         exit=2, error="--codepage: code page 1234 is not supported", output=KEEP),
]


def run_row(program, row, base):
    folder = os.path.join(base, "row%02d" % ROWS.index(row))
    os.mkdir(folder)
    os.chmod(folder, 0o755)
    fill = lambda text: text.replace("{dir}", folder)
    out_path = os.path.join(folder, row.get("out_name", "out.txt"))
    mounted = False
    try:
        if row.get("unprivileged") and is_root() and not can_switch_user():
            raise Skip("running as root without setpriv to drop to another user, so "
                       "permissions would not apply")
        if row.get("mount"):
            os.mkdir(folder + "/tiny")
            mount_tiny_tmpfs(folder + "/tiny")
            mounted = True
        if row.get("setup"):
            row["setup"](folder)
        if row.get("input") is not None:
            write(folder + "/in.html", row["input"], row.get("input_mode", 0o644))
        if row.get("old") is not None:
            write(out_path, row["old"], row.get("old_mode", 0o644))
        if row.get("folder_mode") is not None:
            os.chmod(folder, row["folder_mode"])

        command = [program] + [fill(a) for a in row["args"]]
        if row.get("unprivileged") and is_root():
            command = ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY,
                       "--clear-groups", "--"] + command
        stdout = open(row.get("stdout", os.devnull), "wb")
        with stdout:
            process = subprocess.Popen(command, stdout=stdout, stderr=subprocess.PIPE,
                                       cwd=folder if row.get("cwd") else None)
            error_text = process.stderr.read()
            _, status, usage = os.wait4(process.pid, 0)
            process.returncode = os.waitstatus_to_exitcode(status)
        problems = []
        if process.returncode != row["exit"]:
            problems.append("exit code %d, expected %d" % (process.returncode, row["exit"]))
        expected_error = row["error"]
        if isinstance(expected_error, tuple):
            expected_error = message(expected_error[0], fill(expected_error[1]))
        expected_stderr = b"" if expected_error is None else \
            ("%s: %s\n" % (PROGRAM, expected_error)).encode()
        if error_text != expected_stderr:
            problems.append("standard error %r, expected %r" % (error_text.decode(errors="replace"),
                                                                expected_stderr.decode()))
        expected = row["output"]
        if expected is KEEP:
            expected = row["old"]
        if expected is not None:
            try:
                with open(out_path, "rb") as f:
                    got = f.read()
            except OSError as e:
                problems.append("output unreadable: %s" % e)
            else:
                if got != expected:
                    problems.append("output %r, expected %r" % (got[:200], expected[:200]))
        elif row.get("output_exists") and not os.path.isfile(out_path):
            problems.append("no output file")
        elif not row.get("output_exists") and os.path.lexists(out_path) and \
                not os.path.isdir(out_path):
            problems.append("an output file appeared")
        for where in {folder, os.path.dirname(out_path)}:
            if os.path.isdir(where):
                leftovers = [name for name in os.listdir(where) if name.startswith(".")]
                if leftovers:
                    problems.append("temporary files left in %s: %s" % (where, leftovers))
        if row.get("max_rss"):
            rss = usage.ru_maxrss * 1024
            print("    peak memory %.0f MiB" % (rss / (1 << 20)))
            if rss > row["max_rss"]:
                problems.append("peak memory %d bytes, more than %d" % (rss, row["max_rss"]))
        return problems
    finally:
        if os.path.isdir(folder):
            os.chmod(folder, 0o755)
        if mounted:
            subprocess.run(["umount", folder + "/tiny"], check=False)


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    program = os.path.abspath(sys.argv[1])
    base = tempfile.mkdtemp(prefix="korvel-bad-input-")
    os.chmod(base, 0o755)
    failures = 0
    try:
        for row in ROWS:
            try:
                problems = run_row(program, row, base)
            except Skip as reason:
                print("SKIP %s: %s" % (row["name"], reason))
                continue
            if problems:
                failures += 1
                print("FAIL %s" % row["name"])
                for problem in problems:
                    print("    " + problem)
            else:
                print("ok   %s" % row["name"])
    finally:
        shutil.rmtree(base, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
