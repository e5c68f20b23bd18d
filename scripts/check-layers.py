#!/usr/bin/env python3
"""Fails, naming the include, when a source file includes a header of a
folder its layer may not use: every include between folders points down.

The allowed arrows are the table LAYERS below, from the bottom up: each folder
names the folders it may include. A folder may always include its own headers.
The table itself must have no cycle. Folders marked without Qt may include no
Qt header. tests/, bench/ and fuzz/ stand beside the layers and may include
any of them, but no layer may include them.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# folder: (the folders it may include, whether it may use Qt)
WAVEDOC = ["wavedoc/reading", "wavedoc/chunks", "wavedoc/document"]
LAYERS = {
    "text": ([], False),
    "wavedoc/reading": (["text"], False),
    "wavedoc/chunks": (["wavedoc/reading", "text"], False),
    "wavedoc/document": (["wavedoc/chunks", "wavedoc/reading", "text"], False),
    "formats": (["wavedoc/reading", "text"], False),
    "sound": (["formats"] + WAVEDOC + ["text"], False),
    "wavecheck": (WAVEDOC + ["formats", "text"], False),
    "rows": (WAVEDOC + ["text"], False),
    "chunkinfo": (["rows", "formats"] + WAVEDOC + ["text"], False),
    "report": (["chunkinfo", "rows", "wavecheck", "sound", "formats"] + WAVEDOC + ["text"], False),
    "mend": (["report", "wavecheck"] + WAVEDOC + ["text"], False),
    "diff": (["report", "chunkinfo", "rows", "wavecheck", "sound", "formats"] + WAVEDOC + ["text"], False),
    "ui/widgets": (["rows", "text"], True),
    "ui/info": ([], True),
    "ui/sound": (["ui/widgets", "report", "wavecheck", "sound"] + WAVEDOC + ["text"], True),
    "ui/structure": (["ui/sound", "ui/widgets", "diff", "mend", "report", "chunkinfo", "rows", "wavecheck", "sound"] + WAVEDOC + ["text"], True),
    "ui/main": (["ui/structure", "ui/info", "ui/widgets", "report", "rows", "wavecheck"] + WAVEDOC
                + ["text"], True),
    "app/dump": (["diff", "mend", "report", "wavecheck", "sound"] + WAVEDOC + ["text"], False),
    "app": (["ui/main", "ui/widgets", "ui/info"], True),
}
BESIDE = ["tests", "bench", "fuzz"]

INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)[>"]')


def folder_of(path):
    """The layer a file of the repository belongs to, or None."""
    parent = path.parent.relative_to(ROOT).as_posix()
    if parent.split("/")[0] in BESIDE:
        return parent.split("/")[0]
    return parent if parent in LAYERS else None


def included_folder(including, name):
    """The folder of the header `name` that `including` includes with quotes."""
    beside = including.parent / name
    target = beside if beside.exists() else ROOT / name
    if not target.exists():
        return None  # generated (moc, version) or from outside the repository
    return folder_of(target.resolve())


def cycle_in_table():
    state = {}

    def visit(folder, trail):
        if state.get(folder) == "done":
            return None
        if state.get(folder) == "open":
            return trail[trail.index(folder):] + [folder]
        state[folder] = "open"
        for lower in LAYERS[folder][0]:
            found = visit(lower, trail + [folder])
            if found:
                return found
        state[folder] = "done"
        return None

    for folder in LAYERS:
        found = visit(folder, [])
        if found:
            return found
    return None


def main():
    problems = []
    cycle = cycle_in_table()
    if cycle:
        problems.append("check-layers.py: the table of layers has a cycle: " + " -> ".join(cycle))
    unknown = [f for layer in LAYERS.values() for f in layer[0] if f not in LAYERS]
    problems += [f"check-layers.py: the table names an unknown folder {f}" for f in unknown]

    sources = [p for p in ROOT.rglob("*") if p.suffix in (".cpp", ".h") and "build" not in p.relative_to(ROOT).parts]
    checked = 0
    for path in sorted(sources):
        folder = folder_of(path)
        if folder is None:
            if path.relative_to(ROOT).parts[0] not in ("build",):
                problems.append(f"{path.relative_to(ROOT)}: lies in no folder of the layer table")
            continue
        checked += 1
        allowed, uses_qt = LAYERS.get(folder, (None, True))
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            where = f"{path.relative_to(ROOT)}:{number}"
            kind, name = match.groups()
            if kind == "<":
                if not uses_qt and re.match(r"Q[A-Za-z]", name):
                    problems.append(f"{where}: {folder}/ uses no Qt, yet includes <{name}>")
                continue
            target = included_folder(path, name)
            if target is None or target == folder:
                continue
            if folder in BESIDE:
                continue
            if target in BESIDE:
                problems.append(f"{where}: {folder}/ includes {name}, from {target}/ beside the layers")
            elif target not in allowed:
                problems.append(f"{where}: {folder}/ may not include {name} ({target}/ is not below it)")
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        return 1
    print(f"check-layers: {checked} files, every include between folders points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
