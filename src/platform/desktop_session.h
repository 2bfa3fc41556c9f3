#pragma once
// What kind of desktop session the program runs in, and the Qt platform it asks for
// there. In a Wayland session the program is a native Wayland client: its screens are
// drawn in its one full-screen surface and the pointer is held with the compositor's
// pointer constraints. Through XWayland (asked for with --x11, or where the native
// platform cannot start) the pointer is held to the whole task window only.

#include <cstring>
#include <string>

// A Wayland session: WAYLAND_DISPLAY is set, or XDG_SESSION_TYPE says "wayland".
// The values as getenv gives them (nullptr when unset).
inline bool isWaylandSession(const char* waylandDisplay, const char* sessionType)
{
    return (waylandDisplay != nullptr && waylandDisplay[0] != '\0') ||
           (sessionType != nullptr && std::strcmp(sessionType, "wayland") == 0);
}

// The QT_QPA_PLATFORM the program sets before Qt starts; "" keeps the one the user
// set (userPlatform, as getenv gives it). In a Wayland session the native platform,
// with X11 (XWayland) as Qt's fallback where it cannot start; x11Option (--x11) asks
// for X11 alone; elsewhere X11.
inline std::string chooseQtPlatform(const char* userPlatform, const char* waylandDisplay, const char* sessionType,
                                    bool x11Option)
{
    if (userPlatform != nullptr && userPlatform[0] != '\0')
        return {};
    if (!x11Option && isWaylandSession(waylandDisplay, sessionType))
        return "wayland;xcb";
    return "xcb";
}

// The option that keeps the program on X11 (XWayland) in a Wayland session.
inline constexpr const char* x11Option = "--x11";

inline constexpr const char* waylandSessionNotice =
    "This computer runs a Wayland desktop session, and the program runs there through XWayland "
    "(it was started with --x11, or its Wayland platform could not start). Through XWayland the "
    "mouse pointer is held at best to the whole task window during the blocks, once it is over "
    "the window (some compositors do not hold it at all), never to the slightly narrower "
    "rectangle the program holds it to elsewhere.\n\n"
    "Started without --x11, the program runs as a native Wayland client and holds the pointer "
    "exactly. The user guide's section \"Preparing the lab computer\" says more.\n\n"
    "Go on with this run all the same?";
