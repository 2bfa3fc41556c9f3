"""Input through mutter's RemoteDesktop interface on the session bus, as a person's
keyboard and mouse reach the compositor. Reads one command a line from standard
input and answers each with "done":

    code N      presses and releases the key of evdev code N (30 is A, 57 Space)
    move DX DY  moves the pointer by DX, DY

Prints "ready" once the remote desktop session has started."""
import sys

import dbus

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
    elif words[0] == "move":
        session.NotifyPointerMotionRelative(float(words[1]), float(words[2]))
    print("done", flush=True)
