#!/usr/bin/env python3
"""Fails when a C++ include runs upward or sideways between the source folders, or round in a loop
between the units of one folder (a unit: a header and its source, by their name).

Every folder has a floor; a file may include its own folder and the floors below it. A folder's
tests are a room of their own that nothing but other tests includes: they may also use the whole
core (numtext to app is one library, and the handlers' tests start from the window's texts) and
the folder's own subfolders (nec/tests runs the native engine). Floors hold no two folders that
include each other, so no cycle can form. A new folder must be given a floor here (and in
docs/source-layout.md) before its files pass.

Usage: layering.py SOURCE_DIR
"""
import pathlib
import re
import sys

FLOORS = {
    "numtext": 0,
    "wiresize": 1, "dimensions": 1,
    "app": 2,
    "nec": 3, "vna": 3,
    "nec/native": 4, "nec/report": 4, "sheet": 4, "vna/model": 4,
    # The front-ends: leaves that nothing includes.
    "cli": 5, "web": 5, "desktop": 5,
    # What drives or measures the front-ends from outside.
    "tests": 6, "bench": 6, "fuzz": 6, "e2e": 6,
}
CORE_TOP = "app"
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def folder_of(relative: str):
    """The longest folder of FLOORS that holds the path, and whether it is one of that folder's tests."""
    parts = relative.split("/")
    for n in range(len(parts) - 1, 0, -1):
        folder = "/".join(parts[:n])
        if folder in FLOORS:
            return folder, "tests" in parts[n:-1]
    return None, False


def faults(root: pathlib.Path):
    for path in sorted(root.rglob("*")):
        if path.suffix not in (".cpp", ".h") or not path.is_file():
            continue
        relative = path.relative_to(root).as_posix()
        if relative.startswith(("build", ".")):
            continue
        folder, is_test = folder_of(relative)
        if folder is None:
            yield f"{relative}: in no folder with a floor"
            continue
        for included in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            target, _ = folder_of(included)
            if target is None or target == folder:
                continue  # a header beside the file, or the folder's own
            if FLOORS[target] < FLOORS[folder]:
                continue
            if is_test and (target.startswith(folder + "/") or FLOORS[target] <= FLOORS[CORE_TOP]):
                continue
            way = "upward" if FLOORS[target] > FLOORS[folder] else "sideways"
            yield f"{relative}: includes {included}, {way} from {folder} (floor {FLOORS[folder]}) to {target} (floor {FLOORS[target]})"


def loops(root: pathlib.Path):
    """Each loop of includes among one folder's units (tests aside), once, as the units it goes through."""
    arrows = {}
    for path in sorted(root.rglob("*")):
        relative = path.relative_to(root).as_posix()
        if path.suffix not in (".cpp", ".h") or relative.startswith(("build", ".")):
            continue
        folder, is_test = folder_of(relative)
        if folder is None or is_test:
            continue
        unit = relative.rsplit(".", 1)[0]
        for included in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            target = included.rsplit(".", 1)[0]
            if target != unit and folder_of(included)[0] == folder:
                arrows.setdefault(unit, set()).add(target)
    seen = set()
    def walk(unit, trail):
        for target in sorted(arrows.get(unit, ())):
            if target in trail:
                loop = trail[trail.index(target):]
                key = frozenset(loop)
                if key not in seen:
                    seen.add(key)
                    yield " -> ".join(loop + [target])
            elif target not in done:
                yield from walk(target, trail + [target])
        done.add(unit)
    done = set()
    for unit in sorted(arrows):
        if unit not in done:
            for loop in walk(unit, [unit]):
                yield f"{loop}: these units include each other round a loop"


def main() -> int:
    root = pathlib.Path(sys.argv[1]).resolve()
    missing = [f for f in FLOORS if not (root / f).is_dir()]
    found = list(faults(root)) + list(loops(root)) + [f"{f}/: has a floor but is not there" for f in missing]
    for fault in found:
        print(fault)
    print(f"{0 if found else 1} passed, {1 if found else 0} failed")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
