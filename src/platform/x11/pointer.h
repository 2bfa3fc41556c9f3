#pragma once
// The mouse pointer of the X display named by DISPLAY, on a connection of its own.
// Xlib's headers are kept out of this one: their macros (None, Bool, Status, ...)
// collide with Qt's.

#include "platform/platform.h"

#include <memory>

// The confinement rectangle is held by an active pointer grab confined to an input-only
// window of exactly that rectangle: the server then keeps every motion, and every warp
// from any client, inside it. While the grab holds, the pointer's clicks and motion reach
// no other client. The window sits at the bottom of the stacking order so that the
// pointer stays over the windows that are seen, with their cursors.
//
// XWayland (in a Wayland session) holds a grab's pointer only to a whole top-level
// window that the compositor shows, never to an input-only rectangle. There the grab
// is confined to the window set by setConfinementWindow, when one is set, and the
// rectangle is still kept for the positions set here.
//
// If the grab is refused (another client holds one), the rectangle is still kept, and
// positions set here are clamped into it. The grab is made again on each setPosition:
// another client's failed attempt at a grab lifts the confinement of this one.
// Use from one thread only.
class X11Pointer final : public Pointer {
public:
    // nullptr when no display can be opened. wholeWindowsOnly: the display is XWayland's.
    static std::unique_ptr<X11Pointer> open(bool wholeWindowsOnly);
    ~X11Pointer() override;
    X11Pointer(const X11Pointer&) = delete;
    X11Pointer& operator=(const X11Pointer&) = delete;

    ScreenPoint position() override;
    // Warps the pointer (clamped into the confinement rectangle) and waits until the
    // server has moved it.
    void setPosition(ScreenPoint point) override;
    ScreenRect confinement() override { return confinement_; }
    void setConfinement(ScreenRect rect) override;
    void setConfinementWindow(std::uint64_t window) override { window_ = window; }
    ScreenSize screenSize() override { return screen_; }

private:
    struct Connection;
    X11Pointer(std::unique_ptr<Connection> x, bool wholeWindowsOnly);
    bool placeWindow();
    bool grab(int attempts);
    void release();

    std::unique_ptr<Connection> x_;
    ScreenSize screen_;
    ScreenRect confinement_;
    bool wholeWindowsOnly_;
    std::uint64_t window_ = 0;  // the window the rectangle lies in
    bool confined_ = false;     // a rectangle smaller than the screen is set
    bool grabbed_ = false;      // and a grab holds it
};
