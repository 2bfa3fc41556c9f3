#include "platform/x11/error_trap.h"

namespace {

Display* trappedDisplay = nullptr;
int trappedError = Success;
XErrorHandler previousHandler = nullptr;

int recordError(Display* display, XErrorEvent* event)
{
    if (display == trappedDisplay) {
        if (trappedError == Success)
            trappedError = event->error_code;
        return 0;
    }
    return previousHandler ? previousHandler(display, event) : 0;
}

}  // namespace

ErrorTrap::ErrorTrap(Display* display) : display_(display)
{
    XSync(display_, False);
    trappedDisplay = display_;
    trappedError = Success;
    previousHandler = XSetErrorHandler(recordError);
}

bool ErrorTrap::succeeded()
{
    finish();
    return error_ == Success;
}

void ErrorTrap::finish()
{
    if (done_)
        return;
    XSync(display_, False);
    error_ = trappedError;
    XSetErrorHandler(previousHandler);
    trappedDisplay = nullptr;
    done_ = true;
}
