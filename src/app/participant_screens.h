#pragma once
// While a run is in progress, nothing the participant clicks or presses hides the
// run's screens or the grey frame behind them: the dialogs made during the run offer
// no minimize or maximize button, a window that a window manager minimizes all the
// same (some draw the buttons whatever a window asks) is shown again at once, and the
// grey frame stays above every other program's windows (the run's own, which belong
// to it, stay above it). Every dialog of the run is centred on the primary monitor by
// its outer frame, as the window manager draws it; or, on a display system where the
// program cannot place its windows, drawn inside the grey frame, centred on it.

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <memory>

#include "common/ui/screen_host.h"

class QDialog;
class QWidget;

class ParticipantScreens : public QObject {
public:
    // From construction to destruction: the run's length. frame, when given, is the
    // grey frame behind the run's screens; inFrame: the screens are drawn inside it
    // (where the display system places no windows for the program), not as windows.
    explicit ParticipantScreens(QWidget* frame = nullptr, bool inFrame = false);
    ~ParticipantScreens() override;
    ParticipantScreens(const ParticipantScreens&) = delete;
    ParticipantScreens& operator=(const ParticipantScreens&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A dialog shown a moment ago: a window manager frames and places it after it is
    // mapped, so its frame is centred again, for a short while, whenever it is off centre.
    struct Centring {
        QElapsedTimer shown;
        int moves = 0;
    };
    void centreShownDialogs();
    void forget(QObject* dialog);

    QWidget* frame_;
    std::unique_ptr<ScreenHost> host_;    // while the screens are drawn in the frame
    QHash<QObject*, Centring> centring_;  // by dialog
    QTimer centringTimer_;
};
