#!/usr/bin/python3
"""Checks that the folders of src/ include each other downwards only.

Usage:  /usr/bin/python3 scripts/check_floors.py SRC_DIR

Every folder of the source tree sits on one floor; a file may include a
header of its own folder, of a folder on a lower floor, or of another folder
of its own floor as long as no two folders end up including each other
(directly or round a longer loop). An include that climbs a floor, a loop
between folders, or a folder no floor is given for is a problem. Includes
that name no file of the tree (system and toolkit headers) are not looked
at. Prints "floors ok" and exits 0 when the tree keeps to this; otherwise
prints every problem and exits 1.

Before it reads the real tree, the check runs itself on small made-up trees
with a known fault each, so a check that has stopped seeing anything fails
too.
"""

import os
import re
import sys
import tempfile

# Bottom first. A folder belongs to the floor of its first path component;
# runtime/files, runtime/posix and runtime/win32 are the runtime floor.
FLOORS = [
    ["runtime"],
    ["titles", "desktop", "cover", "donation"],
    ["settings"],
    ["launch"],
    ["window"],
    ["view"],
]
FLOOR_OF = {top: level for level, tops in enumerate(FLOORS) for top in tops}

SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc", ".c", ".inc", ".rc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def floor(folder):
    return FLOOR_OF.get(folder.split("/")[0])


def folder_of(path):
    folder = os.path.dirname(path)
    return folder if folder else "."


def read_includes(src):
    """(including file, included file) for every include naming a file of
    src, both relative to src with forward slashes."""
    files = []
    for root, _dirs, names in os.walk(src):
        for name in names:
            if name.endswith(SOURCE_ENDINGS):
                files.append(os.path.relpath(os.path.join(root, name), src).replace(os.sep, "/"))
    known = set(files)
    edges = []
    for path in sorted(files):
        with open(os.path.join(src, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for target in INCLUDE.findall(text):
            # The tree's own style names headers from src/; a name beside the
            # including file is looked up there too.
            beside = os.path.normpath(os.path.join(os.path.dirname(path), target)).replace(
                os.sep, "/")
            if target in known:
                edges.append((path, target))
            elif beside in known:
                edges.append((path, beside))
    return files, edges


def loops(graph):
    """The groups of folders that reach each other (Tarjan's strongly
    connected components with more than one folder)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(node):
        index[node] = low[node] = counter[0]
        counter[0] += 1
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                top = stack.pop()
                on_stack.discard(top)
                group.append(top)
                if top == node:
                    break
            if len(group) > 1:
                found.append(sorted(group))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def problems_in(src):
    files, edges = read_includes(src)
    problems = []
    for folder in sorted({folder_of(path) for path in files}):
        if floor(folder) is None:
            problems.append(f"{folder}/: no floor is given for this folder")
    graph = {}
    for path, target in edges:
        a, b = folder_of(path), folder_of(target)
        if a == b:
            continue
        graph.setdefault(a, set()).add(b)
        fa, fb = floor(a), floor(b)
        if fa is not None and fb is not None and fb > fa:
            problems.append(f"{path}: includes {target}, a floor up ({a} -> {b})")
    for group in loops(graph):
        problems.append("folders include each other: " + ", ".join(group))
    return problems


def write_tree(root, files):
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write(text)


# Made-up trees, each with the problems the check must report.
SELF_CASES = [
    ("a sound tree", {
        "runtime/Text.h": "#include <string>\n",
        "runtime/posix/Files.cpp": '#include "runtime/Text.h"\n',
        "settings/Ini.h": '#include "runtime/Text.h"\n#include "Local.h"\n',
        "settings/Local.h": "",
        "view/qt/Main.cpp": '#include "settings/Ini.h"\n#include <QWidget>\n',
    }, 0),
    ("an include a floor up", {
        "runtime/Text.h": '#include "settings/Ini.h"\n',
        "settings/Ini.h": "",
    }, 1),
    ("a loop on one floor", {
        "cover/A.h": '#  include "desktop/B.h"\n',
        "desktop/B.h": '#include "cover/A.h"\n',
    }, 1),
    ("a loop inside the runtime floor", {
        "runtime/Files.h": '#include "runtime/posix/Spawn.h"\n',
        "runtime/posix/Spawn.h": '#include "runtime/Files.h"\n',
    }, 1),
    ("a folder on no floor", {
        "misc/Thing.h": "",
    }, 1),
]


def self_test():
    failures = []
    for name, files, want in SELF_CASES:
        with tempfile.TemporaryDirectory() as root:
            write_tree(root, files)
            got = problems_in(root)
        if len(got) != want:
            failures.append(f"self-test, {name}: {len(got)} problems, want {want}: {got}")
    return failures


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    problems = self_test() + problems_in(argv[1])
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print("floors ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
