#!/usr/bin/env python3
"""Holds the code to its floors.

The table of floors is the build's own: each floor's library and the floors it links, as
CTest passes them (the tovr_floor calls of TOVREngine/CMakeLists.txt and the application's
links). Every include of TOVREngine/ and Tovrin_for_the_Command_Line/, quoted or in angle
brackets, must point at its own floor or one beneath it: never up a floor, never across the
screen areas. No library may need a symbol only a floor above it defines, and each link must
carry something the floor uses of that floor itself.
"""

import argparse
import os
import re
import subprocess
import sys

ENGINE = "TOVREngine"
ENTRY = "Tovrin_for_the_Command_Line"
SOURCES = (".h", ".hh", ".hpp", ".c", ".cc", ".cpp", ".cxx", ".m", ".mm")
INCLUDE = re.compile(r'^\s*#\s*(?:include|import)\s*([<"])([^>"]+)[>"]')
# The screen areas stand side by side on ui/; only shell/ reaches them.
SIDE_BY_SIDE = ("workflow", "diagnosis")


def area(floor):
    return floor.split("/")[0]


def beneath(table, floor):
    """Every floor `floor` may use, itself excepted."""
    seen, todo = set(), list(table.get(floor, []))
    while todo:
        below = todo.pop()
        if below not in seen:
            seen.add(below)
            todo.extend(table.get(below, []))
    return seen


def floor_of(path):
    """The floor of a path relative to the source root; None outside our code."""
    parts = path.split("/")
    if parts[0] == ENTRY:
        return "entry"
    if parts[0] != ENGINE or len(parts) < 3:
        return None
    if len(parts) > 3 and parts[2] == "views":
        return parts[1] + "/views"
    return parts[1]


def why(table, floor, target):
    if floor in beneath(table, target):
        return f"runs up a floor: {floor} stands beneath {target}"
    return f"runs across: {floor} stands on nothing of {target}"


def check_table(table):
    """What the table itself must keep, whatever it lists."""
    faults = []
    for floor in sorted(table):
        under = beneath(table, floor)
        if floor in under:
            faults.append(f"{floor} stands on itself through its links")
        if not floor.endswith("/views") and floor != "entry":
            faults += [f"{floor} is drawn by nothing, yet stands on the widgets of {below}"
                       for below in sorted(under) if below.endswith("/views")]
        for other in SIDE_BY_SIDE:
            if area(floor) in SIDE_BY_SIDE and area(floor) != other:
                faults += [f"{floor} stands on {below}: the screen areas stand side by side"
                           for below in sorted(under) if area(below) == other]
    return faults


def check_includes(root, table, used):
    faults = []
    for top in (ENGINE, ENTRY):
        for folder, _, names in sorted(os.walk(os.path.join(root, top))):
            for name in sorted(names):
                if not name.endswith(SOURCES):
                    continue
                path = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
                floor = floor_of(path)
                if floor not in table:
                    faults.append(f"{path}: in no floor of the table")
                    continue
                allowed = beneath(table, floor) | {floor}
                with open(os.path.join(root, path), encoding="utf-8") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        quoted, included = match.group(1) == '"', match.group(2)
                        target = resolve(root, path, included, quoted)
                        if target is None:
                            continue  # not ours: a generated .moc, a library's header
                        target_floor = floor_of(target)
                        used.setdefault(floor, set()).add(target_floor)
                        if target_floor not in allowed:
                            shown = f'"{included}"' if quoted else f"<{included}>"
                            faults.append(f"{path}:{number}: #include {shown} "
                                          + why(table, floor, target_floor))
    return faults


def resolve(root, path, included, quoted):
    """The file an include names, as the compiler looks: a quoted one beside the file first,
    then both in the engine."""
    for base in ((os.path.dirname(path),) if quoted else ()) + (ENGINE,):
        candidate = os.path.normpath(os.path.join(base, included)).replace(os.sep, "/")
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


SYMBOL = re.compile(r"^(?:[0-9a-fA-F]+)?\s+([A-Za-z])\s+(.+)$")


def symbols(nm, archive):
    """(defined, needed): the external symbols an archive defines and those it leaves open."""
    output = subprocess.run([nm, "-g", "-C", archive], check=True, capture_output=True,
                            text=True).stdout
    defined, needed = set(), set()
    for line in output.splitlines():
        match = SYMBOL.match(line)
        if not match:
            continue
        kind, name = match.groups()
        if kind == "U":
            needed.add(name)
        elif kind not in "wv":
            defined.add(name)
    return defined, needed


def check_symbols(nm, archives, table, used):
    faults = []
    tables = {floor: symbols(nm, archive) for floor, archive in archives.items()}
    for floor, (defined, needed) in tables.items():
        allowed = beneath(table, floor) | {floor}
        for name in sorted(needed - defined):
            owners = {other for other, (theirs, _) in tables.items() if name in theirs}
            used.setdefault(floor, set()).update(owners)
            if owners and not owners & allowed:
                owner = sorted(owners)[0]
                faults.append(f"library of {floor} needs {name}, defined in {owner}: "
                              + why(table, floor, owner))
    return faults


def check_links(table, used):
    """A link that carries nothing of its own floor only passes others through."""
    return [f"{floor} links {below} and uses nothing of it: link what it uses directly"
            for floor in sorted(table) for below in table[floor]
            if below not in used.get(floor, set())]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--source", required=True, help="the source tree's root")
    parser.add_argument("--nm", default="nm", help="the nm that reads the libraries")
    parser.add_argument("--floor", nargs=3, action="append", required=True,
                        metavar=("FLOOR", "ARCHIVE", "LINKS"),
                        help="a floor, its library ('-' for one linked whole) and the tovr_ "
                             "libraries it links, comma-separated ('-' for none)")
    args = parser.parse_args()

    targets = {"tovr_" + floor.replace("/", "_"): floor for floor, _, _ in args.floor}
    table = {floor: [targets.get(link, link) for link in links.split(",") if link != "-"]
             for floor, _, links in args.floor}
    archives = {floor: archive for floor, archive, _ in args.floor if archive != "-"}

    used = {}
    faults = check_table(table)
    faults += check_includes(args.source, table, used)
    faults += check_symbols(args.nm, archives, table, used)
    faults += check_links(table, used)
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} arrow(s) outside the table of floors (TOVREngine/CMakeLists.txt)")
        return 1
    print("every include, symbol and link within the table of floors")
    return 0


if __name__ == "__main__":
    sys.exit(main())
