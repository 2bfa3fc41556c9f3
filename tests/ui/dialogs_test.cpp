// The dialog builder, the warning dialog and the main menu, on the offscreen platform.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/about_dialog.h"
#include "app/main_menu_dialog.h"
#include "common/ui/warning_dialog.h"
#include "layout_check.h"


TEST(WarningDialog, IsLaidOutAsItsTableWithTheCallersMessage)
{
    WarningDialog dialog(QStringLiteral("Any data will be overwritten."));
    expectLaidOutAsTable(dialog, WarningDialog::dialogTemplate());
    EXPECT_TRUE(dialog.windowTitle().isEmpty());
    EXPECT_EQ(dialog.control<QGroupBox>(WarningDialog::FrameId)->title(), "WARNING");
    EXPECT_EQ(dialog.control<QLabel>(WarningDialog::MessageId)->text(), "Any data will be overwritten.");
    EXPECT_EQ(dialog.control<QPushButton>(WarningDialog::CancelId)->text(), "Cancel");
    auto* cont = dialog.control<QPushButton>(WarningDialog::ContinueId);
    EXPECT_EQ(cont->text(), "CONTINUE");
    EXPECT_TRUE(cont->isDefault());
}

TEST(WarningDialog, EnterAndContinueGoOnEscapeAndCancelDoNot)
{
    struct Case {
        const char* what;
        std::function<void(WarningDialog&)> act;
        int expected;
    };
    const Case cases[] = {
        {"Enter", [](WarningDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }, WarningDialog::Continue},
        {"CONTINUE", [](WarningDialog& d) { d.control<QPushButton>(WarningDialog::ContinueId)->click(); },
         WarningDialog::Continue},
        {"Escape", [](WarningDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, WarningDialog::Cancel},
        {"Cancel", [](WarningDialog& d) { d.control<QPushButton>(WarningDialog::CancelId)->click(); },
         WarningDialog::Cancel},
        {"close box", [](WarningDialog& d) { d.close(); }, WarningDialog::Cancel},
    };
    for (const Case& c : cases) {
        WarningDialog dialog(QStringLiteral("message"));
        dialog.setResult(-1);
        dialog.show();
        c.act(dialog);
        EXPECT_FALSE(dialog.isVisible()) << c.what;
        EXPECT_EQ(dialog.result(), c.expected) << c.what;
    }
}

TEST(MainMenuDialog, HasEveryButtonAndTheCaption)
{
    MainMenuDialog menu;
    EXPECT_EQ(menu.windowTitle(), "TRUV for Windows 2.3");
    expectLaidOutAsTable(menu, MainMenuDialog::dialogTemplate());
    const std::pair<int, const char*> buttons[] = {
        {MainMenuDialog::RunId, "Run QAV"},
        {MainMenuDialog::CreateInputFileId, "Create New Input File"},
        {MainMenuDialog::EditQuestionnaireId, "Add/Edit QAV Items Questionnaire"},
        {MainMenuDialog::EditStimulusListsId, "Add/Edit Stimulus Lists"},
        {MainMenuDialog::EditInstructionsId, "Add/Edit Instructions"},
        {MainMenuDialog::WriteLogFileId, "Write Log File"},
        {MainMenuDialog::ExitId, "Exit"},
        {MainMenuDialog::AboutId, "About"},
    };
    for (const auto& [id, text] : buttons)
        EXPECT_EQ(menu.control<QPushButton>(id)->text(), text);
    EXPECT_TRUE(menu.control<QPushButton>(MainMenuDialog::RunId)->isDefault());
}

TEST(MainMenuDialog, EnterRunsEscapeAndExitEnd)
{
    struct Case {
        const char* what;
        std::function<void(MainMenuDialog&)> act;
        int expected;
    };
    const Case cases[] = {
        {"Enter", [](MainMenuDialog& m) { QTest::keyClick(&m, Qt::Key_Return); }, MainMenuDialog::RunResult},
        {"Run QAV", [](MainMenuDialog& m) { m.control<QPushButton>(MainMenuDialog::RunId)->click(); },
         MainMenuDialog::RunResult},
        {"Escape", [](MainMenuDialog& m) { QTest::keyClick(&m, Qt::Key_Escape); }, MainMenuDialog::ExitResult},
        {"Exit", [](MainMenuDialog& m) { m.control<QPushButton>(MainMenuDialog::ExitId)->click(); },
         MainMenuDialog::ExitResult},
        {"close box", [](MainMenuDialog& m) { m.close(); }, MainMenuDialog::ExitResult},
    };
    for (const Case& c : cases) {
        MainMenuDialog menu;
        menu.show();
        c.act(menu);
        EXPECT_FALSE(menu.isVisible()) << c.what;
        EXPECT_EQ(menu.result(), c.expected) << c.what;
    }
}

TEST(MainMenuDialog, ActivityButtonsRunTheirHandlerAndKeepTheMenuOpen)
{
    std::vector<MenuActivity> ran;
    const std::pair<int, MenuActivity> buttons[] = {
        {MainMenuDialog::CreateInputFileId, MenuActivity::CreateInputFile},
        {MainMenuDialog::EditQuestionnaireId, MenuActivity::EditQuestionnaire},
        {MainMenuDialog::EditStimulusListsId, MenuActivity::EditStimulusLists},
        {MainMenuDialog::EditInstructionsId, MenuActivity::EditInstructions},
        {MainMenuDialog::WriteLogFileId, MenuActivity::WriteLogFile},
    };
    MenuActivities activities;
    for (const auto& [id, activity] : buttons)
        activities[activity] = [&ran, activity = activity](QWidget*) { ran.push_back(activity); };

    MainMenuDialog menu(activities);
    menu.show();
    for (const auto& [id, activity] : buttons)
        menu.control<QPushButton>(id)->click();
    EXPECT_TRUE(menu.isVisible());
    ASSERT_EQ(ran.size(), 5u);
    for (std::size_t i = 0; i < ran.size(); ++i)
        EXPECT_EQ(ran[i], buttons[i].second);

    // Enter on a focused activity button presses that button, not "Run QAV".
    ran.clear();
    auto* lists = menu.control<QPushButton>(MainMenuDialog::EditStimulusListsId);
    QTest::keyClick(lists, Qt::Key_Return);
    EXPECT_TRUE(menu.isVisible());
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_EQ(ran[0], MenuActivity::EditStimulusLists);
}

TEST(AboutDialog, NamesTheProgramAndCloses)
{
    AboutDialog about;
    EXPECT_EQ(about.windowTitle(), "About QAV");
    expectLaidOutAsTable(about, AboutDialog::dialogTemplate());
    EXPECT_EQ(about.control<QLabel>(AboutDialog::NameId)->text(), "TRUV for Windows 2.3");
    about.show();
    QTest::keyClick(&about, Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
}
