#include "platform/x11/screen_saver.h"
#include "platform/x11/error_trap.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

struct X11ScreenSaverHold::Connection {
    Display* display = nullptr;
};

namespace {

// Asked with the core request, which unlike the extension libraries prints nothing
// when the extension is missing.
bool hasExtension(Display* display, const char* name)
{
    int opcode = 0, event = 0, error = 0;
    return XQueryExtension(display, name, &opcode, &event, &error) != False;
}

// Suspension came with version 1.1 of the extension.
bool canSuspend(Display* display)
{
    int major = 0, minor = 0;
    return hasExtension(display, ScreenSaverName) && XScreenSaverQueryVersion(display, &major, &minor) != 0 &&
           (major > 1 || (major == 1 && minor >= 1));
}

bool dpmsEnabled(Display* display)
{
    if (!hasExtension(display, DPMSExtensionName) || !DPMSCapable(display))
        return false;
    CARD16 level = 0;
    BOOL enabled = False;
    return DPMSInfo(display, &level, &enabled) != 0 && enabled;
}

}  // namespace

X11ScreenSaverHold::X11ScreenSaverHold() = default;

X11ScreenSaverHold::~X11ScreenSaverHold() { release(); }

bool X11ScreenSaverHold::acquire()
{
    if (x_)
        return true;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    {
        // Another client may disable DPMS between the query and the request that
        // needs it enabled: an error then must not end the program.
        ErrorTrap trap(display);
        if (canSuspend(display)) {
            XScreenSaverSuspend(display, True);
            // A suspension does not switch off a screen saver that is already active.
            XResetScreenSaver(display);
            suspended_ = true;
        }
        if (dpmsEnabled(display)) {
            // A monitor already in power saving is woken. The suspension holds the
            // DPMS timers too, and the server ends it when this connection goes,
            // however the program ends; only a server without it has DPMS switched
            // off, and on again at release.
            DPMSForceLevel(display, DPMSModeOn);
            if (!suspended_) {
                DPMSDisable(display);
                dpmsDisabled_ = true;
            }
        }
    }
    if (!suspended_ && !dpmsDisabled_) {
        XCloseDisplay(display);
        return false;
    }
    x_ = std::make_unique<Connection>();
    x_->display = display;
    return true;
}

void X11ScreenSaverHold::release()
{
    if (!x_)
        return;
    Display* display = x_->display;
    {
        ErrorTrap trap(display);
        if (dpmsDisabled_)
            DPMSEnable(display);
        if (suspended_)
            XScreenSaverSuspend(display, False);
    }
    XCloseDisplay(display);
    x_.reset();
    suspended_ = false;
    dpmsDisabled_ = false;
}
