// "Write Log File": the save-file dialog, the path seam and the failure message, on
// the offscreen platform.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "run/codebook.h"
#include "app/codebook_dialog.h"
#include "common/temp_directory.h"
#include "common/text_stream.h"

#include "ui/when_shown.h"

namespace {

// Answers the next message box with button and keeps its text.
void answerMessageBox(QMessageBox::StandardButton button, QString* text)
{
    whenShown<QMessageBox>([button, text](QMessageBox& box) {
        *text = box.text();
        box.button(button)->click();
    });
}

// Points HOME at a directory for one test.
class HomeGuard {
public:
    explicit HomeGuard(const std::string& home) : previous_(qgetenv("HOME")) { qputenv("HOME", home.c_str()); }
    ~HomeGuard() { qputenv("HOME", previous_); }

private:
    QByteArray previous_;
};

}  // namespace

TEST(CodebookDialog, TheChosenFileReceivesTheCodebook)
{
    TempDirectory dir;
    const std::string disk = memoryToDiskText(codebookText());
    const auto chosen = [&](QWidget*) { return QString::fromStdString(dir.file("study.log")); };
    writeCodebookFromMenu(nullptr, chosen);
    writeCodebookFromMenu(nullptr, chosen);
    EXPECT_EQ(dir.read("study.log"), disk + disk);
}

TEST(CodebookDialog, AFailedWriteShowsThePathAndTheReason)
{
    TempDirectory dir;
    const std::string missing = dir.file("gone/output.log");
    QString shown;
    answerMessageBox(QMessageBox::Ok, &shown);
    writeCodebookFromMenu(nullptr, [&](QWidget*) { return QString::fromStdString(missing); });
    EXPECT_TRUE(shown.contains(QString::fromStdString("cannot write " + missing + ": No such file or directory")))
        << shown.toStdString();
    EXPECT_TRUE(dir.entries().empty());
}

TEST(CodebookDialog, StartsAtOutputLogInTheHomeDirectoryAndAddsTheExtension)
{
    TempDirectory home;
    HomeGuard homeGuard(home.path());
    QString startDirectory;
    QStringList startSelection;
    bool confirmsItself = false;
    whenShown<CodebookFileDialog>([&](CodebookFileDialog& dialog) {
        startDirectory = dialog.directory().absolutePath();
        startSelection = dialog.selectedFiles();
        confirmsItself = dialog.testOption(QFileDialog::DontUseNativeDialog) &&
                         dialog.testOption(QFileDialog::DontConfirmOverwrite);
        dialog.selectFile(QString::fromStdString(home.file("session1")));
        dialog.accept();
    });
    const std::optional<QString> chosen = askCodebookPath(nullptr);
    EXPECT_EQ(startDirectory.toStdString(), home.path());
    EXPECT_EQ(startSelection, QStringList{QString::fromStdString(home.file("output.log"))});
    EXPECT_TRUE(confirmsItself);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->toStdString(), home.file("session1.log"));

    // Cancelled from the menu's handler: no codebook anywhere. (Qt's file dialog
    // keeps its own history under .config, which is not ours to check.)
    whenShown<CodebookFileDialog>([](CodebookFileDialog& dialog) { dialog.reject(); });
    writeCodebookFromMenu(nullptr);
    for (const std::string& name : home.entries())
        EXPECT_EQ(name, ".config");
}

TEST(CodebookDialog, ChoosingAnExistingFileAsksWhetherToAddTheCodebookToIt)
{
    TempDirectory dir;
    HomeGuard homeGuard(dir.path());
    dir.write("output.log", "earlier\r\n");
    CodebookFileDialog dialog;
    dialog.selectFile(QString::fromStdString(dir.file("output.log")));
    dialog.show();

    QString question;
    answerMessageBox(QMessageBox::No, &question);
    dialog.accept();
    EXPECT_TRUE(question.contains("output.log already exists")) << question.toStdString();
    EXPECT_TRUE(question.contains("added at its end")) << question.toStdString();
    EXPECT_TRUE(dialog.isVisible());

    answerMessageBox(QMessageBox::Yes, &question);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selectedFiles(), QStringList{QString::fromStdString(dir.file("output.log"))});
    EXPECT_EQ(dir.read("output.log"), "earlier\r\n");
}
