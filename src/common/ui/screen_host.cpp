#include "common/ui/screen_host.h"

#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace {

ScreenHost* currentHost = nullptr;

constexpr int borderWidth = 1;

// The screen on top of the stack takes the keyboard as a dialog window does when it is
// activated: at the control it gave the focus to before it was shown, else at the
// first control of its tab order that takes the focus (a default button keeps the
// Enter key wherever the focus is).
void giveFocus(QWidget* dialog)
{
    QWidget* chosen = dialog->focusWidget();
    if (chosen == nullptr || !dialog->isAncestorOf(chosen) || !chosen->isEnabled()) {
        chosen = nullptr;
        for (QWidget* w = dialog->nextInFocusChain(); w != dialog && chosen == nullptr; w = w->nextInFocusChain()) {
            if (dialog->isAncestorOf(w) && w->isVisibleTo(dialog) && w->isEnabled() &&
                (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus)
                chosen = w;
        }
    }
    (chosen != nullptr ? chosen : dialog)->setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace

ScreenHost::ScreenHost(QWidget* frame) : frame_(frame)
{
    currentHost = this;
    frame_->installEventFilter(this);
}

ScreenHost::~ScreenHost()
{
    frame_->removeEventFilter(this);
    for (const QPointer<QWidget>& dialog : std::as_const(stack_)) {
        if (dialog)
            dialog->removeEventFilter(this);
    }
    if (currentHost == this)
        currentHost = nullptr;
    frame_->update();
}

ScreenHost* ScreenHost::current() { return currentHost; }

void ScreenHost::adopt(QDialog* dialog)
{
    dialog->setParent(frame_, Qt::Widget);
    // A child widget paints its own background; a window's is painted for it.
    dialog->setAutoFillBackground(true);
    dialog->hide();
    dialog->installEventFilter(this);
    // A screen destroyed while shown gives the keyboard back to the one under it.
    connect(dialog, &QObject::destroyed, this, [this] { hidden(nullptr); });
}

QMargins ScreenHost::decoration(const QWidget* dialog)
{
    if (dialog->windowFlags().testFlag(Qt::FramelessWindowHint))
        return {};
    const int caption = QFontMetrics(dialog->font()).height() + 10;
    return {borderWidth, borderWidth + caption, borderWidth, borderWidth};
}

QRect ScreenHost::outerRect(const QWidget* dialog) { return dialog->geometry().marginsAdded(decoration(dialog)); }

void ScreenHost::centre(QWidget* dialog)
{
    const QMargins m = decoration(dialog);
    const QSize outer = dialog->size().grownBy(m);
    const QPoint corner = frame_->rect().center() - QRect(QPoint(), outer).center();
    dialog->move(corner + QPoint(m.left(), m.top()));
}

void ScreenHost::shown(QWidget* dialog)
{
    stack_.removeAll(dialog);
    for (const QPointer<QWidget>& below : std::as_const(stack_)) {
        if (below)
            below->setEnabled(false);
    }
    stack_.append(dialog);
    dialog->setEnabled(true);
    centre(dialog);
    dialog->raise();
    giveFocus(dialog);
    frame_->update();
}

void ScreenHost::hidden(QWidget* dialog)
{
    stack_.removeAll(dialog);
    stack_.removeAll(nullptr);
    if (!stack_.isEmpty()) {
        QWidget* top = stack_.last();
        top->setEnabled(true);
        giveFocus(top);
    }
    frame_->update();
}

void ScreenHost::paintDecorations()
{
    QPainter p(frame_);
    for (const QPointer<QWidget>& dialog : std::as_const(stack_)) {
        if (!dialog || !dialog->isVisible())
            continue;
        const bool top = dialog == stack_.last();
        const QRect outer = outerRect(dialog);
        const QMargins m = decoration(dialog);
        if (m.isNull())
            continue;
        const QRect caption(outer.left(), outer.top(), outer.width(), m.top());
        p.fillRect(outer, dialog->palette().color(QPalette::Window));
        p.fillRect(caption, top ? QColor(225, 225, 225) : QColor(240, 240, 240));
        p.setPen(QColor(140, 140, 140));
        p.drawRect(outer.adjusted(0, 0, -1, -1));
        p.drawLine(caption.left(), caption.bottom(), caption.right(), caption.bottom());
        const QString title = dialog->windowTitle().trimmed();
        if (!title.isEmpty()) {
            p.setPen(top ? QColor(0, 0, 0) : QColor(110, 110, 110));
            p.setFont(dialog->font());
            p.drawText(caption, Qt::AlignCenter, title);
        }
    }
}

bool ScreenHost::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == frame_) {
        if (event->type() == QEvent::Paint) {
            // Drawn over the frame's background, under its child widgets.
            paintDecorations();
        } else if (event->type() == QEvent::Resize) {
            for (const QPointer<QWidget>& dialog : std::as_const(stack_)) {
                if (dialog)
                    centre(dialog);
            }
            frame_->update();
        }
        return false;
    }
    auto* dialog = qobject_cast<QWidget*>(watched);
    if (dialog == nullptr || dialog->parentWidget() != frame_)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        shown(dialog);
        break;
    case QEvent::Hide:
        hidden(dialog);
        break;
    case QEvent::Resize:
        if (dialog->isVisible())
            centre(dialog);
        frame_->update();
        break;
    default:
        break;
    }
    return false;
}
