#pragma once
// Round trips to a Wayland compositor on an event queue of their own, so that the
// toolkit's events are neither handled nor held up by them.

#include <memory>

struct wl_display;

class WaylandRoundTrip {
public:
    // nullptr when the queue cannot be made.
    static std::unique_ptr<WaylandRoundTrip> open(wl_display* display);
    ~WaylandRoundTrip();
    WaylandRoundTrip(const WaylandRoundTrip&) = delete;
    WaylandRoundTrip& operator=(const WaylandRoundTrip&) = delete;

    // Sends what the connection holds and returns once the compositor has handled it
    // all; false when the connection has failed.
    bool run();

    struct Queue;

private:
    explicit WaylandRoundTrip(std::unique_ptr<Queue> queue);
    std::unique_ptr<Queue> q_;
};

// Whether the compositor named by WAYLAND_DISPLAY accepts a connection now.
bool waylandDisplayReachable();
