#pragma once
// Round trips to the X server named by DISPLAY, on a connection of its own, each
// returning the server's time stamp: a property of a window of this connection is
// changed, and the server's notice of the change carries its time. Xlib's headers
// are kept out of this one.

#include "platform/server_clock.h"

#include <memory>

class X11ServerClock final : public ServerClock {
public:
    // nullptr when no display can be opened or the window cannot be made.
    static std::unique_ptr<X11ServerClock> open();
    ~X11ServerClock() override;
    X11ServerClock(const X11ServerClock&) = delete;
    X11ServerClock& operator=(const X11ServerClock&) = delete;

    std::optional<ServerTimeSample> sample(int phaseMicroseconds) override;

private:
    struct Connection;
    explicit X11ServerClock(std::unique_ptr<Connection> x);
    std::unique_ptr<Connection> x_;
};
