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

// What each activity does: it opens its own modal dialog over parent, the menu, and
// returns to it. An activity without a handler does nothing.
using MenuActivities = std::map<MenuActivity, std::function<void(QWidget* parent)>>;

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

    explicit MainMenuDialog(MenuActivities activities = {}, QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();

public slots:
    // Esc and the close box are the Cancel command: the program ends.
    void reject() override;

private:
    void runActivity(MenuActivity activity);

    const MenuActivities activities_;
};

// The menu's picture: a small drawing of the task screen.
class MenuPicture : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
