#include "app/participant_screens.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "common/ui/template_dialog.h"
#include "task/ui/task_window.h"

namespace {

// Changed on the native window, which the window manager is told of at once: a
// widget's own flags would hide and show it again.
void keepAbove(QWidget* frame, bool above)
{
    if (frame && frame->windowHandle())
        frame->windowHandle()->setFlag(Qt::WindowStaysOnTopHint, above);
}

// How long after showing a dialog's frame is kept centred against the window
// manager's own placement, and how often it is moved at most (a window manager that
// insists on its own place is not fought for ever).
constexpr int centringMilliseconds = 2000;
constexpr int mostCentringMoves = 6;
constexpr int centringTick = 40;  // milliseconds

// Where the dialog's outer frame is centred on the primary monitor.
QPoint centredFrame(const QWidget* dialog, const QScreen* screen)
{
    return screen->geometry().center() - QRect(QPoint(), dialog->frameGeometry().size()).center();
}

}  // namespace

ParticipantScreens::ParticipantScreens(QWidget* frame, bool inFrame) : frame_(frame)
{
    if (inFrame && frame_ != nullptr)
        host_ = std::make_unique<ScreenHost>(frame_);
    centringTimer_.setInterval(centringTick);
    connect(&centringTimer_, &QTimer::timeout, this, &ParticipantScreens::centreShownDialogs);
    TemplateDialog::setParticipantScreens(true);
    qApp->installEventFilter(this);
    keepAbove(frame_, true);
}

ParticipantScreens::~ParticipantScreens()
{
    keepAbove(frame_, false);
    qApp->removeEventFilter(this);
    TemplateDialog::setParticipantScreens(false);
}

// Every tick of the timer, each dialog shown a moment ago whose frame is off centre
// is moved (the window manager may frame and place it some time after it is mapped,
// and may move it again once).
void ParticipantScreens::centreShownDialogs()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    for (auto it = centring_.begin(); it != centring_.end();) {
        auto* dialog = static_cast<QDialog*>(it.key());
        if (!dialog->isVisible() || screen == nullptr || it->shown.elapsed() > centringMilliseconds ||
            it->moves >= mostCentringMoves) {
            it = centring_.erase(it);
            continue;
        }
        const QPoint target = centredFrame(dialog, screen);
        if (dialog->frameGeometry().topLeft() != target) {
            ++it->moves;
            dialog->move(target);
        }
        ++it;
    }
    if (centring_.isEmpty())
        centringTimer_.stop();
}

void ParticipantScreens::forget(QObject* dialog) { centring_.remove(dialog); }

bool ParticipantScreens::eventFilter(QObject* watched, QEvent* event)
{
    // Dialogs of the run, not the task window, which centres itself before its
    // block's confinement is worked out.
    if (watched->isWidgetType()) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog && dialog->isWindow() && qobject_cast<TaskWindow*>(dialog) == nullptr) {
            if (event->type() == QEvent::Show) {
                Centring& entry = centring_[dialog];
                entry = Centring{};
                entry.shown.start();
                connect(dialog, &QObject::destroyed, this, &ParticipantScreens::forget, Qt::UniqueConnection);
                if (!centringTimer_.isActive())
                    centringTimer_.start();
            } else if (event->type() == QEvent::Hide) {
                centring_.remove(dialog);
            }
        }
    }
    if (event->type() == QEvent::WindowStateChange && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Minimized, or a dialog maximized: a window manager that offers the buttons
        // whatever the window asks. The grey frame is full screen by design.
        const Qt::WindowStates undone = Qt::WindowMinimized |
                                        (widget != frame_ ? Qt::WindowMaximized : Qt::WindowNoState);
        if (widget->isWindow() && widget->isVisible() && (widget->windowState() & undone)) {
            // Once the window manager has finished: shown as it was, raised and given
            // the keyboard again.
            QTimer::singleShot(0, widget, [window = QPointer<QWidget>(widget), undone] {
                if (!window)
                    return;
                window->setWindowState(window->windowState() & ~undone);
                window->show();
                window->raise();
                window->activateWindow();
            });
        }
    }
    return QObject::eventFilter(watched, event);
}
