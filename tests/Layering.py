#!/usr/bin/env python3
"""Holds the code to its floors.

Every `#include "…"` of TOVREngine/ and Tovrin_for_the_Command_Line/ must point at its own
floor or one beneath it: never up a floor, never across the three screen areas. Given the
floors' libraries (as CTest passes them), it also checks that the build links each floor to
the floors the table puts under it, and that no library needs a symbol only a floor above it
defines.
"""

import argparse
import os
import re
import subprocess
import sys

# What each floor stands on directly; it may use those and everything beneath them. A
# folder's views/ (its widgets) is a floor of its own, above its models. The same order as
# the Layout section of the conventions and as TOVREngine/CMakeLists.txt.
FLOORS = {
    "platform": [],
    "model": ["platform"],
    "services": ["model"],
    "telemetry": ["model"],
    "products": ["services", "telemetry"],
    "demo": ["services"],
    "ui": ["products"],
    "ui/views": ["ui"],
    "workflow": ["ui"],
    "workflow/views": ["workflow", "ui/views"],
    "diagnosis": ["ui"],
    "diagnosis/views": ["diagnosis", "ui/views"],
    "shell": ["workflow", "diagnosis"],
    "shell/views": ["shell", "workflow/views", "diagnosis/views"],
    "demo/views": ["demo", "ui/views"],
    "entry": ["shell/views", "demo/views"],  # Tovrin_for_the_Command_Line/
}

ENGINE = "TOVREngine"
ENTRY = "Tovrin_for_the_Command_Line"
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def beneath(floor):
    """Every floor `floor` may use, itself excepted."""
    seen, todo = set(), list(FLOORS[floor])
    while todo:
        below = todo.pop()
        if below not in seen:
            seen.add(below)
            todo.extend(FLOORS[below])
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


def why(floor, target):
    if floor in beneath(target):
        return f"runs up a floor: {floor} stands beneath {target}"
    return f"runs across: {floor} stands on nothing of {target}"


def check_includes(root):
    faults = []
    for top in (ENGINE, ENTRY):
        for folder, _, names in sorted(os.walk(os.path.join(root, top))):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
                floor = floor_of(path)
                if floor not in FLOORS:
                    faults.append(f"{path}: in no floor of the table")
                    continue
                allowed = beneath(floor) | {floor}
                with open(os.path.join(root, path), encoding="utf-8") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = resolve(root, path, match.group(1))
                        if target is None:
                            continue  # not ours: a generated .moc, a library's header
                        target_floor = floor_of(target)
                        if target_floor not in allowed:
                            faults.append(f'{path}:{number}: #include "{match.group(1)}" '
                                          + why(floor, target_floor))
    return faults


def resolve(root, path, included):
    """The file an include names, as the compiler looks: beside the file, then the engine."""
    for base in (os.path.dirname(path), ENGINE):
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


def check_libraries(nm, libraries):
    faults = []
    targets = {"tovr_" + floor.replace("/", "_"): floor for floor, _, _ in libraries}
    for floor, _, links in libraries:
        if floor not in FLOORS:
            faults.append(f"library of {floor}: in no floor of the table")
            continue
        linked = sorted(targets.get(link, link) for link in links.split(",") if link != "-")
        if linked != sorted(FLOORS[floor]):
            faults.append(f"library of {floor} links {linked or 'nothing of ours'}, "
                          f"the table says {sorted(FLOORS[floor])}")
    tables = {floor: symbols(nm, archive) for floor, archive, _ in libraries}
    for floor, (defined, needed) in tables.items():
        allowed = (beneath(floor) | {floor}) if floor in FLOORS else {floor}
        for name in sorted(needed - defined):
            owners = {other for other, (theirs, _) in tables.items() if name in theirs}
            if owners and not owners & allowed:
                owner = sorted(owners)[0]
                faults.append(f"library of {floor} needs {name}, defined in {owner}: "
                              + why(floor, owner))
    return faults


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--source", required=True, help="the source tree's root")
    parser.add_argument("--nm", help="the nm that reads the libraries")
    parser.add_argument("--floor", nargs=3, action="append", default=[],
                        metavar=("FLOOR", "ARCHIVE", "LINKS"),
                        help="a floor's library and the tovr_ libraries it links, "
                             "comma-separated ('-' for none)")
    args = parser.parse_args()

    faults = check_includes(args.source)
    if args.floor:
        faults += check_libraries(args.nm or "nm", args.floor)
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} arrow(s) outside the floors' table in tests/Layering.py")
        return 1
    print("every include and every library within the floors' table")
    return 0


if __name__ == "__main__":
    sys.exit(main())
