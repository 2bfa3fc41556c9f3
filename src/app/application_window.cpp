#include "app/application_window.h"

#include <cstdlib>

#include <QApplication>
#include <QMessageBox>
#include <QKeyEvent>
#include <QPalette>
#include <QScreen>
#include <QStyleFactory>

#include "app/codebook_dialog.h"
#include "app/main_menu_dialog.h"
#include "app/participant_screens.h"
#include "app/qt_run_screens.h"
#include "run/run_driver.h"
#include "app/session_bus_inhibit.h"
#include "common/ui/display_system.h"
#include "files/ui/create_input_file_dialog.h"
#include "files/ui/stimulus_list_editor.h"
#include "instructions/ui/instruction_editor.h"
#include "questionnaire/ui/questionnaire_editor.h"
#include "platform/desktop_session.h"
#include "task/ui/task_window.h"

MainFrame::MainFrame() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle(QString::fromLatin1(className()));
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(grey, grey, grey));
    setPalette(p);
    setAutoFillBackground(true);
}

ExperimentApp::ExperimentApp() = default;
ExperimentApp::~ExperimentApp() = default;

int ExperimentApp::initInstance()
{
    // The same three-dimensional control look on every desktop.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(style);

    // Real-time scheduling, else the lowest nice value, else normal: never fatal.
    priority_ = raisePriority();

    const MenuActivities activities = {
        {MenuActivity::CreateInputFile, [](QWidget* parent) { createInputFile(parent); }},
        {MenuActivity::EditQuestionnaire, editQuestionnaireFromMenu},
        {MenuActivity::EditStimulusLists, editStimulusListsFromMenu},
        {MenuActivity::EditInstructions, editInstructionsFromMenu},
        {MenuActivity::WriteLogFile, [](QWidget* parent) { writeCodebookFromMenu(parent); }},
    };

    slot_.table = &participantShortcuts();
    qApp->installEventFilter(this);

    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return 1;
    frame_ = std::make_unique<MainFrame>();
    frame_->setGeometry(screen->geometry());
    frame_->showFullScreen();
    // Shown and drawn before the menu: a compositor gives the keyboard to the window
    // mapped last, which must be the menu, not the frame behind it. Keys wait; a slow
    // desktop only delays the menu.
    waitUntilExposed(frame_.get(), 3000);

    for (;;) {
        MainMenuDialog menu(activities, frame_.get());
        const int result = menu.exec();
        if (result == MainMenuDialog::RunResult)
            runExperiment();
        else if (result == MainMenuDialog::ExitResult)
            break;
    }

    qApp->removeEventFilter(this);
    frame_.reset();
    return 0;
}

void ExperimentApp::runExperiment()
{
    const bool waylandSession = isWaylandSession(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE"));
    // Natively on Wayland the participant's screens are drawn in the frame's own
    // surface and the pointer is held there by the compositor.
    const bool native = onWaylandPlatform();
    // Through XWayland the experimenter learns, before anything is shown to the
    // participant, that the pointer is held to the whole task window only, and may go
    // on or not.
    if (waylandSession && onX11Platform()) {
        QMessageBox notice(QMessageBox::Warning, QStringLiteral("Wayland session"),
                           QString::fromLatin1(waylandSessionNotice), QMessageBox::NoButton, frame_.get());
        notice.setTextFormat(Qt::PlainText);
        notice.addButton(QStringLiteral("Go on"), QMessageBox::AcceptRole);
        notice.setDefaultButton(notice.addButton(QStringLiteral("Back to the menu"), QMessageBox::RejectRole));
        notice.exec();
        if (notice.buttonRole(notice.clickedButton()) != QMessageBox::AcceptRole)
            return;
    }

    // The pointer of the display the program shows on (XWayland's in a Wayland session:
    // held to the whole task window; the compositor's natively); without one (the
    // offscreen platform, a compositor without pointer constraints) a pointer kept in
    // memory over the screen's size, in the pixels the task window gives its rectangles
    // in (the frame's surface's natively, else the screen's device pixels).
    std::unique_ptr<Pointer> pointer = native ? openSurfacePointer(frame_.get()) : openDisplayPointer(waylandSession);
    if (!pointer) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize size = native              ? frame_->size() * qtScaleFactor(frame_.get())
                           : screen != nullptr ? screen->geometry().size() * screen->devicePixelRatio()
                                               : QSize(1280, 1024);
        pointer = std::make_unique<HeadlessPointer>(ScreenSize{size.width(), size.height()});
    }
    MonotonicClock clock;
    const ParticipantScreens participantScreens(frame_.get(), native);
    QtRunScreens screens(slot_, *pointer, clock, makeTaskFont(), frame_.get());
    RunDriver driver(screens);
    // The screen stays on and the session unlocked from the subject page until the
    // run is over, however it ends; then the desktop's own settings apply again.
    const ScreenKeeper keeper(desktopWakeHolds());
    // Every outcome goes back to the menu; the driver has told the experimenter
    // whatever went wrong.
    driver.runExperiment(localDateTime());
}

bool ExperimentApp::processMessageFilter(QObject*, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    return translateForSlot(slot_, *static_cast<QKeyEvent*>(event));
}

bool ExperimentApp::eventFilter(QObject* watched, QEvent* event)
{
    return processMessageFilter(watched, event) || QObject::eventFilter(watched, event);
}
