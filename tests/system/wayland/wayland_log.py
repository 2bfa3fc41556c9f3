"""Reads the protocol log of a Wayland client (WAYLAND_DEBUG=1 on its standard error),
which shows what the compositor told the client: where the pointer was over its
surfaces, which surface had the keyboard, and the pointer constraints it made.

    wayland_log.py LOG focus             the surface with the keyboard now ("" for none)
    wayland_log.py LOG surface TITLE     the surface of the toplevel titled TITLE, the last made
    wayland_log.py LOG toplevels         the number of toplevels made
    wayland_log.py LOG blocks            the number of pointer constraints made
    wayland_log.py LOG pointer           where the pointer is over the client's surfaces: "X Y"
    wayland_log.py LOG check-hold        checks every block's hold: a confinement held the
                                         pointer in its region (every motion between its
                                         "confined" and its destruction in the region, and
                                         some), a lock kept it still (its "locked" came and
                                         no motion until its destruction); prints one line
                                         per block, exits 1 if any failed
    wayland_log.py LOG xwayland-hold     for XWayland's log: how many times a constraint of its
                                         took hold ("locked" or "confined"), and whether the
                                         pointer ever left the constrained surface while one
                                         held: prints "HOLDS LEFT", exits 1 if it left
    wayland_log.py LOG late-pointer      the first block began (Space) before the seat had a
                                         pointer, and the first constraint was asked for once it
                                         had (exit 0), or not (1)
    wayland_log.py LOG free-after        the pointer moved outside the last region after the
                                         last constraint was destroyed (exit 0) or not (1)
    wayland_log.py LOG frame             the size of the full-screen toplevel's last configure
"""
import re
import sys

LINE = re.compile(r"^\[\s*[\d.]+\]\s+(->\s+)?([a-z_0-9]+)@(\d+)\.([a-z_0-9]+)\((.*)\)\s*$")


def entries(path):
    with open(path, encoding="utf-8", errors="replace") as log:
        for line in log:
            match = LINE.match(line)
            if match:
                sent, interface, number, message, args = match.groups()
                yield bool(sent), f"{interface}@{number}", message, args


def ids(args):
    return re.findall(r"([a-z_0-9]+@\d+)", args)


def numbers(args):
    return [float(n) for n in re.findall(r"-?\d+(?:\.\d+)?", re.sub(r"[a-z_0-9]+@\d+", "", args))]


def focus(path):
    now = ""
    for sent, obj, message, args in entries(path):
        if not sent and obj.startswith("wl_keyboard@"):
            if message == "enter":
                surfaces = [i for i in ids(args) if i.startswith("wl_surface@")]
                now = surfaces[0] if surfaces else ""
            elif message == "leave":
                now = ""
    return now


def toplevels(path):
    """The toplevels made, in order: (toplevel, surface, title)."""
    surface_of_xdg, made = {}, []
    for sent, obj, message, args in entries(path):
        if not sent:
            continue
        if message == "get_xdg_surface":
            new, surface = ids(args)[:2]
            surface_of_xdg[new] = surface
        elif message == "get_toplevel":
            made.append([ids(args)[0], surface_of_xdg.get(obj, ""), ""])
        elif message == "set_title":
            for entry in made:
                if entry[0] == obj:
                    entry[2] = args.strip('"')
    return made


def constraints(path):
    """Each pointer constraint: region (x, y, w, h), whether it was confined, the
    motions while it held, and the motions after it was destroyed."""
    regions, blocks, live = {}, [], {}
    for sent, obj, message, args in entries(path):
        if sent and obj.startswith("wl_region@") and message == "add":
            regions[obj] = numbers(args)
        elif sent and message in ("confine_pointer", "lock_pointer"):
            made = ids(args)
            region = regions.get(made[3]) if len(made) > 3 else None
            block = {"kind": message.split("_")[0], "region": region, "confined": False, "came": False,
                     "held": [], "after": []}
            blocks.append(block)
            live[made[0]] = block
        elif not sent and obj in live and message in ("confined", "locked"):
            live[obj]["confined"] = live[obj]["came"] = True
        elif not sent and obj in live and message in ("unconfined", "unlocked"):
            live[obj]["confined"] = False
        elif sent and obj in live and message == "destroy":
            del live[obj]
        elif not sent and obj.startswith("wl_pointer@") and message == "motion":
            x, y = numbers(args)[1:3]
            for block in live.values():
                if block["confined"]:
                    block["held"].append((x, y))
            if blocks and not live:
                blocks[-1]["after"].append((x, y))
    return blocks


def pointer(path):
    at = ""
    for sent, obj, message, args in entries(path):
        if not sent and obj.startswith("wl_pointer@") and message in ("enter", "motion"):
            x, y = numbers(args)[-2:]
            at = f"{int(x)} {int(y)}"
    return at


def xwayland_hold(path):
    """XWayland makes and drops constraints as the X clients grab, warp and change
    cursors: counts the times one took hold, and the pointer's leaves from the
    constrained surface while one held."""
    surface_of, active, holds, left = {}, set(), 0, 0
    for sent, obj, message, args in entries(path):
        if sent and message in ("confine_pointer", "lock_pointer"):
            made = ids(args)
            surface_of[made[0]] = made[1]
        elif not sent and obj in surface_of and message in ("confined", "locked"):
            active.add(obj)
            holds += 1
        elif obj in surface_of and (message in ("unconfined", "unlocked") or (sent and message == "destroy")):
            active.discard(obj)
        elif not sent and obj.startswith("wl_pointer@") and message == "leave":
            surface = [i for i in ids(args) if i.startswith("wl_surface@")]
            if any(surface and surface_of[c] == surface[0] for c in active):
                left += 1
    return holds, left


def late_pointer(path):
    """Whether the first block had begun (its Space, evdev code 57, pressed) before the
    seat gained its pointer, and the first constraint was asked for only then."""
    space_at, pointer_at, constraint_at, line = None, None, None, 0
    for sent, obj, message, args in entries(path):
        line += 1
        if not sent and obj.startswith("wl_keyboard@") and message == "key" and space_at is None:
            values = numbers(args)
            if len(values) >= 4 and int(values[2]) == 57 and int(values[3]) == 1:
                space_at = line
        elif not sent and obj.startswith("wl_seat@") and message == "capabilities":
            if pointer_at is None and int(numbers(args)[0]) & 1:
                pointer_at = line
        elif sent and message in ("confine_pointer", "lock_pointer") and constraint_at is None:
            constraint_at = line
    return None not in (space_at, pointer_at, constraint_at) and space_at < pointer_at < constraint_at


def inside(point, region):
    x, y = point
    left, top, width, height = region
    return left <= x <= left + width and top <= y <= top + height


def main():
    path, command = sys.argv[1], sys.argv[2]
    if command == "focus":
        print(focus(path))
    elif command == "surface":
        found = [surface for _, surface, title in toplevels(path) if title == sys.argv[3]]
        print(found[-1] if found else "")
    elif command == "toplevels":
        print(len(toplevels(path)))
    elif command == "pointer":
        print(pointer(path))
    elif command == "blocks":
        print(len(constraints(path)))
    elif command == "check-hold":
        failed = False
        for number, block in enumerate(constraints(path), start=1):
            region = block["region"]
            if block["kind"] == "lock":
                ok = block["came"] and not block["held"]
                text = f"locked {block['came']}, {len(block['held'])} motions while locked"
            else:
                outside = [p for p in block["held"] if region is None or not inside(p, region)]
                ok = block["came"] and region is not None and block["held"] and not outside
                text = f"confined {block['came']} to {region}, {len(block['held'])} motions held, {len(outside)} outside"
            failed |= not ok
            print(f"block {number}: {text}{'' if ok else ' FAILED'}")
        return 1 if failed else 0
    elif command == "xwayland-hold":
        holds, left = xwayland_hold(path)
        print(holds, left)
        return 1 if left else 0
    elif command == "late-pointer":
        return 0 if late_pointer(path) else 1
    elif command == "free-after":
        regions = [b["region"] for b in constraints(path) if b["region"] is not None]
        after = constraints(path)[-1]["after"] if regions else []
        return 0 if regions and any(not inside(p, regions[-1]) for p in after) else 1
    elif command == "frame":
        size = ""
        frame = [top for top, _, title in toplevels(path) if title == "TRUV"]
        for sent, obj, message, args in entries(path):
            if not sent and frame and obj == frame[-1] and message == "configure":
                values = numbers(args)
                if len(values) >= 2 and values[0] > 0:
                    size = f"{int(values[0])}x{int(values[1])}"
        print(size)
    return 0


if __name__ == "__main__":
    sys.exit(main())
