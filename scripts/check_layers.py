#!/usr/bin/env python3
"""Checks the layering of the sources: a file includes only its own layer and the
layers below it, and the folder, never the file name, decides what a file may use.

Each feature folder keeps its core files at its root and its Qt files in a ui/
subfolder; src/app/ and tools/ are Qt as a whole; src/platform/x11/ and
src/platform/wayland/ are the display systems. A core file includes no Qt, X11 or
Wayland header and no file of a ui/ folder or of a display system; a display system
includes no Qt header and no ui/ file. A ui/ file may include its own folder's core, never the reverse.

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
    ("sim", "results", "timing"),
    ("app",),
    ("tools",),
]
LAYER_OF = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}

# The sides of a layer: core (standard library and POSIX), a display system
# (platform/x11, platform/wayland: their own native headers) and Qt (ui/ folders, app, tools).
CORE, NATIVE, QT = "core", "display system", "Qt"
NATIVE_FOLDERS = {("platform", "x11"), ("platform", "wayland")}
QT_FOLDERS = {"app", "tools"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^Qt|^Q[A-Z]")
# X11 and xcb, the Wayland client library and the protocol code wayland-scanner writes.
NATIVE_HEADER = re.compile(r"^(X11|xcb)/|^wayland-|-client-protocol\.h$")


def place_of(parts):
    """The layer folder and the side of a file or include, from its path parts under
    src/ (or tools/)."""
    folder = parts[0]
    if folder in QT_FOLDERS or (len(parts) > 2 and parts[1] == "ui"):
        return folder, QT
    if len(parts) > 2 and (folder, parts[1]) in NATIVE_FOLDERS:
        return folder, NATIVE
    return folder, CORE


def folder_of(path, root):
    """The layer folder a file belongs to, and its side."""
    parts = path.relative_to(root).parts
    if parts[0] == "src" and len(parts) > 2:
        return place_of(parts[1:])
    return place_of(parts)


def check_file(path, root):
    problems = []
    folder, side = folder_of(path, root)
    own = LAYER_OF.get(folder)
    if own is None:
        return [f"{path.relative_to(root)}:1: the folder '{folder}' has no layer"]
    text = path.read_text(encoding="utf-8", errors="replace")
    for number, line in enumerate(text.splitlines(), start=1):
        match = INCLUDE.match(line)
        if not match:
            continue
        kind, name = match.groups()
        where = f"{path.relative_to(root)}:{number}"
        if kind == '"':
            if "/" not in name:
                problems.append(f'{where}: #include "{name}" names no folder')
                continue
            target, target_side = place_of(name.split("/"))
            if target not in LAYER_OF:
                problems.append(f'{where}: #include "{name}": the folder \'{target}\' has no layer')
            elif LAYER_OF[target] > own:
                problems.append(f'{where}: #include "{name}": {folder} may not include {target}, a higher layer')
            elif side != QT and target_side != CORE and target_side != side:
                problems.append(f'{where}: #include "{name}": a {side} file includes a {target_side} file')
        elif side != QT and QT_HEADER.match(name):
            problems.append(f"{where}: #include <{name}>: a {side} file includes a Qt header")
        elif side == CORE and NATIVE_HEADER.match(name):
            problems.append(f"{where}: #include <{name}>: a core file includes a display system's header")
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
