#pragma once
// Pictures shown on an X window at a chosen refresh through the Present extension, on
// a connection of its own, each presentation reported by the server with the refresh's
// counter and time. The report is when the picture reached the screen only where no
// compositing manager copies windows again afterwards, and only on a server that
// drives the display itself (not XWayland, whose refreshes are a timer of its own).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/presentation.h"

class X11Presenter final : public WordPresenter {
public:
    // Opens the display named by DISPLAY for presenting on `window`; nullptr, with the
    // reason in why, when the display has no Present, is XWayland, has a compositing
    // manager, does not keep 32-bit pixels for the window's depth, or its refresh times
    // are not on this machine's monotonic clock.
    static std::unique_ptr<X11Presenter> open(std::uint32_t window, std::string& why);
    ~X11Presenter() override;
    X11Presenter(const X11Presenter&) = delete;
    X11Presenter& operator=(const X11Presenter&) = delete;

    OnsetSource source() const override { return OnsetSource::X11Present; }
    bool prepare(int count, int width, int height) override;
    bool upload(int index, const std::uint32_t* pixels, int stride) override;
    std::optional<Refresh> present(int index, Refresh target, std::int64_t deadlineMicroseconds) override;
    std::optional<Refresh> nextRefresh(std::int64_t deadlineMicroseconds) override;

    struct Connection;

private:
    explicit X11Presenter(std::unique_ptr<Connection> x);
    std::optional<Refresh> awaitReport(std::uint32_t serial, bool ofPixmap, std::int64_t deadlineMicroseconds);
    std::unique_ptr<Connection> x_;
};
