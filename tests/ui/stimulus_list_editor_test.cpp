// "Stimulus Lists": typed into the real editor on the offscreen platform, with the
// file dialogs answered through the path seam and the saved files compared byte by
// byte.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "common/file_dialog_folder.h"
#include "common/temp_directory.h"
#include "common/ui/warning_dialog.h"
#include "files/ui/stimulus_list_editor.h"

#include "ui/path_answers.h"
#include "ui/when_shown.h"

namespace {

using Command = StimulusListEditor::Command;

void answerMessageBox(QString* text)
{
    whenShown<QMessageBox>([text](QMessageBox& box) {
        *text = box.text();
        box.button(QMessageBox::Ok)->click();
    });
}

void answerWarning(WarningDialog::Choice choice, QString* text)
{
    whenShown<WarningDialog>([choice, text](WarningDialog& dialog) {
        *text = dialog.control<QLabel>(WarningDialog::MessageId)->text();
        dialog
            .control<QPushButton>(choice == WarningDialog::Continue ? WarningDialog::ContinueId
                                                                    : WarningDialog::CancelId)
            ->click();
    });
}

BoxRef label(int c) { return {c, BoxRef::Label, 0}; }
BoxRef count(int c) { return {c, BoxRef::ItemCount, 0}; }
BoxRef item(int c, int k) { return {c, BoxRef::Item, k}; }

// Replaces a box's text by typing.
void type(StimulusListEditor& editor, const BoxRef& ref, const QString& text)
{
    QLineEdit* box = editor.box(ref);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    // QTest types ASCII only; other characters arrive as the keyboard sends them.
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(box, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void typeCategory(StimulusListEditor& editor, int c, const QString& labelText, const QStringList& items)
{
    type(editor, label(c), labelText);
    type(editor, count(c), QString::number(items.size()));
    for (int k = 0; k < items.size(); ++k)
        type(editor, item(c, k + 1), items[k]);
}

void run(StimulusListEditor& editor, Command command) { editor.action(command)->trigger(); }

QString message(const StimulusListEditor& editor)
{
    return editor.control<QLabel>(StimulusListEditor::MessageId)->text();
}

QStringList itemTexts(const StimulusListEditor& editor, int c)
{
    QStringList texts;
    for (int k = 1; k <= maxItems; ++k)
        texts << editor.box(item(c, k))->text();
    return texts;
}

QStringList padded(QStringList texts)
{
    while (texts.size() < maxItems)
        texts << QString();
    return texts;
}

const std::string planetsAndMetals = "5\r\n6\r\nPlanets\r\nMars\r\nVenus\r\nSaturn\r\nJupiter\r\n"
                                     "Metals\r\niron\r\ncopper\r\nzinc\r\ntin\r\nlead\r\n";

}  // namespace

TEST(StimulusListEditor, IsLaidOutAsItsTableBelowAFileMenu)
{
    StimulusListEditor editor;
    const DialogTemplate& t = StimulusListEditor::dialogTemplate();
    EXPECT_EQ(editor.windowTitle(), "Stimulus Lists");
    const DialogBaseUnits base = editor.baseUnits();
    EXPECT_GT(editor.menuHeight(), 0);
    EXPECT_EQ(editor.width(), dialogUnitsToPixelsX(t.width, base));
    EXPECT_EQ(editor.height(), dialogUnitsToPixelsY(t.height, base) + editor.menuHeight());
    for (const ControlSpec& placed : t.controls) {
        QWidget* w = editor.control(placed.id);
        ASSERT_NE(w, nullptr) << placed.id;
        const PixelRect p = toPixels(placed.place, base);
        EXPECT_EQ(w->pos(), QPoint(p.x, p.y + editor.menuHeight())) << placed.text;
        EXPECT_TRUE(QRect(QPoint(0, 0), editor.size()).contains(w->geometry())) << placed.text;
    }
    // Two columns of nine: box 10 starts the second column level with box 1.
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(editor.box(item(c, 10))->y(), editor.box(item(c, 1))->y());
        EXPECT_GT(editor.box(item(c, 10))->x(), editor.box(item(c, 9))->x());
        EXPECT_GT(editor.box(item(c, 9))->y(), editor.box(item(c, 8))->y());
        EXPECT_EQ(editor.box(label(c))->maxLength(), 15);
        EXPECT_EQ(editor.box(count(c))->maxLength(), 3);
        EXPECT_EQ(editor.box(item(c, 18))->maxLength(), 15);
    }
    EXPECT_GT(editor.box(label(1))->x(), editor.box(item(0, 18))->x() + editor.box(item(0, 18))->width());

    const QList<QAction*> menus = editor.menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), "&File");
    QStringList items;
    for (QAction* a : menus[0]->menu()->actions())
        items << a->text();
    EXPECT_EQ(items, (QStringList{"&New", "&Open", "&Save", "Save &As", "&Exit"}));
    EXPECT_TRUE(editor.findChildren<QPushButton*>().isEmpty());
    // The boxes start empty.
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(editor.box(label(c))->text(), "");
        EXPECT_EQ(editor.box(count(c))->text(), "");
        EXPECT_EQ(itemTexts(editor, c), padded({}));
    }
}

TEST(StimulusListEditor, SavesWhatWasTypedByteForByte)
{
    TempDirectory dir;
    PathAnswers paths;
    StimulusListEditor editor;
    editor.setPathChooser(paths.chooser());
    typeCategory(editor, 0, "Planets", {"Mars", "Venus", "Saturn", "Jupiter"});
    typeCategory(editor, 1, "Metals", {"iron", "copper", "zinc", "tin", "lead"});
    paths.next(dir.file("space.wls"));
    run(editor, Command::Save);
    EXPECT_EQ(dir.read("space.wls"), planetsAndMetals);
    EXPECT_EQ(message(editor), "");

    // Save proposes the current file, Save As "*.wls"; both ask for a file to save.
    paths.cancelNext();
    run(editor, Command::Save);
    paths.next(dir.file("copy.wls"));
    run(editor, Command::SaveAs);
    ASSERT_EQ(paths.asked.size(), 3u);
    EXPECT_EQ(paths.asked[0].proposed, "");
    EXPECT_EQ(paths.asked[1].proposed.toStdString(), dir.file("space.wls"));
    EXPECT_EQ(paths.asked[2].proposed, "*.wls");
    for (const auto& question : paths.asked)
        EXPECT_EQ(question.choice, EditorFileChoice::Save);
    EXPECT_EQ(dir.read("copy.wls"), planetsAndMetals);
    EXPECT_EQ(editor.document().path(), dir.file("copy.wls"));

    // Single-byte characters reach the file as their Windows-1252 bytes.
    type(editor, item(1, 2), QString::fromUtf8("kupfer\xc3\xa9"));
    paths.next(dir.file("accent.wls"));
    run(editor, Command::Save);
    EXPECT_NE(dir.read("accent.wls").find("kupfer\xe9\r\n"), std::string::npos);
}

TEST(StimulusListEditor, ItemsWithGapsAreSavedConsecutivelyAndReopenInTheFirstBoxes)
{
    TempDirectory dir;
    PathAnswers paths;
    StimulusListEditor editor;
    editor.setPathChooser(paths.chooser());
    type(editor, label(0), "Trees");
    type(editor, count(0), "3");
    type(editor, item(0, 1), "oak");
    type(editor, item(0, 3), "ash");
    type(editor, item(0, 10), "elm");
    typeCategory(editor, 1, "Shrubs", {"holly"});
    paths.next(dir.file("trees.wls"));
    run(editor, Command::Save);
    EXPECT_EQ(dir.read("trees.wls"), "4\r\n2\r\nTrees\r\noak\r\nash\r\nelm\r\nShrubs\r\nholly\r\n");
    // The screen keeps what was typed until the list is opened.
    EXPECT_EQ(editor.box(item(0, 10))->text(), "elm");

    // Saving keeps the editor fresh: this first Open asks nothing.
    paths.next(dir.file("trees.wls"));
    run(editor, Command::Open);
    EXPECT_EQ(itemTexts(editor, 0), padded({"oak", "ash", "elm"}));
    EXPECT_EQ(editor.box(count(0))->text(), "3");
}

TEST(StimulusListEditor, CountMismatchShowsTheMessageAndAsksForNoFile)
{
    TempDirectory dir;
    PathAnswers paths;
    StimulusListEditor editor;
    editor.setPathChooser(paths.chooser());
    typeCategory(editor, 0, "Planets", {"Mars", "Venus", "Saturn", "Jupiter"});
    typeCategory(editor, 1, "Metals", {"iron", "copper", "zinc", "tin", "lead"});
    type(editor, count(0), "5");
    paths.next(dir.file("space.wls"));
    run(editor, Command::SaveAs);
    EXPECT_EQ(message(editor), "ERROR: The number in the \"# of items\" box must equal the number of words before "
                               "your list can be saved.");
    EXPECT_TRUE(paths.asked.empty());
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_EQ(editor.box(item(0, 4))->text(), "Jupiter");

    // An empty "# of items" box counts as 0 and is shown as 0 after the refusal.
    type(editor, count(1), "");
    run(editor, Command::Save);
    EXPECT_EQ(editor.box(count(1))->text(), "0");
    EXPECT_TRUE(paths.asked.empty());

    // Once the counts match, the message goes with the next save.
    type(editor, count(0), "4");
    type(editor, count(1), "5");
    run(editor, Command::Save);
    EXPECT_EQ(message(editor), "");
    EXPECT_EQ(dir.read("space.wls"), planetsAndMetals);
}

TEST(StimulusListEditor, EntryWithASpaceIsRefusedNamingItsBox)
{
    TempDirectory dir;
    PathAnswers paths;
    StimulusListEditor editor;
    editor.setPathChooser(paths.chooser());
    typeCategory(editor, 0, "Planets", {"Mars", "Venus", "Saturn", "Jupiter"});
    typeCategory(editor, 1, "Metals", {"iron", "copper", "zinc", "tin", "lead"});
    type(editor, item(1, 2), "red copper");
    paths.next(dir.file("space.wls"));
    run(editor, Command::Save);
    EXPECT_TRUE(message(editor).startsWith("ERROR: Item box 2 of Category B")) << message(editor).toStdString();
    EXPECT_TRUE(paths.asked.empty());
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_EQ(editor.box(item(1, 2))->text(), "red copper");

    // Items without a label are refused too.
    type(editor, item(1, 2), "copper");
    type(editor, label(0), "");
    run(editor, Command::Save);
    EXPECT_TRUE(message(editor).contains("Category A")) << message(editor).toStdString();
    EXPECT_TRUE(message(editor).contains("\"Category Label\"")) << message(editor).toStdString();
    EXPECT_TRUE(dir.entries().empty());
}

TEST(StimulusListEditor, OpenThenSaveWritesTheSameBytes)
{
    TempDirectory dir;
    std::string full = "19\r\n3\r\nColours\r\n";
    for (int k = 1; k <= maxItems; ++k)
        full += "colour" + std::to_string(k) + "\r\n";
    full += "Caf\xe9s\r\nespresso\r\nlatte\r\n";
    dir.write("full.wls", full);

    PathAnswers paths;
    StimulusListEditor editor;
    editor.setPathChooser(paths.chooser());
    paths.next(dir.file("full.wls"));
    run(editor, Command::Open);  // the first Open asks nothing
    ASSERT_EQ(paths.asked.size(), 1u);
    EXPECT_EQ(paths.asked[0].choice, EditorFileChoice::Open);
    EXPECT_EQ(paths.asked[0].proposed, "*.wls");
    EXPECT_EQ(editor.box(label(1))->text(), QString::fromUtf8("Caf\xc3\xa9s"));
    EXPECT_EQ(editor.box(count(0))->text(), "18");
    EXPECT_EQ(editor.box(item(0, 10))->text(), "colour10");

    paths.next(dir.file("again.wls"));
    run(editor, Command::SaveAs);
    EXPECT_EQ(dir.read("again.wls"), full);
    // Save over the opened file proposes it and leaves it as it was.
    paths.next(dir.file("full.wls"));
    run(editor, Command::Save);
    EXPECT_EQ(paths.asked.back().proposed.toStdString(), dir.file("again.wls"));
    EXPECT_EQ(dir.read("full.wls"), full);
}

TEST(StimulusListEditor, OpenOfAnUnreadableFileSaysSoAndKeepsTheScreen)
{
    TempDirectory dir;
    dir.write("cut.wls", "2\r\n1\r\nPlanets\r\nMars\r\nMetals\r\nbrass\r\n");
    PathAnswers paths;
    StimulusListEditor editor;
    editor.setPathChooser(paths.chooser());
    typeCategory(editor, 0, "Planets", {"Mars"});
    QString shown, warning;
    answerWarning(WarningDialog::Continue, &warning);  // what was typed is unsaved
    answerMessageBox(&shown);
    paths.next(dir.file("missing.wls"));
    run(editor, Command::Open);
    EXPECT_TRUE(shown.contains(QString::fromStdString("cannot read " + dir.file("missing.wls") +
                                                      ": No such file or directory")))
        << shown.toStdString();
    EXPECT_EQ(editor.box(label(0))->text(), "Planets");
    EXPECT_FALSE(editor.document().asksBeforeReplacing());
    EXPECT_TRUE(editor.hasUnsavedChanges());

    // A file the reader had to mend is shown, and so is what it mended.
    answerWarning(WarningDialog::Continue, &warning);
    answerMessageBox(&shown);
    paths.next(dir.file("cut.wls"));
    run(editor, Command::Open);
    EXPECT_TRUE(shown.contains("cut.wls: text follows the last entry of category B")) << shown.toStdString();
    EXPECT_EQ(editor.box(label(1))->text(), "Metals");
}

TEST(StimulusListEditor, FailedSaveShowsThePathAndTheReasonAndWritesNothing)
{
    TempDirectory dir;
    PathAnswers paths;
    StimulusListEditor editor;
    editor.setPathChooser(paths.chooser());
    typeCategory(editor, 0, "Planets", {"Mars", "Venus", "Saturn", "Jupiter"});
    typeCategory(editor, 1, "Metals", {"iron", "copper", "zinc", "tin", "lead"});
    QString shown;
    answerMessageBox(&shown);
    paths.next(dir.file("gone/space.wls"));
    run(editor, Command::Save);
    EXPECT_TRUE(shown.contains(QString::fromStdString("cannot write " + dir.file("gone/space.wls") +
                                                      ": No such file or directory")))
        << shown.toStdString();
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_TRUE(editor.document().path().empty());
}

TEST(StimulusListEditor, NewAndOpenWarnAfterTheFirstOne)
{
    TempDirectory dir;
    dir.write("space.wls", planetsAndMetals);
    PathAnswers paths;
    StimulusListEditor editor;
    editor.setPathChooser(paths.chooser());
    typeCategory(editor, 0, "Planets", {"Mars"});
    // The first New asks only because of what was typed.
    QString warning;
    answerWarning(WarningDialog::Continue, &warning);
    run(editor, Command::New);
    EXPECT_EQ(warning, "Any unsaved changes will be lost.");
    EXPECT_EQ(editor.box(label(0))->text(), "");
    EXPECT_EQ(editor.box(count(0))->text(), "0");
    EXPECT_EQ(editor.box(count(1))->text(), "0");

    typeCategory(editor, 0, "Planets", {"Mars"});
    answerWarning(WarningDialog::Cancel, &warning);
    run(editor, Command::New);
    EXPECT_EQ(warning, "Any data currently on screen will be overwritten whether or not it has been saved.");
    EXPECT_EQ(editor.box(label(0))->text(), "Planets");

    // A cancelled Open asks no file; a cancelled file dialog changes nothing.
    answerWarning(WarningDialog::Cancel, &warning);
    run(editor, Command::Open);
    EXPECT_TRUE(paths.asked.empty());
    answerWarning(WarningDialog::Continue, &warning);
    paths.cancelNext();
    run(editor, Command::Open);
    EXPECT_EQ(paths.asked.size(), 1u);
    EXPECT_EQ(editor.box(item(0, 1))->text(), "Mars");

    answerWarning(WarningDialog::Continue, &warning);
    paths.next(dir.file("space.wls"));
    run(editor, Command::Open);
    EXPECT_EQ(itemTexts(editor, 1), padded({"iron", "copper", "zinc", "tin", "lead"}));
    answerWarning(WarningDialog::Continue, &warning);
    run(editor, Command::New);
    EXPECT_EQ(itemTexts(editor, 1), padded({}));
    EXPECT_TRUE(editor.document().path().empty());
}

TEST(StimulusListEditor, EnterAndExitCloseAfterTheChecksEscapeWithout)
{
    PathAnswers paths;
    {
        StimulusListEditor editor;
        editor.setPathChooser(paths.chooser());
        editor.show();
        typeCategory(editor, 0, "Planets", {"Mars"});
        type(editor, count(0), "7");  // Exit neither checks the counts nor saves
        QString warning;
        answerWarning(WarningDialog::Continue, &warning);  // it asks about what was typed
        QTest::keyClick(editor.box(item(0, 1)), Qt::Key_Return);
        EXPECT_FALSE(editor.isVisible());
        EXPECT_EQ(editor.result(), QDialog::Accepted);
    }
    {
        StimulusListEditor editor;
        editor.setPathChooser(paths.chooser());
        editor.show();
        run(editor, Command::Exit);
        EXPECT_EQ(editor.result(), QDialog::Accepted);
    }
    {
        StimulusListEditor editor;
        editor.setPathChooser(paths.chooser());
        editor.show();
        QTest::keyClick(editor.box(label(1)), Qt::Key_Escape);
        EXPECT_FALSE(editor.isVisible());
        EXPECT_EQ(editor.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(paths.asked.empty());
}

// The name is typed into the dialog's own name box, as a user does: selectFile of a
// shown dialog takes the name in only once the directory has loaded, which at times
// never happens in time. Before any file was chosen, and without a current file, the
// dialog starts at home; with one, in its folder.
TEST(StimulusListEditor, FileDialogsAreQtsOwnStartingInTheHomeDirectory)
{
    TempDirectory home;
    const QByteArray previousHome = qgetenv("HOME");
    qputenv("HOME", home.path().c_str());
    setLastChosenFolder("");

    QString startDirectory, nameBox, suffix;
    bool own = false;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        startDirectory = dialog.directory().absolutePath();
        suffix = dialog.defaultSuffix();
        own = dialog.testOption(QFileDialog::DontUseNativeDialog);
        auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (box) {
            nameBox = box->text();
            box->selectAll();
            QTest::keyClicks(box, QStringLiteral("animals"));
        }
        static_cast<QDialog&>(dialog).accept();  // QFileDialog::accept, which reads the name box
    });
    const std::optional<QString> chosen = askEditorPath(nullptr, stimulusListFiles, EditorFileChoice::Save,
                                                        QStringLiteral("*.wls"));

    TempDirectory study;
    QString currentFolder;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        currentFolder = dialog.directory().absolutePath();
        dialog.reject();
    });
    askEditorPath(nullptr, stimulusListFiles, EditorFileChoice::Open, QStringLiteral("*.wls"),
                  QString::fromStdString(study.file("fruit.wls")));
    qputenv("HOME", previousHome);
    setLastChosenFolder("");

    EXPECT_EQ(startDirectory.toStdString(), home.path());
    EXPECT_EQ(suffix, "wls");
    EXPECT_TRUE(own);
    EXPECT_EQ(nameBox, "*.wls");
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->toStdString(), home.file("animals.wls"));
    EXPECT_EQ(currentFolder.toStdString(), study.path());
}
