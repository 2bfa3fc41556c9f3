"""Input through mutter's RemoteDesktop interface on the session bus, as a person's
keyboard and mouse reach the compositor. Reads one command a line from standard
input and answers each with "done":

    code N      presses and releases the key of evdev code N (30 is A, 57 Space)
    keys N ...  holds the keys of the codes given in turn, then releases them in
                reverse (29 30: Ctrl+A)
    type TEXT   types TEXT (letters, digits and / . _ - on a US keyboard)
    move DX DY  moves the pointer by DX, DY

Prints "ready" once the remote desktop session has started."""
import sys
import time

import dbus

SHIFT = 42
ROWS = {"1234567890-": 2, "qwertyuiop": 16, "asdfghjkl": 30, "zxcvbnm,./": 44}
CODES = {c: (row + i, False) for chars, row in ROWS.items() for i, c in enumerate(chars)}
CODES.update({c.upper(): (CODES[c][0], True) for c in "abcdefghijklmnopqrstuvwxyz"})
CODES["_"] = (CODES["-"][0], True)
CODES[" "] = (57, False)

NAME = "org.gnome.Mutter.RemoteDesktop"
bus = dbus.SessionBus()
desktop = dbus.Interface(bus.get_object(NAME, "/org/gnome/Mutter/RemoteDesktop"), NAME)
session = dbus.Interface(bus.get_object(NAME, desktop.CreateSession()), NAME + ".Session")
session.Start()
print("ready", flush=True)
for line in sys.stdin:
    words = line.split()
    if not words:
        continue
    if words[0] == "code":
        code = dbus.UInt32(int(words[1]))
        session.NotifyKeyboardKeycode(code, True)
        session.NotifyKeyboardKeycode(code, False)
    elif words[0] == "keys":
        codes = [dbus.UInt32(int(w)) for w in words[1:]]
        for code in codes:
            session.NotifyKeyboardKeycode(code, True)
        for code in reversed(codes):
            session.NotifyKeyboardKeycode(code, False)
    elif words[0] == "type":
        for c in line.rstrip("\n").split(" ", 1)[1]:
            code, shift = CODES[c]
            if shift:
                session.NotifyKeyboardKeycode(dbus.UInt32(SHIFT), True)
            session.NotifyKeyboardKeycode(dbus.UInt32(code), True)
            session.NotifyKeyboardKeycode(dbus.UInt32(code), False)
            if shift:
                session.NotifyKeyboardKeycode(dbus.UInt32(SHIFT), False)
            time.sleep(0.01)
    elif words[0] == "move":
        session.NotifyPointerMotionRelative(float(words[1]), float(words[2]))
    print("done", flush=True)
