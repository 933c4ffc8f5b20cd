#!/usr/bin/env python3
"""Writes a profile registry in the libreg layout: "nsreg.dat" or "registry.dat".

Netscape 4.x keeps its user list in "nsreg.dat" in the Windows folder; Mozilla and
Netscape 6.x/7.x keep theirs in "%APPDATA%\\Mozilla\\registry.dat". Both are libreg files:

  header (128 bytes reserved): magic 0x76644441, version 1.2 (two 16-bit numbers), the end
      of the used area and the offset of the root node, all little-endian
  node (32 bytes): location, name offset, name length (16-bit, terminator included),
      type (16-bit: 1 key, 0x11 string, 0x12 32-bit integers), next sibling, first child
      (for a value: the room of its data), first value (for a value: its data offset),
      value length, parent

Every node is appended as libreg appends it: its name (zero-terminated), then for a value
its data, then the node itself. So each value name is followed directly by its data.

  nsreg     /Common/Netscape/ProfileManager/LastNetscapeUser (the current user)
            /Users/<name>/ProfileLocation (the profile folder), strings in code page 932
  registry  /Common/Profiles/CurrentProfile (the current profile)
            /Common/Profiles/<name>/directory, migrated, CreationTime and LastModTime,
            strings in UTF-8

The output is the same for the same arguments.

Usage:
  gen_libreg.py nsreg OUTPUT [--current NAME] [--profile NAME FOLDER]...
  gen_libreg.py registry OUTPUT [--current NAME] [--profile NAME FOLDER]...
      [--encoding utf-8|cp932]
"""

import argparse
import struct

MAGIC = 0x76644441
VERSION = (1, 2)
HEADER_SIZE = 128
NODE_SIZE = 32

TYPE_KEY = 0x01
TYPE_STRING = 0x11
TYPE_INT32 = 0x12

# A fixed time, so that the output does not change from run to run.
CREATION_TIME = 1042000000


class Node:
    def __init__(self, name, node_type, data=b""):
        self.name = name
        self.type = node_type
        self.data = data
        self.children = []  # subkeys, in creation order
        self.values = []  # values, in creation order
        self.location = 0
        self.parent = None

    def key(self, name):
        for child in self.children:
            if child.name == name:
                return child
        child = Node(name, TYPE_KEY)
        child.parent = self
        self.children.append(child)
        return child

    def path(self, path):
        node = self
        for name in path.split("/"):
            if name:
                node = node.key(name)
        return node

    def value(self, name, node_type, data):
        entry = Node(name, node_type, data)
        entry.parent = self
        self.values.append(entry)
        return entry


class Writer:
    """Lays out nodes in creation order: name, data, node."""

    def __init__(self, encoding):
        self.encoding = encoding
        self.body = bytearray(HEADER_SIZE)
        self.order = []  # nodes in the order they were laid out
        self.name_offsets = {}
        self.data_offsets = {}

    def lay_out(self, node):
        self.name_offsets[id(node)] = len(self.body)
        self.body += node.name.encode(self.encoding) + b"\0"
        if node.type != TYPE_KEY:
            self.data_offsets[id(node)] = len(self.body)
            self.body += node.data
        node.location = len(self.body)
        self.body += bytes(NODE_SIZE)
        self.order.append(node)
        for child in node.values + node.children:
            self.lay_out(child)

    def fill(self, node):
        def sibling(nodes, index):
            return nodes[index + 1].location if index + 1 < len(nodes) else 0

        parent = node.parent.location if node.parent else 0
        name_length = len(node.name.encode(self.encoding)) + 1
        if node.type == TYPE_KEY:
            family = node.parent.children if node.parent else [node]
            left = sibling(family, family.index(node))
            down = node.children[0].location if node.children else 0
            value = node.values[0].location if node.values else 0
            length = 0
        else:
            family = node.parent.values
            left = sibling(family, family.index(node))
            down = len(node.data)  # the room of the data
            value = self.data_offsets[id(node)]
            length = len(node.data)
        struct.pack_into(
            "<IIHHIIIII", self.body, node.location, node.location,
            self.name_offsets[id(node)], name_length, node.type, left, down, value,
            length, parent)

    def finish(self, root):
        for node in self.order:
            self.fill(node)
        struct.pack_into("<IHHII", self.body, 0, MAGIC, VERSION[0], VERSION[1],
                         len(self.body), root.location)
        return bytes(self.body)


def string_data(text, encoding):
    return text.encode(encoding) + b"\0"


def build(kind, current, profiles, encoding):
    root = Node("/", TYPE_KEY)
    if kind == "nsreg":
        users = root.path("Users")
        manager = root.path("Common/Netscape/ProfileManager")
        if current is not None:
            manager.value("LastNetscapeUser", TYPE_STRING, string_data(current, encoding))
        for name, folder in profiles:
            users.key(name).value("ProfileLocation", TYPE_STRING,
                                  string_data(folder, encoding))
        root.path("Version Registry")
    else:
        registry_profiles = root.path("Common/Profiles")
        if current is not None:
            registry_profiles.value("CurrentProfile", TYPE_STRING,
                                    string_data(current, encoding))
        for name, folder in profiles:
            key = registry_profiles.key(name)
            key.value("directory", TYPE_STRING, string_data(folder, encoding))
            key.value("migrated", TYPE_STRING, string_data("no", encoding))
            key.value("CreationTime", TYPE_INT32, struct.pack("<I", CREATION_TIME))
            key.value("LastModTime", TYPE_INT32, struct.pack("<I", CREATION_TIME))
        root.path("Version Registry")
    writer = Writer(encoding)
    writer.lay_out(root)
    return writer.finish(root)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("kind", choices=("nsreg", "registry"))
    parser.add_argument("output")
    parser.add_argument("--current", help="the current user or profile")
    parser.add_argument("--profile", nargs=2, action="append", default=[],
                        metavar=("NAME", "FOLDER"),
                        help="a profile name and its folder")
    parser.add_argument("--encoding",
                        help="encoding of the strings: cp932 for nsreg, utf-8 for registry")
    args = parser.parse_args()
    encoding = args.encoding or ("cp932" if args.kind == "nsreg" else "utf-8")
    for name, _ in args.profile:
        if not name or "/" in name:
            parser.error("a profile name is not empty and holds no '/': %r" % name)
    data = build(args.kind, args.current, args.profile, encoding)
    with open(args.output, "wb") as output:
        output.write(data)


if __name__ == "__main__":
    main()
