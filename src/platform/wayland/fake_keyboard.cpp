#include "platform/wayland/fake_keyboard.h"

#include <cstring>

#include <fake-input-client-protocol.h>
#include <wayland-client.h>

namespace {

// The first version with keyboard keys.
constexpr std::uint32_t keyboardVersion = 4;

}  // namespace

struct WaylandFakeKeyboard::Connection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    org_kde_kwin_fake_input* input = nullptr;

    ~Connection()
    {
        if (input != nullptr)
            org_kde_kwin_fake_input_destroy(input);
        if (registry != nullptr)
            wl_registry_destroy(registry);
        if (display != nullptr)
            wl_display_disconnect(display);
    }
};

namespace {

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
{
    auto* c = static_cast<WaylandFakeKeyboard::Connection*>(data);
    if (c->input == nullptr && std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 &&
        version >= keyboardVersion)
        c->input = static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(registry, name,
                                                                          &org_kde_kwin_fake_input_interface,
                                                                          keyboardVersion));
}

void globalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener = {global, globalRemove};

}  // namespace

std::unique_ptr<WaylandFakeKeyboard> WaylandFakeKeyboard::open(const char* application, const char* reason)
{
    auto c = std::make_unique<Connection>();
    c->display = wl_display_connect(nullptr);
    if (c->display == nullptr)
        return nullptr;
    c->registry = wl_display_get_registry(c->display);
    wl_registry_add_listener(c->registry, &registryListener, c.get());
    if (wl_display_roundtrip(c->display) < 0 || c->input == nullptr)
        return nullptr;
    // A compositor that refuses the program ends the connection with an error.
    org_kde_kwin_fake_input_authenticate(c->input, application, reason);
    if (wl_display_roundtrip(c->display) < 0)
        return nullptr;
    return std::unique_ptr<WaylandFakeKeyboard>(new WaylandFakeKeyboard(std::move(c)));
}

WaylandFakeKeyboard::WaylandFakeKeyboard(std::unique_ptr<Connection> connection) : c_(std::move(connection)) {}

WaylandFakeKeyboard::~WaylandFakeKeyboard() = default;

bool WaylandFakeKeyboard::send(std::uint32_t code, bool pressed)
{
    org_kde_kwin_fake_input_keyboard_key(c_->input, code,
                                         pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    return wl_display_flush(c_->display) >= 0;
}

bool WaylandFakeKeyboard::settle() { return wl_display_roundtrip(c_->display) >= 0; }
