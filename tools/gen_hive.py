#!/usr/bin/env python3
"""Writes a binary registry hive (the files below system32\\config and NTUSER.DAT) from registry
text: Wine's "WINE REGISTRY Version 2" files (user.reg, system.reg) or regedit files
("REGEDIT4", "Windows Registry Editor Version 5.00").

The hive is laid out as Windows lays out a freshly written one:

  base block (4096 bytes)  "regf", the two sequence numbers, the time, version 1.3 or 1.5, the
      offset of the root key, the size of the hive bins, the file name (UTF-16LE) and the
      checksum at 0x1fc: the XOR of the 127 dwords before it
  hive bins                "hbin" blocks of 4096 bytes or a multiple, holding cells; a cell is
      its size (negative while in use, a multiple of 8) and its record; offsets count from the
      first bin
  nk  a key: flags (0x20 name in Latin-1, 0x2c on the root), time, parent, subkey and value
      counts and lists, its security cell, the longest names and data, the name
  vk  a value: name, data size (bit 31: up to 4 bytes held in the offset field), data offset,
      type, flags (1: name in Latin-1)
  lh  (1.5) or lf (1.3) subkey lists sorted by upper-case name, with their name hashes; a key
      with more subkeys than one list holds gets an ri list of lists
  db  (1.5) data beyond 16344 bytes, in segments
  sk  one security descriptor shared by every key (SYSTEM and Administrators full control,
      Everyone read)

Names are stored in Latin-1 with the compressed flag when every character fits, else in
UTF-16LE; string data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) is UTF-16LE with its terminating
zero, as Windows stores it.

Usage:
  gen_hive.py INPUT|- -o OUTPUT [--root KEY] [--root-name NAME] [--time SECONDS]
      [--minor 3|5] [--list-limit N] [--dirty] [--damage checksum|truncate|magic]

--root names the key of INPUT whose content becomes the hive, for example "Software" of a Wine
system.reg for config\\software, or "HKEY_CURRENT_USER" of a regedit file for NTUSER.DAT; the
default is the top of INPUT (a Wine user.reg as it is). --dirty writes a hive whose sequence
numbers differ, as one left by a write that did not finish; --damage writes one that a reader
must refuse. The output is the same for the same input and options.

As a module: parse_reg(text) -> Key, Key.find(path), build_hive(key, ...) -> bytes,
write_hive(input_path, output_path, root=..., ...).
"""

import argparse
import struct
import sys
from pathlib import Path

REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 0, 1, 2, 3, 4, 7
STRING_TYPES = (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ)

BLOCK = 4096
BIN_HEADER = 32
NO_CELL = 0xFFFFFFFF
BIG_DATA_SEGMENT = 16344
DEFAULT_TIME = 1104537600  # 2005-01-01 00:00:00 UTC
EPOCH_DIFFERENCE = 11644473600  # seconds from 1601-01-01 to 1970-01-01

KEY_HIVE_ENTRY, KEY_NO_DELETE, KEY_COMP_NAME = 0x04, 0x08, 0x20
VALUE_COMP_NAME = 0x01

WINE_HEADER = "WINE REGISTRY Version 2"
REGEDIT_HEADERS = ("REGEDIT4", "Windows Registry Editor Version 5.00")


def filetime(seconds):
    return (int(seconds) + EPOCH_DIFFERENCE) * 10_000_000


def fold(name):
    return name.upper()


# ---- the key tree ------------------------------------------------------------------------

class Key:
    """A key: its name, values in the order given (name, type, data bytes) and subkeys."""

    def __init__(self, name):
        self.name = name
        self.time = None  # FILETIME, None for the hive's time
        self.values = {}  # folded name -> (name, type, data)
        self.children = {}  # folded name -> Key

    def child(self, name):
        key = self.children.get(fold(name))
        if key is None:
            key = self.children[fold(name)] = Key(name)
        return key

    def path(self, path):
        """The key at a backslash-separated path below this one, created when missing."""
        key = self
        for part in split_path(path):
            key = key.child(part)
        return key

    def find(self, path):
        """The key at a path below this one (names compared without case), or None."""
        key = self
        for part in split_path(path):
            key = key.children.get(fold(part))
            if key is None:
                return None
        return key

    def set(self, name, value_type, data):
        self.values[fold(name)] = (name, value_type, bytes(data))

    def walk(self, prefix=""):
        """(path, key) for this key and every key below it, parents first."""
        yield prefix, self
        for child in self.children.values():
            yield from child.walk(prefix + "\\" + child.name if prefix else child.name)


def split_path(path):
    return [part for part in path.split("\\") if part]


def utf16(text):
    return text.encode("utf-16-le", "surrogatepass")


def string_data(text):
    """REG_SZ data as Windows stores it: UTF-16LE with the terminating zero."""
    return utf16(text) + b"\0\0"


# ---- registry text -----------------------------------------------------------------------

WINE_ESCAPES = {"a": 7, "b": 8, "t": 9, "n": 10, "v": 11, "f": 12, "r": 13, "e": 27}


def unescape(line, pos, delimiter, wine):
    """The escaped text from pos up to the unescaped delimiter and the position after it.
    Wine's files escape every unit beyond ASCII (\\xHHHH, octal, C letters); regedit files
    only the backslash and the quote."""
    out = []
    while pos < len(line):
        c = line[pos]
        pos += 1
        if c == delimiter:
            return "".join(out), pos
        if c != "\\" or (not wine and delimiter == "]"):
            out.append(c)
            continue
        if pos >= len(line):
            break
        e = line[pos]
        pos += 1
        if wine and e in WINE_ESCAPES:
            out.append(chr(WINE_ESCAPES[e]))
        elif wine and e == "x":
            digits = ""
            while len(digits) < 4 and pos < len(line) and line[pos] in "0123456789abcdefABCDEF":
                digits += line[pos]
                pos += 1
            out.append(chr(int(digits, 16)) if digits else "x")
        elif wine and e in "01234567":
            digits = e
            while len(digits) < 3 and pos < len(line) and line[pos] in "01234567":
                digits += line[pos]
                pos += 1
            out.append(chr(int(digits, 8)))
        else:
            out.append(e)
    raise ValueError("unterminated text: %r" % line)


def parse_hex(text):
    text = text.replace("\\", "").replace(" ", "").replace("\t", "").strip(",")
    return bytes(int(byte, 16) for byte in text.split(",")) if text else b""


def parse_data(data, wine):
    """(type, bytes) of the text after "=", or None for a deletion ("-")."""
    if data == "-":
        return None
    if data.startswith('"') or data.startswith("str"):
        value_type, pos = REG_SZ, 1
        if not data.startswith('"'):
            if data.startswith("str:"):
                pos = 4
            else:
                close = data.index("):")
                value_type, pos = int(data[4:close], 16), close + 2
            if data[pos:pos + 1] != '"':
                raise ValueError("no string after %r" % data[:pos])
            pos += 1
        text, _ = unescape(data, pos, '"', wine)
        if value_type == REG_MULTI_SZ:
            return value_type, utf16(text) + b"\0\0"
        return value_type, string_data(text)
    if data.startswith("dword:"):
        return REG_DWORD, struct.pack("<I", int(data[6:].strip(), 16))
    if data.startswith("hex:"):
        return REG_BINARY, parse_hex(data[4:])
    if data.startswith("hex("):
        close = data.index("):")
        return int(data[4:close], 16), parse_hex(data[close + 2:])
    raise ValueError("unknown data: %r" % data)


def decode_text(raw):
    if raw.startswith(b"\xff\xfe"):
        return raw[2:].decode("utf-16-le")
    if raw.startswith(b"\xef\xbb\xbf"):
        raw = raw[3:]
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return raw.decode("cp932")


def logical_lines(text):
    """Lines with hex continuations (a trailing backslash) joined."""
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        line = lines[i].rstrip()
        i += 1
        while line.endswith("\\") and "=hex" in line and i < len(lines):
            line = line[:-1] + lines[i].strip()
            i += 1
        yield line


def parse_reg(text):
    """The key tree of registry text; the top Key stands for the file's root."""
    lines = logical_lines(text)
    header = next(lines, "").strip()
    if header == WINE_HEADER:
        wine = True
    elif header in REGEDIT_HEADERS:
        wine = False
    else:
        raise ValueError("not registry text: %r" % header)
    top = Key("")
    key = None
    for line in lines:
        stripped = line.lstrip()
        if not stripped or stripped[0] == ";":
            continue
        if stripped.startswith("#time=") and key is not None:
            key.time = int(stripped[6:], 16)
            continue
        if stripped[0] == "#":
            continue
        if stripped[0] == "[":
            path, pos = unescape(stripped, 1, "]", wine)
            if path.startswith("-"):
                key = None
                continue
            key = top.path(path)
            stamp = stripped[pos:].strip()
            if wine and stamp.isdigit():
                key.time = filetime(int(stamp))
            continue
        if key is None:
            continue
        if stripped[0] == "@":
            name, pos = "", 1
        elif stripped[0] == '"':
            name, pos = unescape(stripped, 1, '"', wine)
        else:
            continue
        if stripped[pos:pos + 1] != "=":
            raise ValueError("no '=' in %r" % line)
        parsed = parse_data(stripped[pos + 1:].strip(), wine)
        if parsed is None:
            key.values.pop(fold(name), None)
        else:
            key.set(name, *parsed)
    return top


def read_reg(path):
    """The key tree of a registry file; "-" reads standard input."""
    raw = sys.stdin.buffer.read() if str(path) == "-" else Path(path).read_bytes()
    return parse_reg(decode_text(raw))


# ---- the hive ----------------------------------------------------------------------------

def stored_name(name):
    """The name's bytes and whether they are compressed (Latin-1)."""
    if all(ord(c) < 0x100 for c in name):
        return name.encode("latin-1"), True
    return utf16(name), False


def upcase_unit(unit):
    upper = chr(unit).upper()
    return ord(upper) if len(upper) == 1 and ord(upper) < 0x10000 else unit


def name_units(name):
    raw = utf16(name)
    return [raw[i] | raw[i + 1] << 8 for i in range(0, len(raw), 2)]


def lh_hash(name):
    value = 0
    for unit in name_units(name):
        value = (value * 37 + upcase_unit(unit)) & 0xFFFFFFFF
    return value


def lf_hint(name):
    units = name_units(name)[:4]
    return bytes((unit if unit < 0x100 else 0) for unit in units).ljust(4, b"\0")


def sort_key(name):
    return [upcase_unit(unit) for unit in name_units(name)]


def sid(authority, *subs):
    return struct.pack("<BB", 1, len(subs)) + struct.pack(">Q", authority)[2:] + \
        b"".join(struct.pack("<I", s) for s in subs)


def security_descriptor():
    """Self-relative: owner Administrators, group SYSTEM, a DACL inherited by subkeys."""
    system, admins, everyone = sid(5, 18), sid(5, 32, 544), sid(1, 0)
    aces = b""
    for mask, who in ((0xF003F, system), (0xF003F, admins), (0x20019, everyone)):
        body = struct.pack("<I", mask) + who
        aces += struct.pack("<BBH", 0, 0x02, 4 + len(body)) + body
    dacl = struct.pack("<BBHHH", 2, 0, 8 + len(aces), 3, 0) + aces
    owner_at = 20
    group_at = owner_at + len(admins)
    dacl_at = group_at + len(system)
    head = struct.pack("<BBHIIII", 1, 0, 0x8004, owner_at, group_at, 0, dacl_at)
    return head + admins + system + dacl


class Bins:
    """The hive bins: cells appended in order, a new bin begun when one does not fit."""

    def __init__(self, stamp):
        self.buf = bytearray()
        self.bin_start = 0
        self.bin_end = 0
        self.stamp = stamp

    def alloc(self, record):
        size = (4 + len(record) + 7) & ~7
        if len(self.buf) + size > self.bin_end:
            self.close_bin()
            self.bin_start = len(self.buf)
            bin_size = (BIN_HEADER + size + BLOCK - 1) // BLOCK * BLOCK
            self.bin_end = self.bin_start + bin_size
            self.buf += b"hbin" + struct.pack("<IIQQI", self.bin_start, bin_size, 0,
                                                self.stamp if self.bin_start == 0 else 0, 0)
        offset = len(self.buf)
        self.buf += struct.pack("<i", -size) + record + bytes(size - 4 - len(record))
        return offset

    def close_bin(self):
        rest = self.bin_end - len(self.buf)
        if rest > 0:
            self.buf += struct.pack("<i", rest) + bytes(rest - 4)

    def patch(self, offset, fmt, *values):
        struct.pack_into(fmt, self.buf, offset, *values)

    def finish(self):
        self.close_bin()
        return bytes(self.buf)


class HiveWriter:
    def __init__(self, stamp, minor, list_limit):
        self.bins = Bins(stamp)
        self.stamp = stamp
        self.minor = minor
        self.list_limit = list_limit
        self.sk = None
        self.keys = 0

    def write_key(self, key, parent, root=False):
        name, compressed = stored_name(key.name)
        flags = (KEY_COMP_NAME if compressed else 0) | (KEY_HIVE_ENTRY | KEY_NO_DELETE if root else 0)
        record = b"nk" + struct.pack("<HQIIIIIIIIIIHHIIIIHH", flags, key.time or self.stamp, 0,
                                     parent, 0, 0, NO_CELL, NO_CELL, 0, NO_CELL, NO_CELL, NO_CELL,
                                     0, 0, 0, 0, 0, 0, len(name), 0) + name
        nk = self.bins.alloc(record)
        self.keys += 1
        if self.sk is None:
            self.sk = self.bins.alloc(b"sk" + struct.pack("<HIIII", 0, 0, 0, 0,
                                                          len(security_descriptor()))
                                      + security_descriptor())
            self.bins.patch(self.sk + 8, "<II", self.sk, self.sk)  # a ring of one
        self.bins.patch(nk + 48, "<I", self.sk)

        values = list(key.values.values())
        if values:
            cells = [self.write_value(*value) for value in values]
            self.bins.patch(nk + 40, "<II", len(cells),
                            self.bins.alloc(b"".join(struct.pack("<I", c) for c in cells)))
        children = sorted(key.children.values(), key=lambda k: sort_key(k.name))
        if children:
            cells = [self.write_key(child, nk) for child in children]
            self.bins.patch(nk + 24, "<I", len(cells))
            self.bins.patch(nk + 32, "<I", self.write_subkey_list(children, cells))
        self.bins.patch(nk + 56, "<H", max([len(c.name) * 2 for c in children], default=0))
        self.bins.patch(nk + 64, "<II", max([len(v[0]) * 2 for v in values], default=0),
                        max([len(v[2]) for v in values], default=0))
        return nk

    def write_subkey_list(self, children, cells):
        lists = []
        for start in range(0, len(cells), self.list_limit):
            part = list(zip(children, cells))[start:start + self.list_limit]
            if self.minor >= 5:
                entries = b"".join(struct.pack("<II", cell, lh_hash(child.name))
                                   for child, cell in part)
                lists.append(self.bins.alloc(b"lh" + struct.pack("<H", len(part)) + entries))
            else:
                entries = b"".join(struct.pack("<I", cell) + lf_hint(child.name)
                                   for child, cell in part)
                lists.append(self.bins.alloc(b"lf" + struct.pack("<H", len(part)) + entries))
        if len(lists) == 1:
            return lists[0]
        return self.bins.alloc(b"ri" + struct.pack("<H", len(lists))
                               + b"".join(struct.pack("<I", c) for c in lists))

    def write_value(self, name, value_type, data):
        stored, compressed = stored_name(name)
        vk = self.bins.alloc(b"vk" + struct.pack("<HIIIHH", len(stored), 0, 0, value_type,
                                                 VALUE_COMP_NAME if compressed and name else 0, 0)
                             + stored)
        if len(data) <= 4:
            self.bins.patch(vk + 8, "<I4s", len(data) | 0x80000000, data.ljust(4, b"\0"))
        elif len(data) > BIG_DATA_SEGMENT and self.minor >= 5:
            segments = [self.bins.alloc(data[i:i + BIG_DATA_SEGMENT])
                        for i in range(0, len(data), BIG_DATA_SEGMENT)]
            segment_list = self.bins.alloc(b"".join(struct.pack("<I", s) for s in segments))
            db = self.bins.alloc(b"db" + struct.pack("<HII", len(segments), segment_list, 0))
            self.bins.patch(vk + 8, "<II", len(data), db)
        else:
            self.bins.patch(vk + 8, "<II", len(data), self.bins.alloc(data))
        return vk

    def finish(self):
        self.bins.patch(self.sk + 16, "<I", self.keys)
        return self.bins.finish()


def checksum(header):
    value = 0
    for (word,) in struct.iter_unpack("<I", header[:0x1FC]):
        value ^= word
    return value


def build_hive(root, time=DEFAULT_TIME, root_name="$$$PROTO.HIV", file_name="", minor=5,
               list_limit=1012, sequence=(1, 1)):
    """The bytes of a hive holding `root` (a Key) and everything below it; `root_name` replaces
    its name. `time` (seconds since 1970) stamps the header and the keys without a time of
    their own; `sequence` holds the header's two sequence numbers."""
    stamp = filetime(time)
    writer = HiveWriter(stamp, minor, list_limit)
    top = Key(root_name)
    top.values, top.children, top.time = root.values, root.children, root.time
    root_cell = writer.write_key(top, 0, root=True)
    bins = writer.finish()
    header = bytearray(BLOCK)
    struct.pack_into("<4sIIQIIIIIII", header, 0, b"regf", sequence[0], sequence[1], stamp, 1,
                     minor, 0, 1, root_cell, len(bins), 1)
    name = utf16(file_name[-31:])
    header[0x30:0x30 + len(name)] = name
    struct.pack_into("<I", header, 0x1FC, checksum(header))
    return bytes(header) + bins


DAMAGES = ("checksum", "truncate", "magic")


def damage(hive, kind):
    """A copy of a hive that a reader must refuse: a wrong checksum, cut in its first bin, or
    without its signature."""
    data = bytearray(hive)
    if kind == "checksum":
        data[0x1FC] ^= 0x01
        return bytes(data)
    if kind == "truncate":
        return bytes(data[:BLOCK + BLOCK // 2])
    if kind == "magic":
        data[0:4] = b"regX"
        return bytes(data)
    raise ValueError("unknown damage: %s" % kind)


def write_hive(input_path, output_path, root="", dirty=False, damage_kind=None, **options):
    """Reads registry text from input_path and writes the hive of its key `root`."""
    top = read_reg(input_path)
    key = top.find(root)
    if key is None:
        raise ValueError("%s holds no key %r" % (input_path, root))
    options.setdefault("file_name", Path(output_path).name)
    hive = build_hive(key, sequence=(2, 1) if dirty else (1, 1), **options)
    if damage_kind:
        hive = damage(hive, damage_kind)
    Path(output_path).parent.mkdir(parents=True, exist_ok=True)
    Path(output_path).write_bytes(hive)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("input", help="registry text (Wine .reg or regedit file); - for stdin")
    parser.add_argument("-o", "--output", required=True, help="the hive file to write")
    parser.add_argument("--root", default="", help="the key whose content becomes the hive")
    parser.add_argument("--root-name", default="$$$PROTO.HIV", help="the root key's name")
    parser.add_argument("--file-name", help="the name in the header (default: OUTPUT's name)")
    parser.add_argument("--time", type=int, default=DEFAULT_TIME,
                        help="seconds since 1970 for the header and keys without a time")
    parser.add_argument("--minor", type=int, choices=(3, 5), default=5,
                        help="format 1.3 (lf lists, no big data) or 1.5 (lh lists)")
    parser.add_argument("--list-limit", type=int, default=1012,
                        help="subkeys per list before an ri list of lists")
    parser.add_argument("--dirty", action="store_true", help="unequal sequence numbers")
    parser.add_argument("--damage", choices=DAMAGES, help="write a hive to be refused")
    args = parser.parse_args()
    options = dict(root_name=args.root_name, time=args.time, minor=args.minor,
                   list_limit=max(1, args.list_limit))
    if args.file_name is not None:
        options["file_name"] = args.file_name
    try:
        write_hive(args.input, args.output, args.root, args.dirty, args.damage, **options)
    except (OSError, ValueError) as error:
        sys.exit("gen_hive: %s" % error)


if __name__ == "__main__":
    main()
