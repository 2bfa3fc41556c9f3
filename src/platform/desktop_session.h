#pragma once
// What kind of desktop session the program runs in. In a Wayland session the program
// runs through XWayland, which can confine the pointer at best to a whole window and
// does not let it be warped: the participant's pointer is then not held as exactly
// as on an X11 session.

#include <cstring>

// A Wayland session: WAYLAND_DISPLAY is set, or XDG_SESSION_TYPE says "wayland".
// The values as getenv gives them (nullptr when unset).
inline bool isWaylandSession(const char* waylandDisplay, const char* sessionType)
{
    return (waylandDisplay != nullptr && waylandDisplay[0] != '\0') ||
           (sessionType != nullptr && std::strcmp(sessionType, "wayland") == 0);
}

inline constexpr const char* waylandSessionNotice =
    "This computer runs a Wayland desktop session. The program runs there through XWayland, which "
    "cannot hold the mouse pointer inside the task window exactly: the participant's pointer may "
    "leave the window during the blocks.\n\n"
    "For exact confinement, log out and choose an X11 (Xorg) session at the login screen (for "
    "example \"GNOME on Xorg\" under the gear button, or \"Plasma (X11)\"). The user guide's "
    "section \"Preparing the lab computer\" says more.\n\n"
    "Go on with this run all the same?";
