#include "app/participant_screens.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "common/template_dialog.h"

namespace {

// Changed on the native window, which the window manager is told of at once: a
// widget's own flags would hide and show it again.
void keepAbove(QWidget* frame, bool above)
{
    if (frame && frame->windowHandle())
        frame->windowHandle()->setFlag(Qt::WindowStaysOnTopHint, above);
}

}  // namespace

ParticipantScreens::ParticipantScreens(QWidget* frame) : frame_(frame)
{
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

bool ParticipantScreens::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Minimized, or a dialog maximized: a window manager that offers the buttons
        // whatever the window asks. The grey frame is full screen by design.
        const Qt::WindowStates undone =
            Qt::WindowMinimized | (widget != frame_ ? Qt::WindowMaximized : Qt::WindowNoState);
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
