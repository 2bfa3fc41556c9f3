#pragma once
// The display system under the Qt application, as the platform's implementations of
// it take it: the ui side's one door to src/platform/x11/ and src/platform/wayland/. Each function gives what
// the display system offers, or nothing where it offers nothing (the offscreen
// platform, no display).

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/presentation.h"
#include "platform/screen_keeper.h"
#include "platform/server_clock.h"

// Qt draws and takes keys through the X11 platform (an X server, or XWayland).
bool onX11Platform();
// Qt is a native Wayland client.
bool onWaylandPlatform();

class QWidget;

// Returns when the display server has carried out what was drawn so far: one round
// trip on Qt's own connection, which sends what it holds first. At once on any other
// platform.
void waitUntilDrawn();

// The X server's clock against ours, for the time stamps its key events carry; nullptr
// off the X11 platform or when no connection can be opened.
std::unique_ptr<ServerClock> openServerClock();

// The pointer of the display named by DISPLAY; wholeWindowsOnly: the display is
// XWayland's, which holds a grab to a whole top-level window only. nullptr when no
// display can be opened.
std::unique_ptr<Pointer> openDisplayPointer(bool wholeWindowsOnly);

// The word area `area` presented at refreshes where the display reports them: under
// the X11 platform through Present on the area's native window, when no compositing
// manager runs and the server is not XWayland; natively on Wayland through the
// presentation time protocol on a subsurface of the frame's surface (area->window()),
// when the compositor offers it and reports presentations. nullptr elsewhere, with the
// reason in why.
std::unique_ptr<WordPresenter> openWordPresenter(QWidget* area, std::string& why);

// Handles every event but input until window is shown and drawn by the display
// server (exposed), for at most milliseconds; whether it is. Keys wait in the queue.
bool waitUntilExposed(QWidget* window, int milliseconds);

// The factor by which Qt itself scales window's pixels to the display system's
// (QT_SCALE_FACTOR): its device pixel ratio over the one the display gives it; 1 where
// Qt does not scale. Natively on Wayland, a surface's coordinates are its window's
// pixels times this factor.
double qtScaleFactor(const QWidget* window);

// Natively on Wayland, the pointer held on the surface of frame (a shown full-screen
// window, in whose surface's coordinates the confinement rectangles are given); nullptr off the
// Wayland platform or when the compositor cannot constrain the pointer.
std::unique_ptr<Pointer> openSurfacePointer(QWidget* frame);

// The display's own screen saver and power saving, held off during a run.
std::unique_ptr<WakeHold> displayWakeHold();
