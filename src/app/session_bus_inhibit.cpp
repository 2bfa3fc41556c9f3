#include "app/session_bus_inhibit.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <utility>

#include "common/ui/display_system.h"

namespace {

// How the desktop names the program and says why the screen stays on.
const QString applicationName = QStringLiteral("TRUV");
const QString applicationId = QStringLiteral("truv");
const QString reason = QStringLiteral("An experiment is running");

// The session manager's inhibit flag for "the session is not to be marked idle",
// which is what starts the screen saver and the lock.
constexpr uint inhibitIdle = 8;

QDBusMessage callOnSessionBus(const SessionBusInhibit::Methods& methods, const QString& method,
                              const QVariantList& arguments)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {};
    QDBusMessage call = QDBusMessage::createMethodCall(methods.service, methods.path, methods.interface, method);
    call.setArguments(arguments);
    call.setAutoStartService(false);
    // Blocks without an event loop: no other screen's events are handled meanwhile.
    return bus.call(call, QDBus::Block, SessionBusInhibit::timeoutMilliseconds);
}

}  // namespace

SessionBusInhibit::SessionBusInhibit(Methods methods) : methods_(std::move(methods)) {}

SessionBusInhibit::~SessionBusInhibit() { release(); }

bool SessionBusInhibit::acquire()
{
    if (held_)
        return true;
    const QDBusMessage reply = callOnSessionBus(methods_, methods_.inhibit, methods_.arguments);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const QVariant cookie = reply.arguments().constFirst();
    if (cookie.metaType() != QMetaType::fromType<uint>())
        return false;
    cookie_ = cookie.toUInt();
    held_ = true;
    return true;
}

void SessionBusInhibit::release()
{
    if (!held_)
        return;
    held_ = false;
    // Should the call fail, the service drops the inhibition when this program's
    // connection to the bus closes.
    callOnSessionBus(methods_, methods_.uninhibit, {QVariant::fromValue(cookie_)});
}

std::unique_ptr<SessionBusInhibit> SessionBusInhibit::screenSaver()
{
    return std::make_unique<SessionBusInhibit>(Methods{
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("Inhibit"),
        {applicationName, reason},
        QStringLiteral("UnInhibit"),
    });
}

std::unique_ptr<SessionBusInhibit> SessionBusInhibit::gnomeSessionManager()
{
    return std::make_unique<SessionBusInhibit>(Methods{
        QStringLiteral("org.gnome.SessionManager"),
        QStringLiteral("/org/gnome/SessionManager"),
        QStringLiteral("org.gnome.SessionManager"),
        QStringLiteral("Inhibit"),
        {applicationId, QVariant::fromValue(uint{0}), reason, QVariant::fromValue(inhibitIdle)},
        QStringLiteral("Uninhibit"),
    });
}

std::vector<std::unique_ptr<WakeHold>> desktopWakeHolds()
{
    std::vector<std::unique_ptr<WakeHold>> holds;
    holds.push_back(displayWakeHold());
    holds.push_back(SessionBusInhibit::screenSaver());
    holds.push_back(SessionBusInhibit::gnomeSessionManager());
    return holds;
}
