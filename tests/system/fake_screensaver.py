#!/usr/bin/python3
# A stand-in for the desktop's screen saver service and GNOME session manager on a
# private session bus: answers Inhibit with a cookie, takes Uninhibit, and appends
# every call to the file named by its argument, one line each ("ready" once both
# names are owned):
#   org.freedesktop.ScreenSaver Inhibit APPLICATION REASON -> 41
#   org.freedesktop.ScreenSaver UnInhibit COOKIE
#   org.gnome.SessionManager Inhibit APP_ID TOPLEVEL REASON FLAGS -> 57
#   org.gnome.SessionManager Uninhibit COOKIE
import sys

from gi.repository import Gio, GLib

SERVICES = {
    "org.freedesktop.ScreenSaver": ("/org/freedesktop/ScreenSaver", 41, """
      <node><interface name="org.freedesktop.ScreenSaver">
        <method name="Inhibit">
          <arg name="application_name" type="s" direction="in"/>
          <arg name="reason_for_inhibit" type="s" direction="in"/>
          <arg name="cookie" type="u" direction="out"/>
        </method>
        <method name="UnInhibit"><arg name="cookie" type="u" direction="in"/></method>
      </interface></node>"""),
    "org.gnome.SessionManager": ("/org/gnome/SessionManager", 57, """
      <node><interface name="org.gnome.SessionManager">
        <method name="Inhibit">
          <arg name="app_id" type="s" direction="in"/>
          <arg name="toplevel_xid" type="u" direction="in"/>
          <arg name="reason" type="s" direction="in"/>
          <arg name="flags" type="u" direction="in"/>
          <arg name="inhibit_cookie" type="u" direction="out"/>
        </method>
        <method name="Uninhibit"><arg name="inhibit_cookie" type="u" direction="in"/></method>
      </interface></node>"""),
}

log_path = sys.argv[1]
loop = GLib.MainLoop()
owned = set()


def record(line):
    with open(log_path, "a") as log:
        log.write(line + "\n")


def on_call(connection, sender, path, interface, method, parameters, invocation):
    words = [interface, method] + [str(value) for value in parameters.unpack()]
    if method == "Inhibit":
        cookie = SERVICES[interface][1]
        record(" ".join(words + ["->", str(cookie)]))
        invocation.return_value(GLib.Variant("(u)", (cookie,)))
    else:
        record(" ".join(words))
        invocation.return_value(None)


def on_name_acquired(connection, name):
    owned.add(name)
    if owned == set(SERVICES):
        record("ready")


def on_name_lost(connection, name):
    record("lost " + name)
    loop.quit()


bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
for name, (path, _, xml) in SERVICES.items():
    interface = Gio.DBusNodeInfo.new_for_xml(xml).interfaces[0]
    bus.register_object(path, interface, on_call, None, None)
    Gio.bus_own_name_on_connection(bus, name, Gio.BusNameOwnerFlags.NONE,
                                   on_name_acquired, on_name_lost)
loop.run()
