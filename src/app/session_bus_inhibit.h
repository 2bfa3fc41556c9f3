#pragma once
// What keeps this desktop's screen on and its session unlocked during a run: the X
// server's screen saver and DPMS, and on the session bus the screen saver service and
// the GNOME session manager. Each is used where it is present; a run goes on without
// those that are not.

#include <QString>
#include <QVariantList>

#include <memory>
#include <vector>

#include "platform/screen_keeper.h"

// One inhibition on the session bus: a method that answers with a cookie, and the
// method that takes the cookie back. Each call waits at most one second, and never
// starts a service that is not running: one that is not running locks nothing.
class SessionBusInhibit final : public WakeHold {
public:
    struct Methods {
        QString service;
        QString path;
        QString interface;
        QString inhibit;
        QVariantList arguments;  // of the inhibit call
        QString uninhibit;       // called with the cookie alone
    };
    static constexpr int timeoutMilliseconds = 1000;

    explicit SessionBusInhibit(Methods methods);
    ~SessionBusInhibit() override;

    bool acquire() override;
    void release() override;

    // org.freedesktop.ScreenSaver.Inhibit(application name, reason), UnInhibit(cookie).
    static std::unique_ptr<SessionBusInhibit> screenSaver();
    // org.gnome.SessionManager.Inhibit(app id, toplevel 0, reason, idle), Uninhibit(cookie).
    static std::unique_ptr<SessionBusInhibit> gnomeSessionManager();

private:
    Methods methods_;
    bool held_ = false;
    uint cookie_ = 0;
};

// Every hold this desktop may offer, for a ScreenKeeper around the run.
std::vector<std::unique_ptr<WakeHold>> desktopWakeHolds();
