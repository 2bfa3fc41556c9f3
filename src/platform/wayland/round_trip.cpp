#include "platform/wayland/round_trip.h"

#include <wayland-client.h>

struct WaylandRoundTrip::Queue {
    wl_display* display = nullptr;
    wl_event_queue* queue = nullptr;
};

std::unique_ptr<WaylandRoundTrip> WaylandRoundTrip::open(wl_display* display)
{
    if (display == nullptr)
        return nullptr;
    auto q = std::make_unique<Queue>();
    q->display = display;
    q->queue = wl_display_create_queue(display);
    if (q->queue == nullptr)
        return nullptr;
    return std::unique_ptr<WaylandRoundTrip>(new WaylandRoundTrip(std::move(q)));
}

WaylandRoundTrip::WaylandRoundTrip(std::unique_ptr<Queue> queue) : q_(std::move(queue)) {}

WaylandRoundTrip::~WaylandRoundTrip() { wl_event_queue_destroy(q_->queue); }

bool WaylandRoundTrip::run() { return wl_display_roundtrip_queue(q_->display, q_->queue) >= 0; }

bool waylandDisplayReachable()
{
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return false;
    wl_display_disconnect(display);
    return true;
}
