#include "platform/x11/pointer.h"
#include "platform/screen_geometry.h"
#include "platform/x11/error_trap.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

struct X11Pointer::Connection {
    Display* display = nullptr;
    Window root = None;
    Window window = None;  // the input-only window the pointer is confined to
};

namespace {

// A grab is refused while another client holds one (AlreadyGrabbed, often only for the
// moment a button is held) or while the window is not yet viewable.
constexpr int grabAttempts = 10;
constexpr auto pauseBetweenGrabs = std::chrono::milliseconds(10);

}  // namespace

std::unique_ptr<X11Pointer> X11Pointer::open(bool wholeWindowsOnly)
{
    // A server that is busy accepting other clients can refuse a connection for a
    // moment (EAGAIN); try again for up to a second unless no display is named.
    Display* display = XOpenDisplay(nullptr);
    for (int attempt = 0; display == nullptr && attempt < 50; ++attempt) {
        const char* name = std::getenv("DISPLAY");
        if (name == nullptr || *name == '\0' || (errno != EAGAIN && errno != ECONNRESET))
            return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        display = XOpenDisplay(nullptr);
    }
    if (display == nullptr)
        return nullptr;
    auto x = std::make_unique<Connection>();
    x->display = display;
    x->root = DefaultRootWindow(display);
    return std::unique_ptr<X11Pointer>(new X11Pointer(std::move(x), wholeWindowsOnly));
}

X11Pointer::X11Pointer(std::unique_ptr<Connection> x, bool wholeWindowsOnly)
    : x_(std::move(x)), wholeWindowsOnly_(wholeWindowsOnly)
{
    const int screen = DefaultScreen(x_->display);
    screen_ = {DisplayWidth(x_->display, screen), DisplayHeight(x_->display, screen)};
    confinement_ = wholeScreen(screen_);
}

X11Pointer::~X11Pointer()
{
    if (x_->window != None) {
        XUngrabPointer(x_->display, CurrentTime);
        XDestroyWindow(x_->display, x_->window);
    }
    XCloseDisplay(x_->display);
}

ScreenPoint X11Pointer::position()
{
    Window root = None;
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    // The root coordinates are given even when the pointer is on another screen.
    XQueryPointer(x_->display, x_->root, &root, &child, &rootX, &rootY, &windowX, &windowY, &mask);
    return {rootX, rootY};
}

void X11Pointer::setPosition(ScreenPoint point)
{
    // The grab is made again each time (a client's own grab is then only renewed):
    // another client's failed attempt at a grab lifts the server's confinement
    // while the grab itself stays ours, and the program puts the pointer home after
    // every response.
    if (confined_)
        grabbed_ = grab(1);
    const ScreenPoint target = clampInto(point, confinement_);
    XWarpPointer(x_->display, None, x_->root, 0, 0, 0, 0, target.x, target.y);
    XSync(x_->display, False);
}

void X11Pointer::setConfinement(ScreenRect rect)
{
    confinement_ = clipToScreen(rect, screen_);
    if (confinement_ == wholeScreen(screen_)) {
        release();
        return;
    }
    confined_ = true;
    grabbed_ = (wholeWindowsOnly_ && window_ != 0 ? true : placeWindow()) && grab(grabAttempts);
}

// Creates the window, or moves and resizes it, to the confinement rectangle, and maps it
// at the bottom of the stacking order (lowered before mapping, so that it is never on
// top). Override-redirect: no window manager decorates or moves it.
bool X11Pointer::placeWindow()
{
    const ScreenRect& r = confinement_;
    const auto width = static_cast<unsigned int>(r.right - r.left);
    const auto height = static_cast<unsigned int>(r.bottom - r.top);
    ErrorTrap trap(x_->display);
    const bool created = x_->window == None;
    if (created) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        x_->window = XCreateWindow(x_->display, x_->root, r.left, r.top, width, height, 0, 0, InputOnly, CopyFromParent,
                                   CWOverrideRedirect, &attributes);
    } else {
        XMoveResizeWindow(x_->display, x_->window, r.left, r.top, width, height);
    }
    XLowerWindow(x_->display, x_->window);
    XMapWindow(x_->display, x_->window);
    if (trap.succeeded())
        return true;
    if (created)
        x_->window = None;  // the identifier names no window
    return false;
}

// The grab is made on the root window, so the cursor shown is that of the window under
// the pointer; the pointer's events are selected by no one and so go nowhere.
bool X11Pointer::grab(int attempts)
{
    const Window confineTo = wholeWindowsOnly_ && window_ != 0 ? static_cast<Window>(window_) : x_->window;
    if (confineTo == None)
        return false;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(pauseBetweenGrabs);
        ErrorTrap trap(x_->display);
        const int status = XGrabPointer(x_->display, x_->root, False, 0, GrabModeAsync, GrabModeAsync, confineTo, None,
                                        CurrentTime);
        if (trap.succeeded() && status == GrabSuccess)
            return true;
    }
    return false;
}

void X11Pointer::release()
{
    const bool held = confined_;
    confined_ = false;
    grabbed_ = false;
    if (!held)
        return;
    XUngrabPointer(x_->display, CurrentTime);
    if (x_->window != None)
        XUnmapWindow(x_->display, x_->window);
    XSync(x_->display, False);
}
