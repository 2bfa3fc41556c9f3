#pragma once
// Pictures of the word area shown by a Wayland compositor, each presentation reported
// through the presentation time protocol (wp_presentation) with the refresh at which
// it reached the screen. The pictures are shared memory buffers shown on a surface of
// the presenter's own: a desynchronised subsurface of the frame's surface, at the word
// area's place in it, so that a commit of it is shown at the compositor's next refresh
// without the toolkit's drawing. Its objects live on an event queue of their own on
// the toolkit's connection, read and handled only while it waits for a report.
//
// Wayland cannot hold a picture until a chosen refresh: present() waits itself until
// its lead before the target refresh's predicted time and commits then. The lead is
// learned when the presenter opens, from how long the compositor takes from a commit
// to the refresh that shows it, committed at moments spread over a refresh.
//
// A report's refresh counter is the compositor's own only where it says the
// presentation was synchronised to the vertical retrace (its counter is then the
// retrace's); elsewhere (a compositor that times its frames in software, such as a
// headless one, whose counter counts its frames) the refreshes are counted from the
// reports' times in the refresh interval the compositor reports.
//
// The subsurface covers the word area only while a presented word is shown: withdraw()
// unmaps it before the toolkit draws the area itself.
// Use from one thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/presentation.h"

struct wl_display;
struct wl_surface;

class WaylandPresenter final : public WordPresenter {
public:
    // Presents on a subsurface of parent (the frame's surface, on display) whose top-left
    // corner is at x, y in parent's coordinates, with buffers `scale` times the surface's
    // size. commitParent has the toolkit commit parent (draw into it), which places the
    // subsurface. nullptr, with the reason in why, when the compositor offers no
    // presentation time, no subsurfaces or no shared memory, or reports no presentation
    // or neither refresh counter nor refresh interval.
    static std::unique_ptr<WaylandPresenter> open(wl_display* display, wl_surface* parent, int x, int y, int scale,
                                                  const std::function<void()>& commitParent, std::string& why);
    ~WaylandPresenter() override;
    WaylandPresenter(const WaylandPresenter&) = delete;
    WaylandPresenter& operator=(const WaylandPresenter&) = delete;

    OnsetSource source() const override { return OnsetSource::WaylandPresentation; }
    bool prepare(int count, int width, int height) override;
    bool upload(int index, const std::uint32_t* pixels, int stride) override;
    std::optional<Refresh> present(int index, Refresh target, std::int64_t deadlineMicroseconds) override;
    // Commits a transparent pixel with a feedback request (Wayland has no bare refresh
    // event) and reports the refresh that showed it; the subsurface shows nothing after.
    std::optional<Refresh> nextRefresh(std::int64_t deadlineMicroseconds) override;
    std::int64_t leadMicroseconds() const override { return lead_; }
    void withdraw() override;

    struct State;

private:
    explicit WaylandPresenter(std::unique_ptr<State> state);
    // Commits what is attached with a feedback request; the report, nullopt when it was
    // discarded or had not come by the deadline. committed: when the commit was sent.
    std::optional<Refresh> commitAndAwait(std::int64_t deadline, std::int64_t* committed);
    // The lead from commits at moments spread over a refresh; false when a report did
    // not come.
    bool learnLead();

    std::unique_ptr<State> s_;
    std::int64_t lead_ = presentationLeadMicroseconds;
};
