#!/usr/bin/env python3
"""Builds the sample Windows system of `make run` and `make run-windows` from the readable
sources in demo/, either as a Wine prefix or as the folder that was drive C: of a Windows 2000,
XP or 7 installation, holding the same facts:

  Internet Explorer  the user shell folder "Favorites": a tree of .url files
  Netscape 4.x       two users ("taro", "hanako") in nsreg.dat of the Windows folder, Shift-JIS
                     bookmark.htm
  Netscape 6.x, 7.x  two Mozilla profiles in %APPDATA%\\Mozilla\\registry.dat, one of them under
                     a Japanese folder name, UTF-8 bookmarks.html
  Opera 6            "Last Directory" with opera6.ini (proxy settings) and opera6.adr
  proxies            Internet Settings, prefs.js of two profiles, opera6.ini

and a Korvadel URL database "urldb.db" whose URLs overlap the bookmarks.

The Wine prefix holds user.reg, system.reg and drive_c (user "demo" in C:\\users\\demo). The
Windows drive holds the registry as hives (tools/gen_hive.py) written from the same registry
text, with the names in the case Windows creates them:

  2000  as xp, but the Windows folder is WINNT, the hives are of format 1.3 (lf subkey lists) and
        there are no profiles of services
  xp    WINDOWS\\system32\\config\\software, WINDOWS\\nsreg.dat,
        Documents and Settings\\<user>\\NTUSER.DAT, ...\\Favorites, ...\\Application Data\\Mozilla,
        the profiles All Users, Default User, LocalService and NetworkService
  7     Windows\\System32\\config\\SOFTWARE, Windows\\nsreg.dat, Users\\<user>\\NTUSER.DAT,
        ...\\AppData\\Roaming\\Mozilla, the profiles Default and Public, the services' profiles
        in Windows\\ServiceProfiles

The first user (default 太郎, a Japanese logon name, so its profile folder has a Japanese name)
has every browser; each further user only an NTUSER.DAT and one favorite. In the registry the
user shell folders are REG_EXPAND_SZ "%USERPROFILE%\\...", as Windows writes them; opera6.ini names
its hotlist in capitals ("C:\\PROGRAM FILES\\OPERA\\opera6.adr"), so that a reader must find
it without regard to case, as Windows does.

Usage: gen_demo_system.py PREFIX URLDB [NOW]
       gen_demo_system.py --windows 2000|xp|7 [--user NAME]... ROOT URLDB [NOW]
The output depends only on the sources, the options and the time NOW (seconds since 1970,
default the current time): the record times of urldb.db count back from it, so that the time
conditions of the wizard have something to select.
"""

import argparse
import random
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import gen_hive  # noqa: E402

DEMO = Path(__file__).resolve().parent.parent / "demo"
LIBREG = Path(__file__).resolve().parent / "gen_libreg.py"

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

USER_SHELL_FOLDERS = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"
SHELL_FOLDERS = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
PROFILE_LIST = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList"
WINDOWS_USER_SID = "S-1-5-21-1004336348-1177238915-682003330-%d"


class Layout:
    """Where one kind of system keeps things: internal paths (C:\\...) of the Windows folder and
    of a user's profile folders, and how an internal path maps to a file of the output."""

    def __init__(self, root, kind, users):
        self.root = Path(root)
        self.kind = kind  # "prefix", "2000", "xp" or "7"
        self.nt5 = kind in ("2000", "xp")  # Documents and Settings, Application Data
        self.users = users
        self.drive = self.root / "drive_c" if kind == "prefix" else self.root
        self.windows = {"prefix": "C:\\windows", "2000": "C:\\WINNT", "xp": "C:\\WINDOWS",
                        "7": "C:\\Windows"}[kind]
        self.profiles = "C:\\Documents and Settings" if self.nt5 else "C:\\Users"

    def home(self, user):
        return "C:\\users\\demo" if self.kind == "prefix" else self.profiles + "\\" + user

    def folders(self, user):
        """The user shell folders: name -> path below the profile folder."""
        if self.nt5:
            return {"AppData": "Application Data", "Favorites": "Favorites",
                    "Local AppData": "Local Settings\\Application Data",
                    "Personal": "My Documents"}
        return {"AppData": "AppData\\Roaming", "Favorites": "Favorites",
                "Local AppData": "AppData\\Local", "Personal": "Documents"}

    def temp(self):
        return "Local Settings\\Temp" if self.nt5 else "AppData\\Local\\Temp"

    def folder(self, user, name):
        return self.home(user) + "\\" + self.folders(user)[name]

    def appdata(self):
        return self.folder(self.users[0], "AppData")

    def favorites(self, user=None):
        return self.folder(user or self.users[0], "Favorites")

    def native(self, internal):
        assert internal[:3].upper() == "C:\\"
        return self.drive / internal[3:].replace("\\", "/")

    def write(self, internal, data):
        path = self.native(internal)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        return path


def hkcu(layout, user):
    """HKEY_CURRENT_USER of a user; the first has the browsers' keys."""
    if layout.kind == "prefix":
        keys = {USER_SHELL_FOLDERS: [
            ("AppData", "str(2)", layout.folder(user, "AppData")),
            ("Favorites", "str(2)", layout.folder(user, "Favorites")),
            ("Personal", "str(2)", layout.home(user) + "\\Documents"),
        ]}
    else:
        names = sorted(layout.folders(user))
        keys = {
            USER_SHELL_FOLDERS: [(name, "str(2)", "%USERPROFILE%\\" + layout.folders(user)[name])
                                 for name in names],
            SHELL_FOLDERS: [(name, "str", layout.folder(user, name)) for name in names],
            "Environment": [(name, "str(2)", "%USERPROFILE%\\" + layout.temp())
                            for name in ("TEMP", "TMP")],
        }
    if user != layout.users[0]:
        return keys
    keys["Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"] = [
        ("ProxyEnable", "dword", 1),
        ("ProxyServer", "str", f"http={PROXY}:8080;ftp={PROXY}:2121"),
        ("ProxyOverride", "str", "<local>;*.example.co.jp"),
    ]
    keys["Software\\Opera Software"] = [("Last Directory", "str", OPERA)]
    return keys


def hklm(layout):
    """HKEY_LOCAL_MACHINE\\Software: the browsers and, on a Windows drive, the system and its
    profile list."""
    keys = {
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
    if layout.kind == "prefix":
        return keys
    product = {"2000": ("Microsoft Windows 2000", "5.0", "2195", "Service Pack 4"),
               "xp": ("Microsoft Windows XP", "5.1", "2600", "Service Pack 3"),
               "7": ("Windows 7 Professional", "6.1", "7601", "Service Pack 1")}[layout.kind]
    drive_profiles = "%SystemDrive%" + layout.profiles[2:]
    keys["Software\\Microsoft\\Windows NT\\CurrentVersion"] = [
        ("ProductName", "str", product[0]),
        ("CurrentVersion", "str", product[1]),
        ("CurrentBuildNumber", "str", product[2]),
        ("CSDVersion", "str", product[3]),
        ("RegisteredOwner", "str", layout.users[0]),
        ("SystemRoot", "str", layout.windows),
        ("PathName", "str", layout.windows),
    ]
    keys["Software\\Microsoft\\Windows\\CurrentVersion"] = [
        ("ProgramFilesDir", "str", "C:\\Program Files"),
        ("CommonFilesDir", "str", "C:\\Program Files\\Common Files"),
    ]
    if layout.nt5:
        keys[PROFILE_LIST] = [
            ("ProfilesDirectory", "str(2)", drive_profiles),
            ("AllUsersProfile", "str", "All Users"),
            ("DefaultUserProfile", "str", "Default User"),
        ]
        services = "%SystemDrive%\\Documents and Settings\\"
    else:
        keys[PROFILE_LIST] = [
            ("ProfilesDirectory", "str(2)", drive_profiles),
            ("Default", "str(2)", drive_profiles + "\\Default"),
            ("Public", "str(2)", drive_profiles + "\\Public"),
            ("ProgramData", "str(2)", "%SystemDrive%\\ProgramData"),
        ]
        services = "%systemroot%\\ServiceProfiles\\"
    system_profile = "%systemroot%\\system32\\config\\systemprofile"
    sids = [("S-1-5-18", system_profile), ("S-1-5-19", services + "LocalService"),
            ("S-1-5-20", services + "NetworkService")]
    sids += [(WINDOWS_USER_SID % (1003 + i), drive_profiles + "\\" + user)
             for i, user in enumerate(layout.users)]
    for sid, path in sids:
        keys[PROFILE_LIST + "\\" + sid] = [("ProfileImagePath", "str(2)", path),
                                           ("Flags", "dword", 0), ("State", "dword", 0)]
    return keys


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


# ---- the system ---------------------------------------------------------------------------

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


def reg_text(root_comment, keys, stamp):
    """Wine's registry text of `keys` (path -> [(name, kind, value)])."""
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
    return "\n".join(lines) + "\n"


USER_ROOT = ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000"
MACHINE_ROOT = ";; All keys relative to \\\\Machine"


def hive_files(layout, stamp):
    """(internal path, registry text, key of the text the hive holds) of each hive of a
    Windows drive: the machine's software and every profile's NTUSER.DAT."""
    hives = [(layout.windows + ("\\system32\\config\\software" if layout.nt5
                                else "\\System32\\config\\SOFTWARE"),
              reg_text(MACHINE_ROOT, hklm(layout), stamp), "Software")]
    for user in layout.users:
        hives.append((layout.home(user) + "\\NTUSER.DAT",
                      reg_text(USER_ROOT, hkcu(layout, user), stamp), ""))
    for folder in service_profiles(layout):
        hives.append((folder + "\\NTUSER.DAT",
                      reg_text(USER_ROOT, {"Software\\Microsoft": []}, stamp), ""))
    return hives


def service_profiles(layout):
    """The profile folders that belong to no person."""
    if layout.kind == "2000":
        return [layout.profiles + "\\Default User"]
    if layout.kind == "xp":
        return [layout.profiles + "\\" + name
                for name in ("Default User", "LocalService", "NetworkService")]
    return [layout.profiles + "\\Default",
            layout.windows + "\\ServiceProfiles\\LocalService",
            layout.windows + "\\ServiceProfiles\\NetworkService"]


def write_registry(layout, stamp):
    if layout.kind == "prefix":
        (layout.root / "user.reg").write_text(
            reg_text(USER_ROOT, hkcu(layout, layout.users[0]), stamp), encoding="ascii")
        (layout.root / "system.reg").write_text(reg_text(MACHINE_ROOT, hklm(layout), stamp),
                                                encoding="ascii")
        return
    for internal, text, root in hive_files(layout, stamp):
        key = gen_hive.parse_reg(text).find(root)
        name = internal.rsplit("\\", 1)[1]
        layout.write(internal, gen_hive.build_hive(key, time=stamp, file_name=name,
                                                   minor=3 if layout.kind == "2000" else 5))
    for user in layout.users:
        for folder in list(layout.folders(user).values()) + [layout.temp()]:
            layout.native(layout.home(user) + "\\" + folder).mkdir(parents=True, exist_ok=True)
    shared = ["All Users\\Application Data", "All Users\\Documents"] if layout.nt5 \
        else ["Public\\Documents"]
    for folder in shared:
        layout.native(layout.profiles + "\\" + folder).mkdir(parents=True, exist_ok=True)
    if layout.kind == "7":
        layout.native("C:\\ProgramData").mkdir(parents=True, exist_ok=True)


def sjis(text):
    return text.encode("cp932")


def write_ie_favorites(layout, favorites, entries):
    folders = []
    for depth, kind, title, url in entries:
        del folders[depth - 1:]
        base = "\\".join([favorites] + folders)
        if kind == "folder":
            folders.append(title)
            layout.native(base + "\\" + title).mkdir(parents=True, exist_ok=True)
        elif kind == "link":
            body = "[DEFAULT]\r\nBASEURL=%s\r\n[InternetShortcut]\r\nURL=%s\r\n" % (url, url)
            layout.write(base + "\\" + title + ".url", sjis(body))


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

def arguments():
    parser = argparse.ArgumentParser(description="Builds the sample Windows system from demo/: "
                                     "a Wine prefix or a Windows drive, and a urldb.db.",
                                     usage=__doc__[__doc__.index("Usage:") + 7:
                                                   __doc__.index("The output")].strip())
    parser.add_argument("--windows", choices=("2000", "xp", "7"),
                        help="write a Windows drive of this layout instead of a Wine prefix")
    parser.add_argument("--user", action="append",
                        help="a logon user of the Windows drive (default 太郎); repeatable")
    parser.add_argument("root", help="the folder to write the prefix or the drive into")
    parser.add_argument("urldb", help="the Korvadel database to write")
    parser.add_argument("now", nargs="?", type=int, help="seconds since 1970 (default: now)")
    args = parser.parse_args()
    if args.user and not args.windows:
        parser.error("--user needs --windows")
    return args


def main():
    args = arguments()
    layout = Layout(args.root, args.windows or "prefix", args.user or ["太郎"])
    urldb = Path(args.urldb)
    now = args.now if args.now is not None else int(time.time())
    stamp = now - 30 * 86400

    layout.root.mkdir(parents=True, exist_ok=True)
    layout.native(layout.windows).mkdir(parents=True, exist_ok=True)
    write_registry(layout, stamp)

    bookmarks = []
    ie = read_outline("favorites-ie.txt")
    write_ie_favorites(layout, layout.favorites(), ie)
    bookmarks += links(ie)
    for user in layout.users[1:]:
        write_ie_favorites(layout, layout.favorites(user),
                           [(1, "link", "%sのリンク" % user, "http://www.example.co.jp/links/")])

    nn4_profiles = []
    for user, source, proxy in NN4_USERS:
        folder = NETSCAPE4_USERS + "\\" + user
        entries = read_outline(source)
        layout.write(folder + "\\bookmark.htm", netscape4_file(user, entries, stamp))
        layout.write(folder + "\\prefs.js", prefs_file(proxy))
        nn4_profiles.append((user, folder))
        bookmarks += links(entries)
    libreg("nsreg", layout.native(layout.windows + "\\nsreg.dat"), NN4_USERS[0][0], nn4_profiles)

    mozilla_profiles = []
    for name, salt, source, proxy in MOZILLA_PROFILES:
        folder = layout.appdata() + "\\Mozilla\\Profiles\\" + name + "\\" + salt
        entries = read_outline(source)
        layout.write(folder + "\\bookmarks.html", mozilla_file(entries, stamp))
        layout.write(folder + "\\prefs.js", prefs_file(proxy))
        mozilla_profiles.append((name, folder))
        bookmarks += links(entries)
    registry = layout.native(layout.appdata() + "\\Mozilla\\registry.dat")
    registry.parent.mkdir(parents=True, exist_ok=True)
    libreg("registry", registry, MOZILLA_PROFILES[0][0], mozilla_profiles, "utf-8")

    opera = read_outline("opera6.txt")
    layout.write(OPERA + "\\opera6.adr", opera_hotlist(opera, stamp))
    hotlist = OPERA.upper() if layout.kind != "prefix" else OPERA
    layout.write(OPERA + "\\opera6.ini", opera_ini(hotlist + "\\opera6.adr"))
    bookmarks += links(opera)

    urldb.parent.mkdir(parents=True, exist_ok=True)
    records = urldb_records(bookmarks, now)
    write_urldb(urldb, records)
    print("gen_demo_system: %s with %d bookmarks, %s with %d records"
          % (layout.root, len(bookmarks), urldb, len(records)))


if __name__ == "__main__":
    main()
