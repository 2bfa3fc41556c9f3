#pragma once
// The X server's own ways of blanking the screen, kept off while held. Xlib's headers
// are kept out of this one: their macros collide with Qt's.

#include "platform/screen_keeper.h"

#include <memory>

// On the display named by DISPLAY, on a connection of its own that stays open while
// held: the screen saver is suspended (MIT-SCREEN-SAVER 1.1, which also stops the
// DPMS timers), and a monitor already in DPMS power saving is woken. The server lifts
// the suspension when the connection closes, so a program that ends without releasing
// (killed, crashed) leaves the desktop as it was. Only a server without the suspension
// has DPMS disabled instead, and enabled again at release. Not available without a
// display, or where the server has neither extension (or DPMS is off already and there
// is no screen saver to suspend). Use from one thread only.
class X11ScreenSaverHold final : public WakeHold {
public:
    X11ScreenSaverHold();
    ~X11ScreenSaverHold() override;
    X11ScreenSaverHold(const X11ScreenSaverHold&) = delete;
    X11ScreenSaverHold& operator=(const X11ScreenSaverHold&) = delete;

    bool acquire() override;
    void release() override;

private:
    struct Connection;
    std::unique_ptr<Connection> x_;
    bool suspended_ = false;     // the screen saver is suspended by this connection
    bool dpmsDisabled_ = false;  // DPMS was enabled and is disabled here (no suspension)
};
