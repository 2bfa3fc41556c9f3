#pragma once
// Keys sent to the compositor as if typed, through KWin's fake input protocol: a
// connection of its own, so that any thread may send them.

#include <cstdint>
#include <memory>

struct wl_display;

class WaylandFakeKeyboard {
public:
    // The protocol's name, for messages.
    static constexpr const char* protocol = "org_kde_kwin_fake_input";

    // nullptr when the compositor named by WAYLAND_DISPLAY offers no fake keyboard (the
    // protocol before version 4 has no keys) or refuses this program.
    static std::unique_ptr<WaylandFakeKeyboard> open(const char* application, const char* reason);
    ~WaylandFakeKeyboard();
    WaylandFakeKeyboard(const WaylandFakeKeyboard&) = delete;
    WaylandFakeKeyboard& operator=(const WaylandFakeKeyboard&) = delete;

    // Sends the press or release of the key with the evdev code `code` and returns once
    // it is on its way to the compositor; false when the connection has failed.
    bool send(std::uint32_t code, bool pressed);
    // Returns once the compositor has handled everything sent.
    bool settle();

    struct Connection;

private:
    explicit WaylandFakeKeyboard(std::unique_ptr<Connection> connection);
    std::unique_ptr<Connection> c_;
};
