#pragma once
// The screen that stops a run while no file takes its lines: "Please call the
// experimenter.", what is held and where the program tried, and two choices, "Try
// again" and "End the run". It has no default button, and Enter, Escape, Space and
// the close box choose nothing: only a deliberate click (or Tab to a button, then
// Space) closes it, so a participant's stray key cannot decide.

#include <string_view>

#include "common/ui/template_dialog.h"
#include "run/run_screens.h"

class OutputTroubleDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId { CallId = 1, DetailId, TryAgainId, EndRunId };

    explicit OutputTroubleDialog(QWidget* parent = nullptr);

    // The first line of message goes above, the rest into the detail box.
    void setMessage(std::string_view message);
    OutputTrouble choice() const { return choice_; }

    // Shows the message modally until a choice is made.
    static OutputTrouble ask(std::string_view message, QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();

public slots:
    void reject() override {}

private:
    OutputTrouble choice_ = OutputTrouble::TryAgain;
};
