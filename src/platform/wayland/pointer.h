#pragma once
// The mouse pointer of a Wayland seat, held with the pointer constraints protocol
// (zwp_pointer_constraints_v1) on the surface that shows the participant's screens.
// Its objects live on an event queue of their own on the toolkit's connection, so
// nothing here is handled by the toolkit, nor the toolkit's objects by this.
//
// Coordinates are the surface's own (its top-left corner is 0, 0): the full-screen
// surface covers the output, so they are the output's. Wayland lets no client move
// the pointer: setPosition moves nothing. A confinement is one constraint with a
// persistent lifetime, made when the rectangle is set and destroyed when it is lifted:
// with the pointer inside the rectangle, a confined pointer with the rectangle as its
// region (the compositor holds it there); with the pointer outside it, where a
// confinement would begin only once the pointer happened to enter, a locked pointer
// (the compositor keeps it where it is, over the full-screen surface). A seat that has
// no pointer yet gets the constraint as soon as one appears.
// Use from one thread only.

#include <memory>

#include "platform/platform.h"

struct wl_display;
struct wl_surface;

class WaylandPointer final : public Pointer {
public:
    // nullptr when the compositor offers no pointer constraints or no seat.
    // surfaceSize: the surface's size, which the whole-screen rectangle covers.
    static std::unique_ptr<WaylandPointer> open(wl_display* display, wl_surface* surface, ScreenSize surfaceSize);
    ~WaylandPointer() override;
    WaylandPointer(const WaylandPointer&) = delete;
    WaylandPointer& operator=(const WaylandPointer&) = delete;

    // Where the compositor last said the pointer was over the surface.
    ScreenPoint position() override;
    // Moves nothing (Wayland has no warp); handles what the compositor has sent.
    void setPosition(ScreenPoint point) override;
    ScreenRect confinement() override { return confinement_; }
    // A rectangle smaller than the surface confines the pointer to it; the whole
    // surface lifts the confinement. Sent at once.
    void setConfinement(ScreenRect rect) override;
    ScreenSize screenSize() override { return size_; }

    // Handles the events the compositor has sent to this pointer's objects, without
    // waiting for any: to be called whenever the toolkit's event loop wakes.
    void dispatchPending();
    // The compositor holds the pointer now (its "confined" or "locked" event).
    bool held();

    struct State;

private:
    explicit WaylandPointer(std::unique_ptr<State> state, ScreenSize surfaceSize);
    void makeConstraint();
    void dropConstraint();

    std::unique_ptr<State> s_;
    ScreenSize size_;
    ScreenRect confinement_;
};
