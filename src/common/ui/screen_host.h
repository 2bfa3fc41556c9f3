#pragma once
// The participant's screens drawn inside the full-screen frame's own surface, for a
// display system on which a program cannot place its windows (Wayland): while a host
// exists, every template dialog made becomes a child widget of the frame, centred on
// it by its outer frame, under a caption bar and border that the host draws as a
// window's decoration (as toolkits draw client-side decorations). The dialogs shown
// form a stack: the top one is enabled and has the keyboard; those under it are
// disabled until it is hidden, as a modal dialog's owners are. Nothing is placed by
// the compositor, and there is no window button that closes or hides a screen.

#include <QList>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>

class QDialog;
class QWidget;

class ScreenHost : public QObject {
public:
    // From construction to destruction the dialogs made are drawn in frame.
    explicit ScreenHost(QWidget* frame);
    ~ScreenHost() override;
    ScreenHost(const ScreenHost&) = delete;
    ScreenHost& operator=(const ScreenHost&) = delete;

    // The host in force, or nullptr.
    static ScreenHost* current();
    QWidget* frame() const { return frame_; }

    // Makes dialog a child widget of the frame, drawn as one of its screens.
    void adopt(QDialog* dialog);

    // The caption bar and border around a screen drawn in a frame.
    static QMargins decoration(const QWidget* dialog);
    // The screen's outer frame (its caption and border included), in the frame's
    // coordinates.
    static QRect outerRect(const QWidget* dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void centre(QWidget* dialog);
    void shown(QWidget* dialog);
    void hidden(QWidget* dialog);
    void paintDecorations();

    QWidget* frame_;
    QList<QPointer<QWidget>> stack_;  // the screens shown, the top one last
};
