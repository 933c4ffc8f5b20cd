#!/usr/bin/env python3
"""Builds the sample Windows system of `make run` from the readable sources in demo/.

Writes a Wine-prefix-shaped folder (user.reg, system.reg, drive_c) in which every browser
adapter finds its browser, and a Korvadel URL database "urldb.db" whose URLs overlap the
bookmarks:

  Internet Explorer  the user shell folder "Favorites": a tree of .url files
  Netscape 4.x       two users ("taro", "hanako") in C:\\windows\\nsreg.dat, Shift-JIS bookmark.htm
  Netscape 6.x, 7.x  two Mozilla profiles in %APPDATA%\\Mozilla\\registry.dat, one of them under
                     a Japanese folder name, UTF-8 bookmarks.html
  Opera 6            "Last Directory" with opera6.ini (proxy settings) and opera6.adr
  proxies            Internet Settings, prefs.js of two profiles, opera6.ini

Usage: gen_demo_system.py PREFIX URLDB [NOW]
The output depends only on the sources and the time NOW (seconds since 1970, default the
current time): the record times of urldb.db count back from it, so that the time conditions of
the wizard have something to select.
"""

import random
import subprocess
import sys
import time
from pathlib import Path

DEMO = Path(__file__).resolve().parent.parent / "demo"
LIBREG = Path(__file__).resolve().parent / "gen_libreg.py"

USER_HOME = "C:\\users\\demo"
APPDATA = USER_HOME + "\\AppData\\Roaming"
FAVORITES = USER_HOME + "\\Favorites"
NETSCAPE4 = "C:\\Program Files\\Netscape\\Communicator"
NETSCAPE4_USERS = "C:\\Program Files\\Netscape\\Users"
OPERA = "C:\\Program Files\\Opera"
PROXY = "proxy.example.co.jp"

# Netscape 4.x users, Mozilla profiles (name, salted folder, source) and their proxy settings.
NN4_USERS = [("taro", "netscape4-taro.txt", True), ("hanako", "netscape4-hanako.txt", False)]
MOZILLA_PROFILES = [
    ("default", "k3j9x2q1.slt", "mozilla-default.txt", True),
    ("仕事", "p7w2m5d8.slt", "mozilla-work.txt", False),
]

HKCU = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders": [
        ("AppData", "str(2)", APPDATA),
        ("Favorites", "str(2)", FAVORITES),
        ("Personal", "str(2)", USER_HOME + "\\Documents"),
    ],
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings": [
        ("ProxyEnable", "dword", 1),
        ("ProxyServer", "str", f"http={PROXY}:8080;ftp={PROXY}:2121"),
        ("ProxyOverride", "str", "<local>;*.example.co.jp"),
    ],
    "Software\\Opera Software": [("Last Directory", "str", OPERA)],
}

HKLM = {
    "Software\\Netscape\\Netscape Navigator": [("CurrentVersion", "str", "4.79 (ja)")],
    "Software\\Netscape\\Netscape Navigator\\4.79 (ja)\\Main": [
        ("Install Directory", "str", NETSCAPE4),
    ],
    "Software\\Netscape\\Netscape 6": [("CurrentVersion", "str", "6.2.3 (ja)")],
    "Software\\Netscape\\Netscape 6\\6.2.3 (ja)\\Main": [
        ("PathToExe", "str", "C:\\Program Files\\Netscape\\Netscape 6\\Netscp6.exe"),
    ],
    "Software\\Netscape\\Netscape": [("CurrentVersion", "str", "7.02 (ja)")],
    "Software\\Netscape\\Netscape\\7.02 (ja)\\Main": [
        ("PathToExe", "str", "C:\\Program Files\\Netscape\\Netscape\\Netscp.exe"),
    ],
}


# ---- sources -----------------------------------------------------------------------------

def read_outline(name):
    """Entries (depth, kind, name, url) of an outline: kind "folder", "link" or "separator"."""
    entries = []
    for line in (DEMO / name).read_text(encoding="utf-8").splitlines():
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        depth = (len(line) - len(line.lstrip(" "))) // 2 + 1
        text = line.strip()
        if text == "---":
            entries.append((depth, "separator", "", ""))
        elif text.startswith("+ "):
            entries.append((depth, "folder", text[2:].strip(), ""))
        else:
            title, url = (part.strip() for part in text.split("|", 1))
            entries.append((depth, "link", title, url))
    return entries


def links(entries):
    return [(title, url) for _, kind, title, url in entries if kind == "link"]


# ---- the prefix --------------------------------------------------------------------------

class Prefix:
    def __init__(self, root):
        self.root = Path(root)

    def native(self, internal):
        assert internal[:3].upper() == "C:\\"
        return self.root / "drive_c" / internal[3:].replace("\\", "/")

    def write(self, internal, data):
        path = self.native(internal)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        return path


def reg_escape(text):
    out = []
    for ch in text:
        if ch == "\\":
            out.append("\\\\")
        elif ch == '"':
            out.append('\\"')
        elif ord(ch) < 0x20 or ord(ch) > 0x7E:
            out.append("\\x%04x" % ord(ch))
        else:
            out.append(ch)
    return "".join(out)


def write_reg(path, root_comment, keys, stamp):
    lines = ["WINE REGISTRY Version 2", root_comment, "#arch=win32", ""]
    for key in sorted(keys):
        lines.append("[%s] %d" % (key.replace("\\", "\\\\"), stamp))
        for name, kind, value in keys[key]:
            if kind == "dword":
                lines.append('"%s"=dword:%08x' % (reg_escape(name), value))
            elif kind == "str(2)":
                lines.append('"%s"=str(2):"%s"' % (reg_escape(name), reg_escape(value)))
            else:
                lines.append('"%s"="%s"' % (reg_escape(name), reg_escape(value)))
        lines.append("")
    Path(path).write_text("\n".join(lines) + "\n", encoding="ascii")


def sjis(text):
    return text.encode("cp932")


def write_ie_favorites(prefix, entries):
    folders = []
    for depth, kind, title, url in entries:
        del folders[depth - 1:]
        base = "\\".join([FAVORITES] + folders)
        if kind == "folder":
            folders.append(title)
            prefix.native(base + "\\" + title).mkdir(parents=True, exist_ok=True)
        elif kind == "link":
            body = "[DEFAULT]\r\nBASEURL=%s\r\n[InternetShortcut]\r\nURL=%s\r\n" % (url, url)
            prefix.write(base + "\\" + title + ".url", sjis(body))


def netscape_lines(entries, stamp):
    """The bookmark list of a Netscape file, four blanks per level."""
    lines = []
    depth_open = 1
    for depth, kind, title, url in entries:
        while depth_open > depth:
            depth_open -= 1
            lines.append("    " * depth_open + "</DL><p>")
        pad = "    " * depth
        if kind == "folder":
            lines.append('%s<DT><H3 ADD_DATE="%d">%s</H3>' % (pad, stamp, title))
            lines.append(pad + "<DL><p>")
            depth_open += 1
        elif kind == "link":
            lines.append('%s<DT><A HREF="%s" ADD_DATE="%d" LAST_VISIT="%d" LAST_MODIFIED="%d">%s</A>'
                         % (pad, url, stamp, stamp, stamp, title))
        else:
            lines.append(pad + "<HR>")
    while depth_open > 1:
        depth_open -= 1
        lines.append("    " * depth_open + "</DL><p>")
    return lines


def netscape4_file(user, entries, stamp):
    lines = [
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>",
        "<!-- This is an automatically generated file.",
        "It will be read and overwritten.",
        "Do Not Edit! -->",
        "<TITLE>Bookmarks for %s</TITLE>" % user,
        "<H1>Bookmarks for %s</H1>" % user,
        "",
        "<DL><p>",
    ] + netscape_lines(entries, stamp) + ["</DL><p>", ""]
    return sjis("\r\n".join(lines))


def mozilla_file(entries, stamp):
    lines = [
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>",
        "<!-- This is an automatically generated file.",
        "It will be read and overwritten.",
        "Do Not Edit! -->",
        '<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">',
        "<TITLE>Bookmarks</TITLE>",
        "<H1>Bookmarks</H1>",
        "",
        "<DL><p>",
    ] + netscape_lines(entries, stamp) + ["</DL><p>", ""]
    return "\n".join(lines).encode("utf-8")


def prefs_file(with_proxy):
    lines = [
        "# Mozilla User Preferences",
        "",
        'user_pref("browser.startup.homepage", "http://search.example.co.jp/");',
        'user_pref("intl.charset.default", "Shift_JIS");',
    ]
    if with_proxy:
        lines += [
            'user_pref("network.proxy.http", "%s");' % PROXY,
            'user_pref("network.proxy.http_port", 8080);',
            'user_pref("network.proxy.no_proxies_on", "localhost, 127.0.0.1");',
            'user_pref("network.proxy.type", 1);',
        ]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def opera_hotlist(entries, stamp):
    lines = ["Opera Hotlist version 2.0", "Options: encoding = utf8, version=3", ""]
    depth_open = 1
    order = 0
    for depth, kind, title, url in entries:
        while depth_open > depth:
            depth_open -= 1
            lines += ["-", ""]
        order += 1
        if kind == "folder":
            lines += ["#FOLDER", "\tID=%d" % order, "\tNAME=%s" % title,
                      "\tCREATED=%d" % stamp, "\tEXPANDED=YES", ""]
            depth_open += 1
        elif kind == "link":
            lines += ["#URL", "\tID=%d" % order, "\tNAME=%s" % title, "\tURL=%s" % url,
                      "\tCREATED=%d" % stamp, "\tVISITED=%d" % stamp, ""]
    while depth_open > 1:
        depth_open -= 1
        lines += ["-", ""]
    return ("\r\n".join(lines) + "\r\n").encode("utf-8")


def opera_ini(hotlist):
    lines = [
        "Opera Preferences version 2.0",
        "",
        "[User Prefs]",
        "Hot List File Ver2=%s" % hotlist,
        "Language=1041",
        "",
        "[Proxy]",
        "Use HTTP=1",
        "HTTP Server=%s:8080" % PROXY,
        "No Proxy Servers Check=1",
        "No Proxy Servers=localhost;*.example.co.jp",
        "",
    ]
    return sjis("\r\n".join(lines))


def libreg(kind, output, current, profiles, encoding=None):
    command = [sys.executable, str(LIBREG), kind, str(output), "--current", current]
    for name, folder in profiles:
        command += ["--profile", name, folder]
    if encoding:
        command += ["--encoding", encoding]
    subprocess.run(command, check=True)


# ---- the URL database --------------------------------------------------------------------

STATUSES = [200] * 12 + [0, 0, 0, 301, 302, 401, 403, 404, 404, 500, 503]


def urldb_records(bookmarks, now):
    """Records for most bookmarked URLs (every seventh is left out, so that the condition on
    Korvadel's URLs has something to drop) and for a few more pages of the same sites."""
    rng = random.Random(20261209)
    records = {}
    for index, (title, url) in enumerate(bookmarks):
        if index % 7 != 6:
            records.setdefault(url, title)
    for url, title in list(records.items()):
        for i in range(1, 5):
            records.setdefault("%spage%d.html" % (url, i), "%s その%d" % (title, i))
    out = []
    for url in sorted(records, key=lambda u: u.encode("cp932")):
        status = rng.choice(STATUSES)
        first = now - rng.randrange(0, 120 * 86400)
        request = min(now, first + rng.randrange(0, 60 * 86400))
        normal = request if 0 < status < 400 else first
        reference = now - rng.randrange(0, 40 * 86400)
        errors = 0 if 0 < status < 400 else rng.randrange(1, 6)
        out.append([
            url, records[url], "", "HTTP/1.1 %d" % status if status else "", None,
            0, rng.randrange(0, 30), errors, status, first, request, normal, 0, reference,
            0, "", "", 0, 0, 0,
        ])
    return out


def write_urldb(path, records):
    lines = ["size=%d" % len(records)]
    for fields in records:
        for number, value in enumerate(fields):
            if value is None:
                continue
            lines.append("%d,%s" % (number, value))
    Path(path).write_bytes(sjis("\r\n".join(lines) + "\r\n"))


# ---- main --------------------------------------------------------------------------------

def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    prefix = Prefix(sys.argv[1])
    urldb = Path(sys.argv[2])
    now = int(sys.argv[3]) if len(sys.argv) == 4 else int(time.time())
    stamp = now - 30 * 86400

    prefix.root.mkdir(parents=True, exist_ok=True)
    (prefix.root / "drive_c" / "windows").mkdir(parents=True, exist_ok=True)
    write_reg(prefix.root / "user.reg", ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000",
              HKCU, stamp)
    write_reg(prefix.root / "system.reg", ";; All keys relative to \\\\Machine", HKLM, stamp)

    bookmarks = []
    ie = read_outline("favorites-ie.txt")
    write_ie_favorites(prefix, ie)
    bookmarks += links(ie)

    nn4_profiles = []
    for user, source, proxy in NN4_USERS:
        folder = NETSCAPE4_USERS + "\\" + user
        entries = read_outline(source)
        prefix.write(folder + "\\bookmark.htm", netscape4_file(user, entries, stamp))
        prefix.write(folder + "\\prefs.js", prefs_file(proxy))
        nn4_profiles.append((user, folder))
        bookmarks += links(entries)
    libreg("nsreg", prefix.native("C:\\windows\\nsreg.dat"), NN4_USERS[0][0], nn4_profiles)

    mozilla_profiles = []
    for name, salt, source, proxy in MOZILLA_PROFILES:
        folder = APPDATA + "\\Mozilla\\Profiles\\" + name + "\\" + salt
        entries = read_outline(source)
        prefix.write(folder + "\\bookmarks.html", mozilla_file(entries, stamp))
        prefix.write(folder + "\\prefs.js", prefs_file(proxy))
        mozilla_profiles.append((name, folder))
        bookmarks += links(entries)
    registry = prefix.native(APPDATA + "\\Mozilla\\registry.dat")
    registry.parent.mkdir(parents=True, exist_ok=True)
    libreg("registry", registry, MOZILLA_PROFILES[0][0], mozilla_profiles, "utf-8")

    opera = read_outline("opera6.txt")
    prefix.write(OPERA + "\\opera6.adr", opera_hotlist(opera, stamp))
    prefix.write(OPERA + "\\opera6.ini", opera_ini(OPERA + "\\opera6.adr"))
    bookmarks += links(opera)

    urldb.parent.mkdir(parents=True, exist_ok=True)
    records = urldb_records(bookmarks, now)
    write_urldb(urldb, records)
    print("gen_demo_system: %s with %d bookmarks, %s with %d records"
          % (prefix.root, len(bookmarks), urldb, len(records)))


if __name__ == "__main__":
    main()
