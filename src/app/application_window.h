#pragma once
// The application object and the main frame: start-up, the plain full-screen
// window behind every dialog, the main menu loop, and the application-wide key
// filter that turns the participant's keys into task window commands.

#include <QObject>
#include <QWidget>

#include <memory>

#include "common/ui/accelerator_slot.h"
#include "platform/platform.h"

// The light grey full-screen window without caption or border.
class MainFrame : public QWidget {
    Q_OBJECT
public:
    static constexpr int grey = 200;
    static const char* className() { return "TRUV"; }
    MainFrame();
};

class ExperimentApp : public QObject {
    Q_OBJECT
public:
    ExperimentApp();
    ~ExperimentApp() override;

    // Start-up and the main menu loop; returns the program's exit status when the
    // experimenter chooses "Exit".
    int initInstance();

    // Application-wide event filter: offers every key press to the accelerator
    // target slot; a translated key is consumed.
    bool processMessageFilter(QObject* watched, QEvent* event);

    AcceleratorSlot& acceleratorSlot() { return slot_; }
    MainFrame* mainFrame() const { return frame_.get(); }
    PriorityLevel priority() const { return priority_; }

    // Carries out the run of one experiment; returns to the menu loop.
    void runExperiment();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AcceleratorSlot slot_;
    std::unique_ptr<MainFrame> frame_;
    PriorityLevel priority_ = PriorityLevel::Normal;
};
