#include "common/ui/display_system.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>

#include <cmath>
#include <cstdlib>

#include <xcb/xcb.h>

#include "platform/wayland/pointer.h"
#include "platform/wayland/presenter.h"
#include "platform/wayland/round_trip.h"
#include "platform/x11/pointer.h"
#include "platform/x11/present.h"
#include "platform/x11/screen_saver.h"
#include "platform/x11/server_clock.h"

namespace {

// Qt's own connection to the X server under the X11 platform; nullptr under any
// other (the offscreen platform offers the interface without a connection).
xcb_connection_t* qtXcbConnection()
{
    static xcb_connection_t* const connection = []() -> xcb_connection_t* {
        if (!onX11Platform())
            return nullptr;
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 != nullptr ? x11->connection() : nullptr;
    }();
    return connection;
}

// Qt's own connection to the compositor natively on Wayland; nullptr elsewhere.
wl_display* qtWaylandDisplay()
{
    static wl_display* const display = []() -> wl_display* {
        if (!onWaylandPlatform())
            return nullptr;
        QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
        return native != nullptr
                   ? static_cast<wl_display*>(native->nativeResourceForIntegration(QByteArrayLiteral("wl_display")))
                   : nullptr;
    }();
    return display;
}

// The Wayland pointer, its events handled whenever Qt's event loop wakes (the
// compositor's events wake it, whichever queue they are for).
class SurfacePointer final : public Pointer {
public:
    explicit SurfacePointer(std::unique_ptr<WaylandPointer> pointer) : pointer_(std::move(pointer))
    {
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
            awake_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake,
                                      [p = pointer_.get()] { p->dispatchPending(); });
    }
    ~SurfacePointer() override { QObject::disconnect(awake_); }
    ScreenPoint position() override { return pointer_->position(); }
    void setPosition(ScreenPoint point) override { pointer_->setPosition(point); }
    ScreenRect confinement() override { return pointer_->confinement(); }
    void setConfinement(ScreenRect rect) override { pointer_->setConfinement(rect); }
    ScreenSize screenSize() override { return pointer_->screenSize(); }

private:
    std::unique_ptr<WaylandPointer> pointer_;
    QMetaObject::Connection awake_;
};

}  // namespace

bool onX11Platform() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }

bool onWaylandPlatform() { return QGuiApplication::platformName().startsWith(QStringLiteral("wayland")); }

void waitUntilDrawn()
{
    if (xcb_connection_t* connection = qtXcbConnection()) {
        free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        return;
    }
    static const std::unique_ptr<WaylandRoundTrip> roundTrip = WaylandRoundTrip::open(qtWaylandDisplay());
    if (roundTrip)
        roundTrip->run();
}

bool waitUntilExposed(QWidget* window, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    const auto exposed = [window] { return window->windowHandle() && window->windowHandle()->isExposed(); };
    while (!exposed() && timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    return exposed();
}

double qtScaleFactor(const QWidget* window)
{
    const QWindow* handle = window != nullptr ? window->window()->windowHandle() : nullptr;
    if (handle == nullptr || handle->handle() == nullptr || handle->handle()->devicePixelRatio() <= 0)
        return 1;
    return handle->devicePixelRatio() / handle->handle()->devicePixelRatio();
}

std::unique_ptr<Pointer> openSurfacePointer(QWidget* frame)
{
    wl_display* display = qtWaylandDisplay();
    if (display == nullptr || frame == nullptr || frame->windowHandle() == nullptr)
        return nullptr;
    auto* surface = static_cast<wl_surface*>(QGuiApplication::platformNativeInterface()->nativeResourceForWindow(
        QByteArrayLiteral("surface"), frame->windowHandle()));
    const double scale = qtScaleFactor(frame);
    const ScreenSize size{static_cast<int>(std::lround(frame->width() * scale)),
                          static_cast<int>(std::lround(frame->height() * scale))};
    std::unique_ptr<WaylandPointer> pointer = WaylandPointer::open(display, surface, size);
    if (!pointer)
        return nullptr;
    return std::make_unique<SurfacePointer>(std::move(pointer));
}

std::unique_ptr<ServerClock> openServerClock()
{
    if (!onX11Platform())
        return nullptr;
    return X11ServerClock::open();
}

namespace {

// Natively on Wayland: on a subsurface of the frame's surface at the word area's place.
std::unique_ptr<WordPresenter> openWaylandPresenter(QWidget* area, std::string& why)
{
    QWidget* frame = area->window();
    QWindow* window = frame->windowHandle();
    wl_display* display = qtWaylandDisplay();
    auto* surface = window != nullptr
                        ? static_cast<wl_surface*>(QGuiApplication::platformNativeInterface()->nativeResourceForWindow(
                              QByteArrayLiteral("surface"), window))
                        : nullptr;
    if (display == nullptr || surface == nullptr) {
        why = "the word area has no Wayland surface";
        return nullptr;
    }
    // The surface's coordinates are the frame's pixels (past any decoration Qt draws in
    // it) times Qt's own factor, and its buffers the compositor's buffer scale times
    // larger: both must be whole for the area to lie on whole pixels of each.
    const double bufferScale = window->handle() != nullptr ? window->handle()->devicePixelRatio() : 1;
    const double qtScale = qtScaleFactor(frame);
    if (bufferScale != std::round(bufferScale) || bufferScale < 1 || qtScale != std::round(qtScale) || qtScale < 1) {
        why = "the display is scaled by a factor that is not whole";
        return nullptr;
    }
    const QMargins decoration = window->frameMargins();
    const QPoint at = (area->mapTo(frame, QPoint()) + QPoint(decoration.left(), decoration.top())) *
                      static_cast<int>(qtScale);
    // Qt commits the frame's surface as it draws the area, which places the subsurface.
    return WaylandPresenter::open(
        display, surface, at.x(), at.y(), static_cast<int>(bufferScale), [area] { area->repaint(); }, why);
}

}  // namespace

std::unique_ptr<WordPresenter> openWordPresenter(QWidget* area, std::string& why)
{
    if (onWaylandPlatform())
        return openWaylandPresenter(area, why);
    if (!onX11Platform()) {
        why = "neither on X11 nor natively on Wayland";
        return nullptr;
    }
    return X11Presenter::open(static_cast<std::uint32_t>(area->winId()), why);
}

std::unique_ptr<Pointer> openDisplayPointer(bool wholeWindowsOnly) { return X11Pointer::open(wholeWindowsOnly); }

std::unique_ptr<WakeHold> displayWakeHold() { return std::make_unique<X11ScreenSaverHold>(); }
