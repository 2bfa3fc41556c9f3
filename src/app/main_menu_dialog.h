#pragma once
// The main menu: one button per activity, "Exit", "About", and a picture.

#include <functional>
#include <map>

#include "common/ui/template_dialog.h"

enum class MenuActivity {
    CreateInputFile,
    EditQuestionnaire,
    EditStimulusLists,
    EditInstructions,
    WriteLogFile,
};

class MainMenuDialog : public TemplateDialog {
    Q_OBJECT
public:
    // The results the menu closes with.
    enum Result { RunResult = 1, ExitResult = 2 };
    enum ControlId {
        RunId = 1,
        CreateInputFileId,
        EditQuestionnaireId,
        EditStimulusListsId,
        EditInstructionsId,
        WriteLogFileId,
        ExitId,
        AboutId,
        PictureId,
    };

    explicit MainMenuDialog(QWidget* parent = nullptr);

    // Every activity opens its own modal dialog over the menu and returns to it.
    // An activity without a handler does nothing.
    static void setActivityHandler(MenuActivity activity, std::function<void(QWidget* parent)> handler);

    static const DialogTemplate& layout();

public slots:
    // Esc and the close box are the Cancel command: the program ends.
    void reject() override;

private:
    void runActivity(MenuActivity activity);
    static std::map<MenuActivity, std::function<void(QWidget*)>>& handlers();
};

// The menu's picture: a small drawing of the task screen.
class MenuPicture : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
