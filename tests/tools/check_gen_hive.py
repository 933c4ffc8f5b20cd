#!/usr/bin/env python3
"""Reads the hives of tools/gen_hive.py back with hivex's own tools and compares them with the
registry text they were written from: every key, value name, type and data byte.

  - the hives of tests/data/hive/user.reg in both formats, with lists of lists and big data
  - a hive of a regedit file, a dirty hive, damaged hives (which hivex must refuse)
  - every hive of the sample Windows drives of tools/gen_demo_system.py (2000, XP and 7)

Exits 77 (skipped) when hivex's tools are not installed.
"""

import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent.parent / "tools"))
import gen_demo_system  # noqa: E402
import gen_hive  # noqa: E402

SKIP = 77
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def export(hive):
    """hivexregedit's export of a hive as a key tree. Its names are UTF-8 where they hold
    characters beyond Latin-1 and raw Latin-1 bytes otherwise, so each line is decoded alone."""
    out = subprocess.run(["hivexregedit", "--export", str(hive), "\\"], check=True,
                         capture_output=True).stdout
    lines = []
    for raw in out.split(b"\n"):
        try:
            lines.append(raw.decode("utf-8"))
        except UnicodeDecodeError:
            lines.append(raw.decode("latin-1"))
    return gen_hive.parse_reg("\n".join(lines))


def flatten(top):
    """{key path: {value name: (type, data)}} with names as stored, for comparison."""
    return {path: {name: (value_type, data) for name, value_type, data in key.values.values()}
            for path, key in top.walk()}


def compare(label, expected, hive):
    """Compares and returns hivex's reading of the hive."""
    want, got = flatten(expected), flatten(export(hive))
    for path in sorted(set(want) | set(got)):
        if path not in got:
            failures.append("%s: key %r missing" % (label, path))
        elif path not in want:
            failures.append("%s: key %r not in the description" % (label, path))
        elif want[path] != got[path]:
            for name in sorted(set(want[path]) | set(got[path])):
                if want[path].get(name) != got[path].get(name):
                    failures.append("%s: [%s] %r: want %r, hivex read %r" % (
                        label, path, name, want[path].get(name), got[path].get(name)))
    return got


def description():
    """user.reg with keys enough for a list of lists and a value beyond one data cell."""
    text = (HERE.parent / "data" / "hive" / "user.reg").read_text(encoding="ascii")
    many = "".join("[Software\\\\Many\\\\Key%02d]\n\"n\"=dword:%08x\n\n" % (i, i)
                   for i in range(40, 0, -1))
    big = ",".join("%02x" % (i % 251) for i in range(40000))
    return text + "\n" + many + "[Software\\\\Big]\n\"Blob\"=hex:" + big + "\n"


# Values as Windows stores them, written out by hand so that the text parser is checked too.
STORED = [
    ("Software\\日本語\\Café", "名前", 1, "太郎\0".encode("utf-16-le")),
    ("Software\\日本語\\Café", "Empty", 1, b"\0\0"),
    ("Software\\日本語\\Café", "Multi", 7, "a\0日本\0\0".encode("utf-16-le")),
    ("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Favorites",
     2, "%USERPROFILE%\\Favorites\0".encode("utf-16-le")),
    ("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
     'Quote "and" backslash \\', 1, "tab\there\0".encode("utf-16-le")),
    ("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", "ProxyEnable", 4,
     b"\1\0\0\0"),
    ("Software\\Deep\\A\\B\\C\\D\\E\\F", "Leaf", 4, b"\xff\xff\xff\xff"),
]


def check_stored(label, got):
    for path, name, value_type, data in STORED:
        check(got.get(path, {}).get(name) == (value_type, data),
              "%s: [%s] %r is %r" % (label, path, name, got.get(path, {}).get(name)))


def hivex_opens(hive):
    return subprocess.run(["hivexml", str(hive)], capture_output=True).returncode == 0


def check_description(folder):
    top = gen_hive.parse_reg(description())
    for minor in (3, 5):
        hive = folder / ("user-%d.dat" % minor)
        hive.write_bytes(gen_hive.build_hive(top, minor=minor, list_limit=16))
        got = compare("format 1.%d" % minor, top, hive)
        check_stored("format 1.%d" % minor, got)
        check(len(got) > 50, "only %d keys read" % len(got))

    # A regedit file and a hive of one of its keys.
    regedit = folder / "hklm.reg"
    regedit.write_text("Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Opera Software]\n"
                       "\"Last Directory\"=\"C:\\\\Program Files\\\\Opera\"\n\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape 6]\n"
                       "\"CurrentVersion\"=\"6.2.3 (ja)\"\n", encoding="utf-8")
    gen_hive.write_hive(regedit, folder / "software", root="hkey_local_machine\\software")
    compare("regedit file", gen_hive.read_reg(regedit).find("HKEY_LOCAL_MACHINE\\SOFTWARE"),
            folder / "software")

    # A dirty hive opens and reads the same; a damaged one is refused.
    gen_hive.write_hive(folder / "hklm.reg", folder / "dirty", root="HKEY_LOCAL_MACHINE",
                        dirty=True)
    check((folder / "dirty").read_bytes()[4:12] != (folder / "software").read_bytes()[4:12],
          "the dirty hive's sequence numbers are equal")
    compare("dirty hive", gen_hive.read_reg(regedit).find("HKEY_LOCAL_MACHINE"), folder / "dirty")
    for kind in gen_hive.DAMAGES:
        damaged = folder / ("damaged-" + kind)
        gen_hive.write_hive(regedit, damaged, root="HKEY_LOCAL_MACHINE", damage_kind=kind)
        check(not hivex_opens(damaged), "hivex opens the hive damaged by %s" % kind)


def check_drives(folder):
    """Each hive of the sample Windows drives holds the registry text it was written from."""
    for kind, count in (("2000", 4), ("xp", 6), ("7", 6)):
        root = folder / kind
        users = ["太郎", "花子"]
        subprocess.run([sys.executable, gen_demo_system.__file__, "--windows", kind]
                       + [arg for user in users for arg in ("--user", user)]
                       + [str(root), str(folder / "urldb.db"), "1796698800"],
                       check=True, stdout=subprocess.DEVNULL)
        layout = gen_demo_system.Layout(root, kind, users)
        hives = gen_demo_system.hive_files(layout, 0)
        check(len(hives) == count, "%s: %d hives" % (kind, len(hives)))
        for internal, text, key in hives:
            compare("%s %s" % (kind, internal), gen_hive.parse_reg(text).find(key),
                    layout.native(internal))


def main():
    missing = [tool for tool in ("hivexregedit", "hivexml") if not shutil.which(tool)]
    if missing:
        print("check_gen_hive: %s not installed (libwin-hivex-perl, libhivex-bin); skipping"
              % ", ".join(missing))
        return SKIP
    with tempfile.TemporaryDirectory() as folder:
        check_description(Path(folder))
        check_drives(Path(folder))
    for failure in failures:
        print("FAIL", failure)
    print("check_gen_hive: %s" % ("%d failures" % len(failures) if failures else "all agree"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
