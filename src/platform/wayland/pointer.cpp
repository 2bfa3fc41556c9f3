#include "platform/wayland/pointer.h"

#include <wayland-client.h>

#include <cstring>

#include "platform/screen_geometry.h"
#include <pointer-constraints-unstable-v1-client-protocol.h>

struct WaylandPointer::State {
    wl_display* display = nullptr;
    wl_surface* surface = nullptr;
    wl_event_queue* queue = nullptr;
    wl_display* wrapper = nullptr;  // the display on this queue
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_seat* seat = nullptr;
    wl_pointer* pointer = nullptr;
    zwp_pointer_constraints_v1* constraints = nullptr;
    zwp_confined_pointer_v1* confined = nullptr;
    zwp_locked_pointer_v1* locked = nullptr;
    bool wanted = false;  // a rectangle smaller than the surface is set
    bool held = false;    // the compositor's "confined" has come, "unconfined" not since
    ScreenRect region;
    ScreenPoint position;
    WaylandPointer* owner = nullptr;
};

namespace {

using State = WaylandPointer::State;

// The seat version whose events the listeners below cover (axis_discrete is 5's).
constexpr std::uint32_t seatVersion = 5;

void pointerEnter(void* data, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
{
    auto* s = static_cast<State*>(data);
    if (surface == s->surface)
        s->position = {wl_fixed_to_int(x), wl_fixed_to_int(y)};
}
void pointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
void pointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    static_cast<State*>(data)->position = {wl_fixed_to_int(x), wl_fixed_to_int(y)};
}
void pointerButton(void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void pointerAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void pointerFrame(void*, wl_pointer*) {}
void pointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
void pointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void pointerAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

wl_pointer_listener pointerListener()
{
    wl_pointer_listener l;
    std::memset(&l, 0, sizeof l);
    l.enter = pointerEnter;
    l.leave = pointerLeave;
    l.motion = pointerMotion;
    l.button = pointerButton;
    l.axis = pointerAxis;
    l.frame = pointerFrame;
    l.axis_source = pointerAxisSource;
    l.axis_stop = pointerAxisStop;
    l.axis_discrete = pointerAxisDiscrete;
    return l;
}
const wl_pointer_listener pointerEvents = pointerListener();

void confinedEvent(void* data, zwp_confined_pointer_v1*) { static_cast<State*>(data)->held = true; }
void unconfinedEvent(void* data, zwp_confined_pointer_v1*) { static_cast<State*>(data)->held = false; }
const zwp_confined_pointer_v1_listener confinedEvents = {confinedEvent, unconfinedEvent};
void lockedEvent(void* data, zwp_locked_pointer_v1*) { static_cast<State*>(data)->held = true; }
void unlockedEvent(void* data, zwp_locked_pointer_v1*) { static_cast<State*>(data)->held = false; }
const zwp_locked_pointer_v1_listener lockedEvents = {lockedEvent, unlockedEvent};

// The block's constraint, whichever it is, is gone.
void destroyConstraint(State& s)
{
    if (s.confined != nullptr)
        zwp_confined_pointer_v1_destroy(s.confined);
    if (s.locked != nullptr)
        zwp_locked_pointer_v1_destroy(s.locked);
    s.confined = nullptr;
    s.locked = nullptr;
    s.held = false;
}

void seatCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities)
{
    auto* s = static_cast<State*>(data);
    const bool hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (hasPointer && s->pointer == nullptr) {
        s->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(s->pointer, &pointerEvents, s);
        // A block that began before the seat had a pointer is held from now on.
        if (s->wanted && s->confined == nullptr && s->locked == nullptr && s->owner != nullptr)
            s->owner->setConfinement(s->owner->confinement());
    } else if (!hasPointer && s->pointer != nullptr) {
        // The pointer is gone: its constraint goes with it and is made again with the
        // next pointer.
        destroyConstraint(*s);
        wl_pointer_release(s->pointer);
        s->pointer = nullptr;
    }
}
void seatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatEvents = {seatCapabilities, seatName};

void registryGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
{
    auto* s = static_cast<State*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && s->compositor == nullptr) {
        s->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && s->seat == nullptr) {
        // The first seat: the one the toolkit takes its keys from on a single-seat desktop.
        s->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface,
                                                         version < seatVersion ? version : seatVersion));
        wl_seat_add_listener(s->seat, &seatEvents, s);
    } else if (std::strcmp(interface, zwp_pointer_constraints_v1_interface.name) == 0 && s->constraints == nullptr) {
        s->constraints = static_cast<zwp_pointer_constraints_v1*>(
            wl_registry_bind(registry, name, &zwp_pointer_constraints_v1_interface, 1));
    }
}
void registryGlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener registryEvents = {registryGlobal, registryGlobalRemove};

void destroyAll(State& s)
{
    destroyConstraint(s);
    if (s.pointer != nullptr)
        wl_pointer_release(s.pointer);
    if (s.seat != nullptr)
        wl_seat_release(s.seat);
    if (s.constraints != nullptr)
        zwp_pointer_constraints_v1_destroy(s.constraints);
    if (s.compositor != nullptr)
        wl_compositor_destroy(s.compositor);
    if (s.registry != nullptr)
        wl_registry_destroy(s.registry);
    if (s.wrapper != nullptr)
        wl_proxy_wrapper_destroy(s.wrapper);
    if (s.display != nullptr)
        wl_display_flush(s.display);
    if (s.queue != nullptr)
        wl_event_queue_destroy(s.queue);
}

}  // namespace

std::unique_ptr<WaylandPointer> WaylandPointer::open(wl_display* display, wl_surface* surface, ScreenSize surfaceSize)
{
    if (display == nullptr || surface == nullptr)
        return nullptr;
    auto s = std::make_unique<State>();
    s->display = display;
    s->surface = surface;
    s->queue = wl_display_create_queue(display);
    s->wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    if (s->queue == nullptr || s->wrapper == nullptr) {
        destroyAll(*s);
        return nullptr;
    }
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(s->wrapper), s->queue);
    s->registry = wl_display_get_registry(s->wrapper);
    wl_registry_add_listener(s->registry, &registryEvents, s.get());
    // The globals, then the seat's capabilities.
    for (int i = 0; i < 2; ++i) {
        if (wl_display_roundtrip_queue(display, s->queue) < 0) {
            destroyAll(*s);
            return nullptr;
        }
    }
    if (s->compositor == nullptr || s->seat == nullptr || s->constraints == nullptr) {
        destroyAll(*s);
        return nullptr;
    }
    return std::unique_ptr<WaylandPointer>(new WaylandPointer(std::move(s), surfaceSize));
}

WaylandPointer::WaylandPointer(std::unique_ptr<State> state, ScreenSize surfaceSize)
    : s_(std::move(state)), size_(surfaceSize), confinement_(wholeScreen(surfaceSize))
{
    s_->owner = this;
}

WaylandPointer::~WaylandPointer() { destroyAll(*s_); }

void WaylandPointer::dispatchPending() { wl_display_dispatch_queue_pending(s_->display, s_->queue); }

bool WaylandPointer::held()
{
    dispatchPending();
    return s_->held;
}

ScreenPoint WaylandPointer::position()
{
    dispatchPending();
    return s_->position;
}

void WaylandPointer::setPosition(ScreenPoint) { dispatchPending(); }

void WaylandPointer::setConfinement(ScreenRect rect)
{
    const ScreenRect whole = wholeScreen(size_);
    confinement_ = clipToScreen(rect, size_);
    s_->wanted = confinement_ != whole;
    if (s_->wanted)
        makeConstraint();
    else
        dropConstraint();
    wl_display_flush(s_->display);
}

namespace {

// A region of exactly rect, for one request; the caller destroys it.
wl_region* regionOf(wl_compositor* compositor, const ScreenRect& rect)
{
    wl_region* region = wl_compositor_create_region(compositor);
    wl_region_add(region, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return region;
}

}  // namespace

void WaylandPointer::makeConstraint()
{
    if (s_->pointer == nullptr)
        return;  // made when the seat gains a pointer
    if (s_->confined != nullptr || s_->locked != nullptr) {
        // A new rectangle for the block's confinement, applied at the surface's next
        // commit; a locked pointer stays where it is.
        if (s_->confined != nullptr && s_->region != confinement_) {
            wl_region* region = regionOf(s_->compositor, confinement_);
            zwp_confined_pointer_v1_set_region(s_->confined, region);
            wl_region_destroy(region);
        }
        s_->region = confinement_;
        return;
    }
    // Where the pointer is now: a confinement begins only once the pointer is inside
    // its region, and no client can move it there.
    wl_display_roundtrip_queue(s_->display, s_->queue);
    const ScreenPoint at = s_->position;
    const bool inside = at.x >= confinement_.left && at.x < confinement_.right && at.y >= confinement_.top &&
                        at.y < confinement_.bottom;
    if (inside) {
        wl_region* region = regionOf(s_->compositor, confinement_);
        s_->confined = zwp_pointer_constraints_v1_confine_pointer(s_->constraints, s_->surface, s_->pointer, region,
                                                                  ZWP_POINTER_CONSTRAINTS_V1_LIFETIME_PERSISTENT);
        zwp_confined_pointer_v1_add_listener(s_->confined, &confinedEvents, s_.get());
        wl_region_destroy(region);
    } else {
        // Outside the rectangle the pointer is held where it is, over the full-screen
        // surface, which is under it wherever it is: it does not move until the block ends.
        s_->locked = zwp_pointer_constraints_v1_lock_pointer(s_->constraints, s_->surface, s_->pointer, nullptr,
                                                             ZWP_POINTER_CONSTRAINTS_V1_LIFETIME_PERSISTENT);
        zwp_locked_pointer_v1_add_listener(s_->locked, &lockedEvents, s_.get());
    }
    s_->region = confinement_;
}

void WaylandPointer::dropConstraint() { destroyConstraint(*s_); }
