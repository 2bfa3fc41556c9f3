// "Create New Input File" on the offscreen platform: the real dialogs, typed into,
// with the save-file dialog replaced through its seam.
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include <sys/stat.h>

#include "common/file_dialog_folder.h"
#include "common/temp_directory.h"
#include "files/ui/create_input_file_dialog.h"
#include "files/ui/input_file_dialog.h"
#include "files/ui/session_settings_dialog.h"
#include "layout_check.h"

#include "ui/when_shown.h"

namespace {

class HomeGuard {
public:
    explicit HomeGuard(const std::string& home) : previous_(qgetenv("HOME")) { qputenv("HOME", home.c_str()); }
    ~HomeGuard() { qputenv("HOME", previous_); }

private:
    QByteArray previous_;
};

WordList pairList(const std::string& labelA, const std::string& labelB)
{
    WordList list;
    list.entriesA[0].assign(labelA);
    list.entriesA[1].assign("one");
    list.entriesB[0].assign(labelB);
    list.entriesB[1].assign("two");
    list.entryCountA = 2;
    list.entryCountB = 2;
    return list;
}

// A study directory with pairs1.wls (Fruit, Tools) and pairs2.wls (Summer, Winter).
struct Study {
    TempDirectory dir;
    Study()
    {
        EXPECT_TRUE(writeWordListFile(pairList("Fruit", "Tools"), dir.file("pairs1.wls")));
        EXPECT_TRUE(writeWordListFile(pairList("Summer", "Winter"), dir.file("pairs2.wls")));
    }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names = dir.entries();
        std::sort(names.begin(), names.end());
        return names;
    }
};

const std::vector<std::string> onlyTheLists{"pairs1.wls", "pairs2.wls"};

void retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

QString text(TemplateDialog& dialog, int id) { return dialog.control<QLineEdit>(id)->text(); }
void click(TemplateDialog& dialog, int id) { dialog.control<QPushButton>(id)->click(); }

// Selects the line with this text in a list box (the catalogue follows the file
// system's order, not the order of creation).
void selectLine(TemplateDialog& dialog, int listId, const QString& line)
{
    auto* list = dialog.control<QListWidget>(listId);
    const auto found = list->findItems(line, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << line.toStdString();
    list->setCurrentItem(found.first());
}

// An error line shows the whole of its message.
void expectMessageFits(TemplateDialog& dialog, int id)
{
    auto* label = dialog.control<QLabel>(id);
    EXPECT_LE(label->heightForWidth(label->width()), label->height()) << label->text().toStdString();
}

QString selectedLine(TemplateDialog& dialog, int listId)
{
    auto* list = dialog.control<QListWidget>(listId);
    return list->currentItem() != nullptr && list->currentItem()->isSelected() ? list->currentItem()->text()
                                                                               : QString();
}

}  // namespace

TEST(CreateInputFile, TypedEntriesWriteTheExampleLine)
{
    Study study;
    const QString inputPath = QString::fromStdString(study.dir.file("new.inp"));
    const auto chosen = [&](QWidget*) { return inputPath; };
    QString shownPath, preset;
    int firstRow1 = -2, firstRow2 = -2;
    QStringList numbers;
    whenShown<InputFileDialog>([&](InputFileDialog& d) {
        shownPath = d.control<QLabel>(InputFileDialog::InputPathId)->text();
        preset = text(d, InputFileDialog::InstructionPathId);
        QTest::keyClicks(d.control<QLineEdit>(InputFileDialog::InstructionPathId), "intro.bgi");
        whenShown<SessionSettingsDialog>([&](SessionSettingsDialog& s) {
            firstRow1 = s.control<QListWidget>(SessionSettingsDialog::Pair1ListId)->currentRow();
            firstRow2 = s.control<QListWidget>(SessionSettingsDialog::Pair2ListId)->currentRow();
            numbers = {text(s, SessionSettingsDialog::DelayId), text(s, SessionSettingsDialog::PracticeId),
                       text(s, SessionSettingsDialog::RealId)};
            selectLine(s, SessionSettingsDialog::Pair1ListId, "Fruit-Tools");
            selectLine(s, SessionSettingsDialog::Pair2ListId, "Winter-Summer");
            click(s, SessionSettingsDialog::OkId);
        });
        click(d, InputFileDialog::ContinueId);
    });
    createInputFile(nullptr, chosen);

    EXPECT_EQ(shownPath, inputPath);
    EXPECT_EQ(preset.toStdString(), study.dir.path() + "/");
    EXPECT_EQ(firstRow1, 1);
    EXPECT_EQ(firstRow2, 2);
    EXPECT_EQ(numbers, (QStringList{"150", "20", "40"}));
    EXPECT_EQ(study.dir.read("new.inp"), "intro.bgi\t1\tpairs1.wls\tpairs2.wls\t0\t1\t1\t150\t20\t40\t1\t1\r\n");
}

TEST(CreateInputFile, TheInputFileDialogRefusesAnythingButABgiFileName)
{
    InputFileDialog d("/lab/study/new.inp");
    std::vector<QString> fieldMessages;
    d.showFieldMessage = [&](const QString& m) { fieldMessages.push_back(m); };
    d.show();
    EXPECT_EQ(d.windowTitle(), "Input File");
    expectLaidOutAsTable(d, InputFileDialog::dialogTemplate());
    EXPECT_EQ(text(d, InputFileDialog::InstructionPathId), "/lab/study/");
    EXPECT_EQ(text(d, InputFileDialog::SessionsId), "1");
    EXPECT_EQ(d.control<QLineEdit>(InputFileDialog::InstructionPathId)->maxLength(), 255);
    auto* tutorial = d.control<QCheckBox>(InputFileDialog::TutorialId);
    EXPECT_TRUE(tutorial->isChecked());
    EXPECT_TRUE(d.control<QCheckBox>(InputFileDialog::EditListsId)->isChecked());
    EXPECT_TRUE(d.message().isEmpty());

    tutorial->click();
    auto* path = d.control<QLineEdit>(InputFileDialog::InstructionPathId);
    for (const char* typed : {"/lab/intro.BGI", "/lab/intro.txt", "/lab/intro"}) {
        retype(path, typed);
        click(d, InputFileDialog::ContinueId);
        EXPECT_TRUE(d.isVisible()) << typed;
        EXPECT_EQ(d.message(), "Error:  Need to specify an instruction file (*.bgi)") << typed;
        EXPECT_EQ(path->text(), typed);
        EXPECT_FALSE(tutorial->isChecked());
    }

    retype(path, "/lab/" + QString(37, 'n') + ".bgi");
    click(d, InputFileDialog::ContinueId);
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.message().contains("at most 40 characters")) << d.message().toStdString();
    expectMessageFits(d, InputFileDialog::MessageId);

    retype(d.control<QLineEdit>(InputFileDialog::SessionsId), "10");
    retype(path, "/lab/intro.bgi");
    click(d, InputFileDialog::ContinueId);
    EXPECT_TRUE(d.isVisible());
    ASSERT_EQ(fieldMessages.size(), 1u);
    EXPECT_EQ(fieldMessages[0], "Please enter an integer between 1 and 9.");

    retype(d.control<QLineEdit>(InputFileDialog::SessionsId), "3");
    tutorial->click();
    click(d, InputFileDialog::ContinueId);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.entries().instructionPath, "intro.bgi");
    EXPECT_EQ(d.entries().sessionCount, 3);
    EXPECT_TRUE(d.entries().tutorialIncluded);
    EXPECT_TRUE(d.entries().editListsIncluded);
}

TEST(CreateInputFile, BrowsePutsTheChosenPathIntoTheBox)
{
    InputFileDialog d("/lab/new.inp");
    d.chooseInstructionFile = [] { return QStringLiteral("/elsewhere/intro.bgi"); };
    click(d, InputFileDialog::BrowseId);
    EXPECT_EQ(text(d, InputFileDialog::InstructionPathId), "/elsewhere/intro.bgi");
    d.chooseInstructionFile = [] { return QString(); };
    click(d, InputFileDialog::BrowseId);
    EXPECT_EQ(text(d, InputFileDialog::InstructionPathId), "/elsewhere/intro.bgi");
}

TEST(CreateInputFile, OneSessionDialogCarriesTheChoicesOverAndResetsTheNumbers)
{
    Study study;
    SessionSettingsDialog s(study.dir.path());
    expectLaidOutAsTable(s, SessionSettingsDialog::dialogTemplate());
    std::array<SessionSettings, 2> sessions;
    std::vector<QString> messages;
    std::vector<QStringList> numbers;
    const auto seen = [&](SessionSettingsDialog& d) {
        messages.push_back(d.message());
        numbers.push_back({text(d, SessionSettingsDialog::DelayId), text(d, SessionSettingsDialog::PracticeId),
                           text(d, SessionSettingsDialog::RealId)});
    };

    // Session 1: one file for both pairs, then a second file.
    whenShown<SessionSettingsDialog>([&](SessionSettingsDialog& d) {
        seen(d);
        EXPECT_EQ(d.control<QLabel>(SessionSettingsDialog::SessionNumberId)->text(), "1");
        auto* list = d.control<QListWidget>(SessionSettingsDialog::Pair1ListId);
        EXPECT_EQ(list->count(), 4);
        selectLine(d, SessionSettingsDialog::Pair1ListId, "Fruit-Tools");
        selectLine(d, SessionSettingsDialog::Pair2ListId, "Tools-Fruit");
        retype(d.control<QLineEdit>(SessionSettingsDialog::DelayId), "500");
        whenShown<SessionSettingsDialog>([&](SessionSettingsDialog& again) {
            seen(again);
            expectMessageFits(again, SessionSettingsDialog::MessageId);
            EXPECT_EQ(selectedLine(again, SessionSettingsDialog::Pair1ListId), "Fruit-Tools");
            selectLine(again, SessionSettingsDialog::Pair2ListId, "Winter-Summer");
            again.control<QRadioButton>(SessionSettingsDialog::SwitchPair1Id)->click();
            retype(again.control<QLineEdit>(SessionSettingsDialog::PracticeId), "30");
            click(again, SessionSettingsDialog::OkId);
        });
        click(d, SessionSettingsDialog::OkId);
    });
    ASSERT_TRUE(s.askSession(1, sessions[0]));

    // Session 2: the same lines and switch, the numbers as at the start.
    QString line1, line2;
    bool pair1Checked = false;
    whenShown<SessionSettingsDialog>([&](SessionSettingsDialog& d) {
        seen(d);
        EXPECT_EQ(d.control<QLabel>(SessionSettingsDialog::SessionNumberId)->text(), "2");
        line1 = selectedLine(d, SessionSettingsDialog::Pair1ListId);
        line2 = selectedLine(d, SessionSettingsDialog::Pair2ListId);
        pair1Checked = d.control<QRadioButton>(SessionSettingsDialog::SwitchPair1Id)->isChecked();
        click(d, SessionSettingsDialog::OkId);
    });
    ASSERT_TRUE(s.askSession(2, sessions[1]));

    const QStringList preset{"150", "20", "40"};
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_TRUE(messages[0].isEmpty());
    EXPECT_EQ(messages[1], "ERROR:  Do not select the same category pair for category pair 1 and category pair 2");
    EXPECT_TRUE(messages[2].isEmpty());
    EXPECT_EQ(numbers, (std::vector<QStringList>{preset, preset, preset}));
    EXPECT_EQ(line1, "Fruit-Tools");
    EXPECT_EQ(line2, "Winter-Summer");
    EXPECT_TRUE(pair1Checked);

    for (const SessionSettings& session : sessions) {
        EXPECT_EQ(session.Cat1, "pairs1.wls");
        EXPECT_EQ(session.Cat1p, 0);
        EXPECT_EQ(session.Cat2, "pairs2.wls");
        EXPECT_EQ(session.Cat2p, 1);
        EXPECT_EQ(session.Catsw, 0);
        EXPECT_EQ(session.Delay, 150);
    }
    EXPECT_EQ(sessions[0].nPrac, 30);
    EXPECT_EQ(sessions[1].nPrac, 20);
}

TEST(CreateInputFile, TheSessionDialogChecksItsNumbersAndNeedsTwoListFiles)
{
    Study study;
    SessionSettingsDialog s(study.dir.path());
    std::vector<QString> fieldMessages;
    s.showFieldMessage = [&](const QString& m) { fieldMessages.push_back(m); };
    s.prepare(1);
    s.show();
    retype(s.control<QLineEdit>(SessionSettingsDialog::DelayId), "1000");
    click(s, SessionSettingsDialog::OkId);
    EXPECT_TRUE(s.isVisible());
    ASSERT_EQ(fieldMessages.size(), 1u);
    EXPECT_EQ(fieldMessages[0], "Please enter an integer between 0 and 999.");
    s.hide();

    TempDirectory lonely;
    ASSERT_TRUE(writeWordListFile(pairList("Fruit", "Tools"), lonely.file("only.wls")));
    SessionSettingsDialog one(lonely.path());
    one.prepare(1);
    one.show();
    EXPECT_EQ(one.message().toStdString(), tooFewListFilesMessage);
    expectMessageFits(one, SessionSettingsDialog::MessageId);
    click(one, SessionSettingsDialog::OkId);
    EXPECT_TRUE(one.isVisible());
    EXPECT_EQ(one.message().toStdString(), tooFewListFilesMessage);
}

TEST(CreateInputFile, CancelAtAnyStepWritesNothing)
{
    Study study;
    const QString inputPath = QString::fromStdString(study.dir.file("new.inp"));

    createInputFile(nullptr, [](QWidget*) { return std::nullopt; });
    EXPECT_EQ(study.entries(), onlyTheLists);

    const auto chosen = [&](QWidget*) { return inputPath; };
    whenShown<InputFileDialog>([](InputFileDialog& d) { click(d, InputFileDialog::CancelId); });
    createInputFile(nullptr, chosen);
    EXPECT_EQ(study.entries(), onlyTheLists);

    // Three sessions, the third cancelled; an earlier file of that name stays whole.
    study.dir.write("new.inp", "earlier\r\n");
    int sessionsShown = 0;
    std::function<void(SessionSettingsDialog&)> next = [&](SessionSettingsDialog& s) {
        ++sessionsShown;
        if (sessionsShown == 3) {
            click(s, SessionSettingsDialog::CancelId);
            return;
        }
        whenShown<SessionSettingsDialog>(next);
        click(s, SessionSettingsDialog::OkId);
    };
    whenShown<InputFileDialog>([&](InputFileDialog& d) {
        retype(d.control<QLineEdit>(InputFileDialog::InstructionPathId), "/lab/intro.bgi");
        retype(d.control<QLineEdit>(InputFileDialog::SessionsId), "3");
        whenShown<SessionSettingsDialog>(next);
        click(d, InputFileDialog::ContinueId);
    });
    createInputFile(nullptr, chosen);
    EXPECT_EQ(sessionsShown, 3);
    EXPECT_EQ(study.dir.read("new.inp"), "earlier\r\n");
    EXPECT_EQ(study.entries(), (std::vector<std::string>{"new.inp", "pairs1.wls", "pairs2.wls"}));
}

TEST(CreateInputFile, AFailedWriteShowsThePathAndTheReason)
{
    Study study;
    // A directory where the file should go: it cannot be replaced.
    ASSERT_EQ(mkdir(study.dir.file("taken.inp").c_str(), 0755), 0);
    const QString inputPath = QString::fromStdString(study.dir.file("taken.inp"));
    const auto chosen = [&](QWidget*) { return inputPath; };
    QString shown;
    whenShown<InputFileDialog>([&](InputFileDialog& d) {
        retype(d.control<QLineEdit>(InputFileDialog::InstructionPathId), "intro.bgi");
        whenShown<SessionSettingsDialog>([&](SessionSettingsDialog& s) {
            whenShown<QMessageBox>([&](QMessageBox& box) {
                shown = box.text();
                box.button(QMessageBox::Ok)->click();
            });
            click(s, SessionSettingsDialog::OkId);
        });
        click(d, InputFileDialog::ContinueId);
    });
    createInputFile(nullptr, chosen);
    EXPECT_TRUE(shown.contains(QString::fromStdString("cannot write " + study.dir.file("taken.inp") + ": ")))
        << shown.toStdString();
    EXPECT_EQ(study.entries(), (std::vector<std::string>{"pairs1.wls", "pairs2.wls", "taken.inp"}));
}

TEST(CreateInputFile, TheSaveFileDialogStartsAtHomeAndAddsTheExtension)
{
    TempDirectory home;
    HomeGuard homeGuard(home.path());
    setLastChosenFolder("");
    QString startDirectory;
    bool qtOwnDialog = false;
    bool asksBeforeReplacing = false;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        startDirectory = dialog.directory().absolutePath();
        qtOwnDialog = dialog.testOption(QFileDialog::DontUseNativeDialog);
        asksBeforeReplacing = !dialog.testOption(QFileDialog::DontConfirmOverwrite);
        // Typed into the name box, without a directory.
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (name == nullptr) {
            ADD_FAILURE() << "no name box";
            QMetaObject::invokeMethod(&dialog, "reject");
            return;
        }
        QTest::keyClicks(name, QStringLiteral("study"));
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    const std::optional<QString> chosen = askNewInputFilePath(nullptr);
    EXPECT_EQ(startDirectory.toStdString(), home.path());
    EXPECT_TRUE(qtOwnDialog);
    EXPECT_TRUE(asksBeforeReplacing);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->toStdString(), home.file("study.inp"));

    // The next one starts where this file was chosen.
    TempDirectory elsewhere;
    setLastChosenFolder(elsewhere.path());
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        startDirectory = dialog.directory().absolutePath();
        QMetaObject::invokeMethod(&dialog, "reject");
    });
    EXPECT_FALSE(askNewInputFilePath(nullptr));
    EXPECT_EQ(startDirectory.toStdString(), elsewhere.path());
    setLastChosenFolder("");
}

// An instruction file from another folder: the input file stores only its name, and
// the message offers a copy beside the input file, where the run looks.
TEST(CreateInputFile, AnInstructionFileFromElsewhereIsCopiedBesideTheInputFile)
{
    Study study;
    TempDirectory demo;
    demo.write("intro.bgi", "1\r\nHello#\r\n");
    const QString inputPath = QString::fromStdString(study.dir.file("new.inp"));
    QString title, message, defaultButton;
    QStringList buttons;
    whenShown<InputFileDialog>([&](InputFileDialog& d) {
        retype(d.control<QLineEdit>(InputFileDialog::InstructionPathId),
               QString::fromStdString(demo.file("intro.bgi")));
        whenShown<SessionSettingsDialog>([&](SessionSettingsDialog& s) { click(s, SessionSettingsDialog::OkId); });
        click(d, InputFileDialog::ContinueId);
    });
    whenShown<QMessageBox>([&](QMessageBox& box) {
        title = box.windowTitle();
        message = box.text();
        for (QAbstractButton* button : box.buttons())
            buttons << button->text();
        defaultButton = box.defaultButton() ? box.defaultButton()->text() : QString();
        box.defaultButton()->click();
    });
    createInputFile(nullptr, [&](QWidget*) { return inputPath; });

    EXPECT_EQ(title, "Instruction file");
    EXPECT_TRUE(message.contains(QString::fromStdString(demo.path())) &&
                message.contains(QString::fromStdString(study.dir.path())) && message.contains("input file's folder"))
        << message.toStdString();
    EXPECT_EQ(buttons, (QStringList{"Copy it there", "Leave it"}));
    EXPECT_EQ(defaultButton, "Copy it there");
    EXPECT_EQ(study.dir.read("intro.bgi"), "1\r\nHello#\r\n");
    EXPECT_EQ(study.dir.read("new.inp").substr(0, 10), "intro.bgi\t");
}
