// The subject information page on the offscreen platform.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>
#include <tuple>

#include <unistd.h>

#include <gtest/gtest.h>

#include "app/subject_page_dialog.h"
#include "files/ui/input_file_dialog.h"
#include "layout_check.h"

namespace {

const LocalDateTime start{2026, 12, 7, 9, 3, 0};

struct Page {
    SubjectPageDialog dialog{start};
    std::vector<QString> fieldMessages;
    Page()
    {
        dialog.exists = [](const std::string& path) { return path == "/exp/study.inp"; };
        dialog.showFieldMessage = [this](const QString& m) { fieldMessages.push_back(m); };
        dialog.show();
    }
    void type(int id, const char* text) { dialog.control<QLineEdit>(id)->setText(QString::fromUtf8(text)); }
    void ok() { dialog.control<QPushButton>(SubjectPageDialog::OkId)->click(); }
};

}  // namespace

TEST(SubjectPageDialog, IsLaidOutAsItsTableWithItsStartingEntries)
{
    Page page;
    EXPECT_EQ(page.dialog.windowTitle(), "Subject Information Page");
    expectLaidOutAsTable(page.dialog, SubjectPageDialog::dialogTemplate());
    const SubjectPageEntries e = page.dialog.entries();
    EXPECT_EQ(e.inputPath, "/");
    EXPECT_EQ(e.dateText, "12/7/126");
    EXPECT_EQ(e.timeText, "9: 3");
    EXPECT_EQ(e.sexIndex, -1);
    EXPECT_TRUE(page.dialog.message().isEmpty());
    EXPECT_EQ(page.dialog.control<QLineEdit>(SubjectPageDialog::OtherId)->maxLength(), 8);
    EXPECT_EQ(page.dialog.control<QLineEdit>(SubjectPageDialog::InputPathId)->maxLength(), 255);
}

TEST(SubjectPageDialog, StaysOpenWithTheMessageUntilTheEntriesPass)
{
    Page page;
    page.type(SubjectPageDialog::InputPathId, "");
    page.type(SubjectPageDialog::DataPathId, "");
    page.ok();
    EXPECT_TRUE(page.dialog.isVisible());
    EXPECT_EQ(page.dialog.message(), "Error:  you need to write an input file name.");

    page.type(SubjectPageDialog::InputPathId, "/exp/missing.inp");
    page.type(SubjectPageDialog::DataPathId, "/exp/out.dat");
    page.ok();
    EXPECT_EQ(page.dialog.message(), "Error:  could not find specified input file.");

    page.type(SubjectPageDialog::InputPathId, "/exp/study.inp");
    page.type(SubjectPageDialog::NumberId, "1000");
    page.ok();
    EXPECT_TRUE(page.dialog.isVisible());
    ASSERT_EQ(page.fieldMessages.size(), 1u);
    EXPECT_EQ(page.fieldMessages[0], "Please enter an integer between 0 and 999.");

    page.type(SubjectPageDialog::NumberId, "42");
    page.type(SubjectPageDialog::OtherId, "grp2");
    page.dialog.control<QRadioButton>(SubjectPageDialog::FemaleId)->setChecked(true);
    page.ok();
    EXPECT_FALSE(page.dialog.isVisible());
    EXPECT_EQ(page.dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(page.dialog.record());
    const SubjectRecord& r = *page.dialog.record();
    EXPECT_EQ(r.subjectNumber, 42);
    EXPECT_EQ(r.sexCode, "f");
    EXPECT_EQ(r.otherCode, "grp2");
    EXPECT_EQ(r.subjectLogPath, "/exp/out.slg");
}

TEST(SubjectPageDialog, BrowsersFillThePathsAndRefuseWhatThePageCannotHold)
{
    Page page;
    QString chosen = "/exp/study.inp";
    page.dialog.chooseFile = [&](const QString&, const QString&, const QString&, bool) { return chosen; };
    page.dialog.control<QPushButton>(SubjectPageDialog::InputBrowseId)->click();
    EXPECT_EQ(page.dialog.entries().inputPath, "/exp/study.inp");
    EXPECT_EQ(page.dialog.entries().dataPath, "/exp/output.dat");

    chosen = "/exp/run2.dat";
    page.dialog.control<QPushButton>(SubjectPageDialog::DataBrowseId)->click();
    EXPECT_EQ(page.dialog.entries().dataPath, "/exp/run2.dat");

    // A cancelled browser changes nothing; a path with a character that has no
    // single-byte form is refused with the reason.
    chosen = "";
    page.dialog.control<QPushButton>(SubjectPageDialog::DataBrowseId)->click();
    EXPECT_EQ(page.dialog.entries().dataPath, "/exp/run2.dat");
    chosen = QString::fromUtf8("/exp/\xC5\x82\xC3\xB3"
                               "d\xC5\xBA.dat");
    page.dialog.control<QPushButton>(SubjectPageDialog::DataBrowseId)->click();
    EXPECT_EQ(page.dialog.entries().dataPath, "/exp/run2.dat");
    EXPECT_EQ(page.dialog.message().toStdString(), singleByteOnlyMessage);
}

TEST(SubjectPageDialog, EditBoxesRefuseCharactersWithoutASingleByteForm)
{
    Page page;
    auto* other = page.dialog.control<QLineEdit>(SubjectPageDialog::OtherId);
    other->setText("");
    other->insert(QString::fromUtf8("a\xC5\x82"));  // "ał": refused as typed
    EXPECT_EQ(other->text(), "");
    other->insert(QString::fromUtf8("\xC3\xA9"));
    EXPECT_EQ(other->text(), QString::fromUtf8("\xC3\xA9"));
}

// The message line holds two lines; a long path gives up its middle so that the
// reason after it stays in view.
TEST(SubjectPageDialog, TheReasonForAnUnusableInputFileShowsWholeOnASecondLine)
{
    Page page;
    page.dialog.absenceReason = [](const std::string&) { return std::string("exists, but: Is a directory"); };
    page.type(SubjectPageDialog::DataPathId, "/exp/out.dat");
    auto* line = page.dialog.control<QLabel>(SubjectPageDialog::MessageId);
    for (const std::string& path : {std::string("/exp/folder.inp"), "/exp/" + std::string(150, 'd') + "/folder.inp"}) {
        page.type(SubjectPageDialog::InputPathId, path.c_str());
        page.ok();
        const QStringList lines = page.dialog.message().split('\n');
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0], "Error:  could not find specified input file.");
        EXPECT_TRUE(lines[1].startsWith("/exp/")) << lines[1].toStdString();
        EXPECT_TRUE(lines[1].endsWith("/folder.inp (exists, but: Is a directory)")) << lines[1].toStdString();
        EXPECT_GE(line->height(), line->sizeHint().height());
        EXPECT_GE(line->width(), line->sizeHint().width());
    }
    EXPECT_LT(line->geometry().bottom(), page.dialog.control(SubjectPageDialog::OkId)->geometry().top());
}

// A character without a single-byte form, typed or pasted into a path box, is
// refused with the character-set message in the dialog's message line; a box that
// is full refuses more without it.
TEST(SubjectPageDialog, PathBoxesRefuseACharacterWithoutASingleByteFormWithTheMessage)
{
    const QString snowman = QString::fromUtf8("\xE2\x98\x83");
    SubjectPageDialog page(start);
    InputFileDialog input("/lab/new.inp");
    const std::tuple<TemplateDialog*, int, int> cases[] = {
        {&page, SubjectPageDialog::InputPathId, SubjectPageDialog::MessageId},
        {&page, SubjectPageDialog::DataPathId, SubjectPageDialog::MessageId},
        {&input, InputFileDialog::InstructionPathId, InputFileDialog::MessageId},
    };
    for (const auto& [dialog, box, message] : cases) {
        auto* edit = dialog->control<QLineEdit>(box);
        const QString before = edit->text();
        QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, snowman);
        QApplication::sendEvent(edit, &typed);
        EXPECT_EQ(dialog->control<QLabel>(message)->text().toStdString(), singleByteOnlyMessage) << box;
        dialog->setControlText(message, "");
        edit->insert("ok" + snowman);
        EXPECT_EQ(edit->text(), before) << box;
        EXPECT_EQ(dialog->control<QLabel>(message)->text().toStdString(), singleByteOnlyMessage) << box;
    }
    auto* other = page.control<QLineEdit>(SubjectPageDialog::OtherId);
    page.setControlText(SubjectPageDialog::MessageId, "");
    other->setText("12345678");
    other->insert("9");
    EXPECT_EQ(other->text(), "12345678");
    EXPECT_TRUE(page.message().isEmpty());
}

// The message line names a data file that is a symbolic link, with where the subject
// log goes, as soon as the box names it, and drops the note when the box no longer does.
TEST(SubjectPageDialog, ADataFileThatIsALinkIsNamedOnTheMessageLine)
{
    char folder[] = "/tmp/truv-page-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string link = std::string(folder) + "/link.dat";
    ASSERT_EQ(symlink("/lab/study.dat", link.c_str()), 0);
    Page page;
    page.type(SubjectPageDialog::DataPathId, link.c_str());
    EXPECT_EQ(page.dialog.message().toStdString(),
              "Note:  the output file is a symbolic link to /lab/study.dat;\nthe subject log goes beside the link: " +
                  std::string(folder) + "/link.slg");
    page.type(SubjectPageDialog::DataPathId, "/lab/other.dat");
    EXPECT_EQ(page.dialog.message(), "");
    std::filesystem::remove_all(folder);
}
