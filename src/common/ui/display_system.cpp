#include "common/ui/display_system.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>

#include <xcb/xcb.h>

#include "platform/x11/pointer.h"
#include "platform/x11/screen_saver.h"
#include "platform/x11/server_clock.h"

namespace {

// Qt's own connection to the X server under the X11 platform; nullptr under any
// other (the offscreen platform offers the interface without a connection).
xcb_connection_t* qtXcbConnection()
{
    static xcb_connection_t* const connection = []() -> xcb_connection_t* {
        if (!onX11Platform())
            return nullptr;
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 != nullptr ? x11->connection() : nullptr;
    }();
    return connection;
}

}  // namespace

bool onX11Platform() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }

void waitUntilDrawn()
{
    if (xcb_connection_t* connection = qtXcbConnection())
        free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

std::unique_ptr<ServerClock> openServerClock()
{
    if (!onX11Platform())
        return nullptr;
    return X11ServerClock::open();
}

std::unique_ptr<Pointer> openDisplayPointer(bool wholeWindowsOnly) { return X11Pointer::open(wholeWindowsOnly); }

std::unique_ptr<WakeHold> displayWakeHold() { return std::make_unique<X11ScreenSaverHold>(); }
