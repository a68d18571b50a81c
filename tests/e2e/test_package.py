"""The Debian package CPack made from this build: its control fields, its files
and lintian's verdict; unpacked into a scratch root with dpkg -x, the command
answers --help and --version from any folder without a display, finds its data
and shows the scene of the source tree, and with its data folder removed or
out of reach still opens its window, naming each file it misses as the
program does today."""

import glob
import gzip
import os
import re
import shutil
import subprocess
import tempfile

import brennoc_e2e
from brennoc_e2e import Xvfb, check, differing_pixels, first_picture

PACKAGE_DIR = os.environ.get("BRENNOC_PACKAGE_DIR", "")
VERSION = os.environ.get("BRENNOC_VERSION", "")
SOURCE_DIR = os.environ.get("BRENNOC_SOURCE_DIR", "")
# What Coin and the program's readers say about a file they cannot read.
MISSING = re.compile(r"couldn't find|could not be read|Could not find|cannot open|[Uu]nreadable"
                     r"|not read:")
# The program's line about the folder it was started in, and the launcher's.
FOLDER_LINE = "Brennoc: its data files are not in "
LAUNCHER_LINE = re.compile(r"^brennoc: cannot enter the data folder (\S+) \((.*)\); "
                           r"starting without its files$")
NOBODY = 65534


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, timeout=300, **kwargs)


def the_package():
    arch = run(["dpkg", "--print-architecture"]).stdout.strip()
    name = "brennoc_%s_%s.deb" % (VERSION, arch)
    found = [os.path.basename(p) for p in glob.glob(os.path.join(PACKAGE_DIR, "*.deb"))]
    check(found == [name], "CPack made one package, named %s (found %s)" % (name, found))
    return os.path.join(PACKAGE_DIR, name)


def fields(deb):
    out = run(["dpkg-deb", "-f", deb]).stdout
    values, key = {}, None
    for line in out.splitlines():
        if line.startswith(" ") and key:
            values[key] += "\n" + line
        elif ":" in line:
            key, value = line.split(":", 1)
            values[key] = value.strip()
    return values


def needed_libraries(binary):
    out = run(["objdump", "-p", binary]).stdout
    return re.findall(r"^\s*NEEDED\s+(\S+)", out, re.M)


def owners(soname):
    """The installed packages holding a file of this name."""
    out = run(["dpkg-query", "-S", "*/" + soname]).stdout
    names = set()
    for line in out.splitlines():
        if ": " in line and not line.startswith("diversion "):
            names |= {p.split(":")[0] for p in line.split(": ", 1)[0].split(", ")}
    return names


def control_fields(deb, root):
    values = fields(deb)
    check(values.get("Package") == "brennoc" and values.get("Version") == VERSION,
          "package brennoc, version %s as the project's (got %s %s)"
          % (VERSION, values.get("Package"), values.get("Version")))
    check(values.get("Section") in ("games", "education"),
          "section games or education (got %r)" % values.get("Section"))
    check("<" in values.get("Maintainer", "") and "@" in values.get("Maintainer", ""),
          "a maintainer with an address (%r)" % values.get("Maintainer"))
    description = values.get("Description", "").split("\n")
    check(len(description) > 3 and description[0] and len(description[0]) < 80,
          "a short description and a long one (%r)" % description[:2])
    depends = {re.split(r"[ (]", d.strip())[0] for d in values.get("Depends", "").split(",")}
    # Every library the program links is brought by a package it depends on.
    binary = os.path.join(root, "usr", "libexec", "brennoc", "brennoc")
    unmet = [lib for lib in needed_libraries(binary) if not owners(lib) & depends]
    check(not unmet and len(depends) > 3,
          "the dependencies cover every library the program links (not covered: %s; "
          "Depends: %s)" % (unmet, sorted(depends)))

    with open(os.path.join(SOURCE_DIR, "packaging", "changelog")) as changelog:
        first = changelog.readline()
    check(first.startswith("brennoc (%s) " % VERSION),
          "packaging/changelog starts with this version (%r)" % first.strip())


def files_and_checks(deb, root):
    listing = run(["dpkg-deb", "-c", deb]).stdout
    for path in ["usr/bin/brennoc", "usr/libexec/brennoc/brennoc",
                 "usr/share/brennoc/models/Ufo1.wrl", "usr/share/brennoc/Building/dum1.txt",
                 "usr/share/brennoc/Texture/skybox/1.jpg",
                 "usr/share/applications/brennoc.desktop",
                 "usr/share/metainfo/brennoc.metainfo.xml", "usr/share/man/man6/brennoc.6.gz",
                 "usr/share/doc/brennoc/copyright", "usr/share/doc/brennoc/changelog.gz"] + \
            ["usr/share/icons/hicolor/%dx%d/apps/brennoc.png" % (s, s) for s in (48, 128, 256)]:
        check(re.search(r" \./%s$" % re.escape(path), listing, re.M), "the package holds /" + path)
    check(all(line.split()[1] == "root/root" for line in listing.splitlines()),
          "every file belongs to root")
    for size in (48, 128, 256):
        icon = os.path.join(root, "usr/share/icons/hicolor/%dx%d/apps/brennoc.png" % (size, size))
        got = run(["identify", "-format", "%wx%h", icon]).stdout
        check(got == "%dx%d" % (size, size), "the %d icon is %d pixels square (%s)"
              % (size, size, got))

    desktop = run(["desktop-file-validate",
                   os.path.join(root, "usr/share/applications/brennoc.desktop")])
    check(desktop.returncode == 0 and "error" not in desktop.stdout,
          "desktop-file-validate accepts the menu entry (%s)" % desktop.stdout.strip())
    metainfo = run(["appstreamcli", "validate", "--no-net",
                    os.path.join(root, "usr/share/metainfo/brennoc.metainfo.xml")])
    with open(os.path.join(root, "usr/share/metainfo/brennoc.metainfo.xml")) as xml:
        component = xml.read()
    check(not re.search(r"^E:", metainfo.stdout, re.M) and "<caption>" in component,
          "appstreamcli finds no error in the metainfo, which has a screenshot's caption (%s)"
          % metainfo.stdout.strip())
    latest = re.search(r'<release version="([^"]+)"', component)
    check(latest and latest.group(1) == VERSION,
          "the metainfo's latest release is this version (%s)" % (latest and latest.group(1)))

    lintian = run(["lintian", "--fail-on", "error", deb])
    print(lintian.stdout, end="", flush=True)
    check(lintian.returncode == 0 and not re.search(r"^E:", lintian.stdout, re.M),
          "lintian reports no error (%s)" % lintian.stderr.strip()[-300:])


def manual_lists_the_help(root, help_text):
    """The manual page renders without a warning and names every option and
    key the usage text names."""
    with gzip.open(os.path.join(root, "usr/share/man/man6/brennoc.6.gz"), "rt") as page:
        source = page.read()
    check(VERSION in source.split("\n.TH", 1)[1].split("\n", 1)[0],
          "the manual page's title line gives the version")
    page_path = os.path.join(root, "brennoc.6")
    with open(page_path, "w") as out:
        out.write(source)
    rendered = run(["man", "--warnings", "-E", "UTF-8", "-l", page_path],
                   env=dict(os.environ, MANWIDTH="80", MAN_KEEP_FORMATTING="0"))
    check(rendered.returncode == 0 and rendered.stderr == "",
          "man renders the page without a warning (%r)" % rendered.stderr[-300:])
    text = re.sub(".\b", "", rendered.stdout)
    for section in ("SYNOPSIS", "OPTIONS", "KEYS", "GRAPHS", "FILES", "ENVIRONMENT",
                    "EXIT STATUS"):
        check(re.search("^%s$" % section, text, re.M), "the page has a section %s" % section)
    options = set(re.findall(r"(?<![\w-])(--[a-z][a-z-]+|-h\b)", help_text))
    absent = sorted(o for o in options if o not in text)
    check(len(options) > 8 and not absent,
          "the page names each of the %d options --help names (absent: %s)"
          % (len(options), absent))
    keys = re.findall(r"^  ([a-z]|Escape|Up|Left)\b", help_text.split("Keys:")[1], re.M)
    absent = [k for k in keys if not re.search(r"^\s+%s\b" % re.escape(k.upper()
                                                                       if len(k) == 1 else k),
                                               text, re.M)]
    check(len(keys) > 10 and not absent, "the page lists each key of --help (absent: %s)"
          % absent)


def without_display(command, cwd, args):
    return run([command] + args, cwd=cwd, env={"PATH": "/usr/bin:/bin"})


def help_and_version(command, elsewhere):
    result = without_display(command, elsewhere, ["--help"])
    check(result.returncode == 0 and result.stdout.startswith("Usage: brennoc")
          and "--version" in result.stdout and result.stderr == "",
          "the unpacked brennoc --help prints the usage without a display (got %s, %r)"
          % (result.returncode, result.stderr[-300:]))
    version = without_display(command, "/", ["--version"])
    check(version.returncode == 0 and version.stdout == "brennoc %s\n" % VERSION
          and version.stderr == "",
          "brennoc --version prints 'brennoc %s' and ends (got %s, %r, %r)"
          % (VERSION, version.returncode, version.stdout, version.stderr))
    return result.stdout


def missing_lines(err):
    """The lines about files, with the folder the program ran in left out."""
    lines = [re.sub(r"\(from cwd '[^']*'\)", "(from cwd)", line) for line in err.splitlines()
             if MISSING.search(line) and not line.startswith(FOLDER_LINE)]
    return sorted(lines)


def as_user_nobody(scratch):
    """What a run as another user needs: its own runtime and home folder.
    Root passes through a folder's permissions; another user does not."""
    if os.getuid() != 0:
        return None, {}
    home = os.path.join(scratch, "home")
    os.makedirs(home, mode=0o700)
    os.chown(home, NOBODY, NOBODY)
    return NOBODY, {"HOME": home, "XDG_RUNTIME_DIR": home}


def data_folder_gone(xvfb, command, root, scratch, empty):
    """With its data folder removed or out of reach, the command says which
    folder it could not enter and why, and the program names every file it
    misses, each once and as it does when started from a folder without
    data, and opens its window."""
    _, today = first_picture(xvfb, "package_baseline_nodata", brennoc_e2e.BINARY, empty)
    expected = missing_lines(today)
    check(len(expected) >= 8, "started from a folder without data, the program names the "
          "files it misses (%d lines)" % len(expected))
    data = os.path.join(root, "usr", "share", "brennoc")
    moved = os.path.join(scratch, "moved-data")
    user, env = as_user_nobody(scratch)

    cases = [("removed", "it does not exist", lambda: os.rename(data, moved),
              lambda: os.rename(moved, data))]
    if user is not None or os.getuid() != 0:
        cases.append(("unreadable", "permission denied", lambda: os.chmod(data, 0),
                      lambda: os.chmod(data, 0o755)))
    else:
        print("note: running as root without setpriv, the unreadable folder is not tried")
    for name, reason, damage, repair in cases:
        damage()
        try:
            _, err = first_picture(xvfb, "package_data_" + name, command, empty,
                                   extra_env=env, user=user)
        finally:
            repair()
        said = [LAUNCHER_LINE.match(line) for line in err.splitlines()]
        said = [m for m in said if m]
        check(len(said) == 1 and said[0].group(1) == os.path.realpath(data)
              and said[0].group(2) == reason,
              "data folder %s: one line names the folder and says '%s' (%r)"
              % (name, reason, err.splitlines()[:2]))
        got = missing_lines(err)
        check(got == expected, "data folder %s: the program names each missing file once, as "
              "today (extra %s, lacking %s)" % (name, sorted(set(got) - set(expected))[:3],
                                               sorted(set(expected) - set(got))[:3]))
        check(len(got) == len(set(got)), "data folder %s: no file is named twice" % name)


def main():
    check(bool(PACKAGE_DIR and VERSION and SOURCE_DIR and brennoc_e2e.BINARY),
          "the package folder, version, source and program are given")
    deb = the_package()
    with tempfile.TemporaryDirectory() as scratch:
        os.chmod(scratch, 0o755)
        root = os.path.join(scratch, "root")
        elsewhere = os.path.join(scratch, "elsewhere")
        os.makedirs(elsewhere)
        unpacked = run(["dpkg", "-x", deb, root])
        check(unpacked.returncode == 0, "dpkg -x unpacks the package (%s)" % unpacked.stderr)
        os.chmod(root, 0o755)
        control_fields(deb, root)
        files_and_checks(deb, root)
        command = os.path.join(root, "usr", "bin", "brennoc")
        help_text = help_and_version(command, elsewhere)
        manual_lists_the_help(root, help_text)

        with Xvfb() as xvfb:
            in_tree, err = first_picture(xvfb, "package_tree", brennoc_e2e.BINARY,
                                         brennoc_e2e.DATA_DIR)
            check(not missing_lines(err), "the program in the source tree finds every file")
            unpacked_shot, err = first_picture(xvfb, "package_unpacked", command, elsewhere)
            check(not missing_lines(err) and FOLDER_LINE not in err,
                  "the unpacked command, started elsewhere, finds its data (%r)"
                  % missing_lines(err)[:3])
            differ = differing_pixels(in_tree, unpacked_shot)
            check(differ == 0, "it shows the source tree's scene (%d pixels differ)" % differ)
            data_folder_gone(xvfb, command, root, scratch, elsewhere)
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
