#include "platform/x11/present.h"

#include <poll.h>
#include <time.h>
#include <xcb/present.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

struct X11Presenter::Connection {
    xcb_connection_t* c = nullptr;
    xcb_window_t window = 0;
    std::uint8_t depth = 0;
    xcb_special_event_t* events = nullptr;
    xcb_gcontext_t gc = 0;
    std::vector<xcb_pixmap_t> pixmaps;
    int width = 0;
    int height = 0;
    std::uint32_t serial = 0;

    void freePixmaps()
    {
        for (xcb_pixmap_t p : pixmaps)
            xcb_free_pixmap(c, p);
        pixmaps.clear();
    }
    ~Connection()
    {
        if (c == nullptr)
            return;
        freePixmaps();
        if (gc != 0)
            xcb_free_gc(c, gc);
        if (events != nullptr)
            xcb_unregister_for_special_event(c, events);
        xcb_disconnect(c);
    }
};

namespace {

std::int64_t monotonicMicroseconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}

bool hasExtension(xcb_connection_t* c, const char* name)
{
    xcb_query_extension_reply_t* reply = xcb_query_extension_reply(c, xcb_query_extension(c, std::strlen(name), name),
                                                                   nullptr);
    const bool present = reply != nullptr && reply->present;
    std::free(reply);
    return present;
}

// Whether a compositing manager holds the screen's _NET_WM_CM_S<n> selection.
bool compositingManagerRuns(xcb_connection_t* c, int screen)
{
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
    if (atom == nullptr)
        return true;  // cannot tell: take the safe answer
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom),
                                                                           nullptr);
    const bool owned = owner == nullptr || owner->owner != XCB_NONE;
    std::free(atom);
    std::free(owner);
    return owned;
}

bool thirtyTwoBitPixels(xcb_connection_t* c, std::uint8_t depth)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    for (xcb_format_iterator_t f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth)
            return f.data->bits_per_pixel == 32 && setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    return false;
}

}  // namespace

std::unique_ptr<X11Presenter> X11Presenter::open(std::uint32_t window, std::string& why)
{
    const std::int64_t opened = monotonicMicroseconds();
    int screen = 0;
    auto x = std::make_unique<Connection>();
    x->c = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(x->c)) {
        why = "no X display";
        return nullptr;
    }
    x->window = window;
    if (hasExtension(x->c, "XWAYLAND")) {
        why = "XWayland (its refreshes are a timer of its own)";
        return nullptr;
    }
    if (!hasExtension(x->c, "Present")) {
        why = "the X server has no Present extension";
        return nullptr;
    }
    xcb_present_query_version_reply_t* version =
        xcb_present_query_version_reply(x->c, xcb_present_query_version(x->c, 1, 0), nullptr);
    const bool versionKnown = version != nullptr;
    std::free(version);
    if (!versionKnown) {
        why = "the X server's Present extension does not answer";
        return nullptr;
    }
    if (compositingManagerRuns(x->c, screen)) {
        why = "a compositing manager runs (a presented picture is copied again before it is seen)";
        return nullptr;
    }
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(x->c, xcb_get_geometry(x->c, window), nullptr);
    if (geometry == nullptr) {
        why = "the word area's window is gone";
        return nullptr;
    }
    x->depth = geometry->depth;
    std::free(geometry);
    if (!thirtyTwoBitPixels(x->c, x->depth)) {
        why = "the display's pixels are not 32-bit";
        return nullptr;
    }
    const xcb_present_event_t eventId = xcb_generate_id(x->c);
    xcb_present_select_input(x->c, eventId, window, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
    x->events = xcb_register_for_special_xge(x->c, &xcb_present_id, eventId, nullptr);
    auto presenter = std::unique_ptr<X11Presenter>(new X11Presenter(std::move(x)));
    // The refresh times must be this machine's monotonic clock: a remote display's, or
    // another clock, would give onsets on another scale.
    const std::optional<Refresh> refresh = presenter->nextRefresh(opened + 200'000);
    if (!refresh) {
        why = "the X server reported no refresh";
        return nullptr;
    }
    const std::int64_t now = monotonicMicroseconds();
    if (refresh->time < opened - 1'000'000 || refresh->time > now + 1'000) {
        why = "the X server's refresh times are not on this machine's monotonic clock";
        return nullptr;
    }
    return presenter;
}

X11Presenter::X11Presenter(std::unique_ptr<Connection> x) : x_(std::move(x)) {}

X11Presenter::~X11Presenter() = default;

bool X11Presenter::prepare(int count, int width, int height)
{
    x_->freePixmaps();
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return false;
    x_->width = width;
    x_->height = height;
    for (int i = 0; i < count; ++i) {
        const xcb_pixmap_t pixmap = xcb_generate_id(x_->c);
        xcb_create_pixmap(x_->c, x_->depth, pixmap, x_->window, static_cast<std::uint16_t>(width),
                          static_cast<std::uint16_t>(height));
        x_->pixmaps.push_back(pixmap);
    }
    if (x_->gc == 0 && !x_->pixmaps.empty()) {
        x_->gc = xcb_generate_id(x_->c);
        xcb_create_gc(x_->c, x_->gc, x_->pixmaps.front(), 0, nullptr);
    }
    // Every pixmap made before the first word: an error here is seen now, not then.
    xcb_get_input_focus_reply_t* sync = xcb_get_input_focus_reply(x_->c, xcb_get_input_focus(x_->c), nullptr);
    std::free(sync);
    return !xcb_connection_has_error(x_->c);
}

bool X11Presenter::upload(int index, const std::uint32_t* pixels, int stride)
{
    if (index < 0 || index >= static_cast<int>(x_->pixmaps.size()))
        return false;
    // A band of rows per request, well within the server's request size.
    const int rowBytes = x_->width * 4;
    const int rowsPerRequest = std::max(1, 65536 / rowBytes);
    std::vector<std::uint8_t> band;
    for (int top = 0; top < x_->height; top += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, x_->height - top);
        band.resize(static_cast<std::size_t>(rows) * rowBytes);
        for (int r = 0; r < rows; ++r)
            std::memcpy(band.data() + static_cast<std::size_t>(r) * rowBytes,
                        reinterpret_cast<const std::uint8_t*>(pixels) + static_cast<std::size_t>(top + r) * stride,
                        rowBytes);
        xcb_put_image(x_->c, XCB_IMAGE_FORMAT_Z_PIXMAP, x_->pixmaps[index], x_->gc,
                      static_cast<std::uint16_t>(x_->width), static_cast<std::uint16_t>(rows), 0,
                      static_cast<std::int16_t>(top), 0, x_->depth, static_cast<std::uint32_t>(band.size()),
                      band.data());
    }
    return xcb_flush(x_->c) > 0;
}

std::optional<Refresh> X11Presenter::present(int index, Refresh target, std::int64_t deadlineMicroseconds)
{
    if (index < 0 || index >= static_cast<int>(x_->pixmaps.size()))
        return std::nullopt;
    const std::uint32_t serial = ++x_->serial;
    xcb_present_pixmap(x_->c, x_->window, x_->pixmaps[index], serial, XCB_NONE, XCB_NONE, 0, 0, XCB_NONE, XCB_NONE,
                       XCB_NONE, XCB_PRESENT_OPTION_NONE, target.count, 0, 0, 0, nullptr);
    xcb_flush(x_->c);
    return awaitReport(serial, true, deadlineMicroseconds);
}

std::optional<Refresh> X11Presenter::nextRefresh(std::int64_t deadlineMicroseconds)
{
    const std::uint32_t serial = ++x_->serial;
    xcb_present_notify_msc(x_->c, x_->window, serial, 0, 1, 0);
    xcb_flush(x_->c);
    return awaitReport(serial, false, deadlineMicroseconds);
}

std::optional<Refresh> X11Presenter::awaitReport(std::uint32_t serial, bool ofPixmap, std::int64_t deadline)
{
    const int fd = xcb_get_file_descriptor(x_->c);
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_special_event(x_->c, x_->events)) {
            const auto* complete = reinterpret_cast<const xcb_present_complete_notify_event_t*>(event);
            const bool ours = complete->event_type == XCB_PRESENT_EVENT_COMPLETE_NOTIFY && complete->serial == serial &&
                              complete->kind ==
                                  (ofPixmap ? XCB_PRESENT_COMPLETE_KIND_PIXMAP : XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC);
            // A presentation the server skipped was never on the screen.
            const bool shown = !ofPixmap || complete->mode != XCB_PRESENT_COMPLETE_MODE_SKIP;
            const Refresh refresh{complete->msc, static_cast<std::int64_t>(complete->ust)};
            std::free(event);
            if (ours)
                return shown ? std::optional<Refresh>(refresh) : std::nullopt;
        }
        if (xcb_connection_has_error(x_->c))
            return std::nullopt;
        const std::int64_t left = deadline - monotonicMicroseconds();
        if (left <= 0)
            return std::nullopt;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, static_cast<int>((left + 999) / 1000));
        // Reads what arrived into xcb's queues (the special events among them).
        if (xcb_generic_event_t* other = xcb_poll_for_event(x_->c))
            std::free(other);
    }
}
