#pragma once
// The shell of the two page editors (instruction pages, questionnaire pages): the
// editor shell, with the page commands of their PagedDocument, each between storing
// the page on screen and showing the page after, those that change the document
// counting as edits; the questions before New, Open, Exit and Remove Page; and the
// command buttons, none of them the default, so that Enter
// stays Exit wherever it is pressed.

#include <QPushButton>
#include <QString>

#include <functional>
#include <initializer_list>
#include <utility>

#include "common/ui/editor_shell_dialog.h"
#include "common/paged_document.h"
#include "common/ui/warning_dialog.h"

// What a page editor says when Add Page finds no room and Remove Page the only page.
struct PageCommandTexts {
    QString noRoom;
    QString onlyPage;
};

// The ids of the command buttons both page editors have, in an editor's own table.
struct PageButtonIds {
    int flipBack, flipForward, moveFront, moveBack, addPage, removePage, save, exit, preview;
};

template <typename Pages>
class PageEditorDialog : public EditorShellDialog {
public:
    // Shows the current page as the participant will see it.
    virtual void preview() = 0;

    void flipBack()
    {
        pageCommand([this] { pages().flipBack(); });
    }
    void flipForward()
    {
        pageCommand([this] { pages().flipForward(); });
    }
    void moveTowardsFront()
    {
        if (pages().current() > 0)
            pageCommand([this] {
                pages().moveTowardsFront();
                markEdited();
            });
    }
    void moveTowardsBack()
    {
        if (pages().current() < pages().count() - 1)
            pageCommand([this] {
                pages().moveTowardsBack();
                markEdited();
            });
    }
    void addPage()
    {
        pageCommand([this] {
            if (pages().addPage())
                markEdited();
            else
                warn(texts_.noRoom);
        });
    }
    void removePage()
    {
        pageCommand([this] {
            if (!pages().canRemove()) {
                warn(texts_.onlyPage);
                return;
            }
            const bool confirmed = WarningDialog::ask(QString::fromUtf8(removePageQuestion), this) ==
                                   WarningDialog::Continue;
            pages().removeCurrent(confirmed);
            if (confirmed)
                markEdited();
        });
    }

protected:
    PageEditorDialog(const DialogTemplate& dialogTemplate, const EditorFileKind& kind, PageCommandTexts texts,
                     QWidget* parent)
        : EditorShellDialog(dialogTemplate, kind, parent), texts_(std::move(texts))
    {
    }

    virtual Pages& pages() = 0;
    virtual const Pages& pages() const = 0;

    bool firstNewOrOpen() const override { return !pages().needsOverwriteWarning(); }
    QString overwriteQuestion() const override { return QString::fromUtf8(overwriteWarning); }
    void newOrOpenDone() override { pages().newOrOpenDone(); }
    // EXIT asks whether unsaved changes may be lost, changed or not.
    bool exitAlwaysAsks() const override { return true; }

    void connectPageButtons(const PageButtonIds& ids)
    {
        connectButtons({
            {ids.flipBack, [this] { flipBack(); }},
            {ids.flipForward, [this] { flipForward(); }},
            {ids.moveFront, [this] { moveTowardsFront(); }},
            {ids.moveBack, [this] { moveTowardsBack(); }},
            {ids.addPage, [this] { addPage(); }},
            {ids.removePage, [this] { removePage(); }},
            {ids.save, [this] { save(); }},
            {ids.exit, [this] { exitEditor(); }},
            {ids.preview, [this] { preview(); }},
        });
    }

    // Connects each button to its command.
    void connectButtons(std::initializer_list<std::pair<int, std::function<void()>>> buttons)
    {
        for (const auto& [id, command] : buttons) {
            auto* button = control<QPushButton>(id);
            button->setAutoDefault(false);
            button->setDefault(false);
            QObject::connect(button, &QPushButton::clicked, this, command);
        }
    }

private:
    void pageCommand(const std::function<void()>& command)
    {
        storeDocument();
        command();
        showDocument();
    }

    PageCommandTexts texts_;
};
