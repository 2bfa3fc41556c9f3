#include "app/participant_screens.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
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

// The dialog whose native window this is, if any.
QDialog* dialogOf(QObject* object)
{
    auto* window = qobject_cast<QWindow*>(object);
    if (window == nullptr)
        return nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowHandle() == window)
            return qobject_cast<QDialog*>(widget);
    return nullptr;
}

// Once a window manager has framed a dialog (it is exposed), its outer frame, not
// the window inside, is centred on the primary monitor; without one the two are one
// and nothing moves.
void centreByFrame(QDialog* dialog)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || !dialog->isVisible())
        return;
    const QRect frame = dialog->frameGeometry();
    const QPoint target = screen->geometry().center() - QRect(QPoint(), frame.size()).center();
    if (frame.topLeft() != target)
        dialog->move(target);
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
    // The first exposure of each showing: the frame is known by then.
    if (event->type() == QEvent::Expose) {
        if (QDialog* dialog = dialogOf(watched); dialog && !centred_.contains(dialog)) {
            centred_.insert(dialog);
            connect(dialog, &QObject::destroyed, this, [this, dialog] { centred_.remove(dialog); });
            QTimer::singleShot(0, dialog, [dialog = QPointer<QDialog>(dialog)] {
                if (dialog)
                    centreByFrame(dialog);
            });
        }
    } else if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        centred_.remove(static_cast<QWidget*>(watched));
    }
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
