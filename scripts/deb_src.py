#!/usr/bin/env python3
"""Prints the deb-src entries (deb822) for the Debian archive this machine's
sources list already names: every enabled `deb` entry of this release's
suites (bookworm, bookworm-updates, bookworm-security...), copied with its
own URIs, components and Signed-By (apt refuses one archive named with two
different keys), and typed deb-src. Other archives are left out: they may
serve no source packages. Prints nothing when the list holds none."""
import glob
import os
import sys

OURS = "tavro-deb-src.sources"


def codename():
    with open("/etc/os-release", encoding="utf-8") as f:
        for line in f:
            key, _, value = line.strip().partition("=")
            if key == "VERSION_CODENAME":
                return value.strip('"')
    return ""


def of_release(suite, release):
    return suite == release or suite.startswith(release + "-") or suite.startswith(release + "/")


def one_line_entries(text):
    """The `deb` lines of a one-line sources file, as deb822 stanzas."""
    names = {"signed-by": "Signed-By", "trusted": "Trusted"}
    for line in text.splitlines():
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        kind, words = words[0], words[1:]
        options = {}
        if words and words[0].startswith("["):
            joined = " ".join(words)
            inside, _, rest = joined[1:].partition("]")
            words = rest.split()
            for option in inside.split():
                key, _, value = option.partition("=")
                if key in names:
                    options[names[key]] = value.replace(",", " ")
        if len(words) < 2:
            continue
        stanza = {"Types": kind, "URIs": words[0], "Suites": words[1],
                  "Components": " ".join(words[2:])}
        stanza.update(options)
        yield stanza


def deb822_entries(text):
    """The stanzas of a deb822 sources file, with continuation lines joined
    (a Signed-By may hold a whole key) and comments dropped."""
    stanza, key = {}, None
    for line in text.splitlines() + [""]:
        if line.startswith("#"):
            continue
        if not line.strip():
            if stanza:
                yield stanza
            stanza, key = {}, None
        elif line[0] in " \t" and key:
            stanza[key] += "\n" + line
        else:
            key, _, value = line.partition(":")
            key = key.strip()
            stanza[key] = value.strip()


def entries():
    files = ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list"))
    for name in files:
        if os.path.isfile(name):
            with open(name, encoding="utf-8") as f:
                yield from one_line_entries(f.read())
    for name in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
        if os.path.basename(name) != OURS:
            with open(name, encoding="utf-8") as f:
                yield from deb822_entries(f.read())


def main():
    release = codename()
    if not release:
        return 1
    all_entries = list(entries())
    # An archive and suite that already has its deb-src needs none from us.
    have = set()
    for e in all_entries:
        if "deb-src" in e.get("Types", "").split():
            for uri in e.get("URIs", "").split():
                for suite in e.get("Suites", "").split():
                    have.add((uri.rstrip("/"), suite))
    out = []
    for e in all_entries:
        if "deb" not in e.get("Types", "").split() or e.get("Enabled", "yes").lower() == "no":
            continue
        uris = e.get("URIs", "").split()
        suites = [s for s in e.get("Suites", "").split() if of_release(s, release)
                  and not all((u.rstrip("/"), s) in have for u in uris)]
        if not uris or not suites:
            continue
        lines = ["Types: deb-src", "URIs: " + " ".join(uris), "Suites: " + " ".join(suites)]
        for key, value in e.items():
            if key not in ("Types", "URIs", "Suites", "Architectures", "Enabled"):
                lines.append("%s: %s" % (key, value))
        out.append("\n".join(lines))
    if out:
        sys.stdout.write("\n\n".join(out) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
