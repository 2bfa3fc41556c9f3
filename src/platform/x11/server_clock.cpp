#include "platform/x11/server_clock.h"
#include "platform/platform.h"
#include "platform/x11/error_trap.h"

#include <algorithm>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

struct X11ServerClock::Connection {
    Display* display = nullptr;
    Window window = None;  // input-only, never mapped: only its properties are used
    Atom property = None;
};

std::unique_ptr<X11ServerClock> X11ServerClock::open()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return nullptr;
    auto x = std::make_unique<Connection>();
    x->display = display;
    {
        ErrorTrap trap(display);
        XSetWindowAttributes attributes{};
        attributes.event_mask = PropertyChangeMask;
        x->window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, InputOnly, CopyFromParent,
                                  CWEventMask, &attributes);
        x->property = XInternAtom(display, "TRUV_SERVER_TIME", False);
        if (!trap.succeeded() || x->window == None || x->property == None) {
            XCloseDisplay(display);
            return nullptr;
        }
    }
    return std::unique_ptr<X11ServerClock>(new X11ServerClock(std::move(x)));
}

X11ServerClock::X11ServerClock(std::unique_ptr<Connection> x) : x_(std::move(x)) {}

X11ServerClock::~X11ServerClock()
{
    XDestroyWindow(x_->display, x_->window);
    XCloseDisplay(x_->display);
}

// Appending nothing to the property changes nothing but still makes the server send
// its notice; once XSync has had its answer, the notice is already in the queue.
std::optional<ServerTimeSample> X11ServerClock::sample(int phaseMicroseconds)
{
    MonotonicClock clock;
    XEvent event{};
    while (XCheckTypedWindowEvent(x_->display, x_->window, PropertyNotify, &event)) {
    }
    // Waits, for less than a millisecond, until the phase is reached.
    ServerTimeSample s;
    const std::int64_t begun = clock.nowMicroseconds();
    const std::int64_t phase = std::clamp<std::int64_t>(phaseMicroseconds, 0, 999);
    std::int64_t target = begun - begun % 1000 + phase;
    if (target < begun)
        target += 1000;
    do
        s.before = clock.nowMicroseconds();
    while (s.before < target);
    XChangeProperty(x_->display, x_->window, x_->property, XA_INTEGER, 32, PropModeAppend, nullptr, 0);
    XSync(x_->display, False);
    s.after = clock.nowMicroseconds();
    if (!XCheckTypedWindowEvent(x_->display, x_->window, PropertyNotify, &event))
        return std::nullopt;
    s.serverMilliseconds = static_cast<std::uint32_t>(event.xproperty.time);
    return s;
}
