#!/usr/bin/env python3
"""Checks the layering of the sources: a file includes only its own layer and the
layers below it, and a core file includes no Qt header.

    check_layers.py ROOT     (ROOT holds src/ and tools/)

Prints one line per broken rule, "path:line: message", and exits 1 if there is any.
"""
import pathlib
import re
import sys

# The layers, from the bottom; folders on one line form one layer. The same order is
# written in design.md.
LAYERS = [
    ("common", "platform"),
    ("files", "instructions"),
    ("task", "questionnaire"),
    ("run",),
    ("sim", "results"),
    ("app",),
    ("tools",),
]
LAYER_OF = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}

# A file whose name ends so may use Qt; so may the program entry points. Every other
# file under src/ is core.
QT_NAME = re.compile(r"_(dialog|window|editor|screens)\.(h|cpp)$")
ENTRY_POINT = "main.cpp"

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^Qt|^Q[A-Z]")


def folder_of(path, root):
    """The layer folder a file belongs to: its folder under src/, or tools."""
    parts = path.relative_to(root).parts
    return parts[1] if parts[0] == "src" and len(parts) > 2 else parts[0]


def check_file(path, root):
    problems = []
    folder = folder_of(path, root)
    own = LAYER_OF.get(folder)
    if own is None:
        return [f"{path.relative_to(root)}:1: the folder '{folder}' has no layer"]
    core = folder != "tools" and not QT_NAME.search(path.name) and path.name != ENTRY_POINT
    text = path.read_text(encoding="utf-8", errors="replace")
    for number, line in enumerate(text.splitlines(), start=1):
        match = INCLUDE.match(line)
        if not match:
            continue
        kind, name = match.groups()
        where = f"{path.relative_to(root)}:{number}"
        if kind == '"':
            target = name.split("/")[0] if "/" in name else None
            if target is None:
                problems.append(f'{where}: #include "{name}" names no folder')
            elif target not in LAYER_OF:
                problems.append(f'{where}: #include "{name}": the folder \'{target}\' has no layer')
            elif LAYER_OF[target] > own:
                problems.append(f'{where}: #include "{name}": {folder} may not include {target}, a higher layer')
        elif core and QT_HEADER.match(name):
            problems.append(f"{where}: #include <{name}>: a core file includes a Qt header")
    return problems


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    root = pathlib.Path(sys.argv[1]).resolve()
    files = sorted(p for d in ("src", "tools") for p in (root / d).rglob("*") if p.suffix in (".h", ".cpp"))
    if not files:
        print(f"check_layers: no sources under {root}", file=sys.stderr)
        return 2
    problems = [problem for path in files for problem in check_file(path, root)]
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
