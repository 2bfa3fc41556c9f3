// The run's own dialogs (file error, exit code) and the run's screens on Qt, on the
// offscreen platform.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

#include "app/application_window.h"
#include "app/exit_code_dialog.h"
#include "app/file_error_dialog.h"
#include "app/output_trouble_dialog.h"
#include "app/qt_run_screens.h"
#include "layout_check.h"
#include "support/sample_items.h"

namespace {

const char* const missingFileMessage =
    "Error:  Program cannot continue because a file specified in the input file has not been found.  Please "
    "check that the following file directory and file name are correct: ";

// Acts on the next modal dialog once it is open (from inside its event loop).
void onNextModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start(5);
}

QPlainTextEdit* detailBox(FileErrorDialog& dialog) { return dialog.control<QPlainTextEdit>(FileErrorDialog::DetailId); }

Qt::Alignment detailAlignment(FileErrorDialog& dialog)
{
    return detailBox(dialog)->document()->defaultTextOption().alignment() & Qt::AlignHorizontal_Mask;
}

}  // namespace

TEST(FileErrorDialog, IsLaidOutAsItsTableWithItsCaption)
{
    FileErrorDialog dialog;
    expectLaidOutAsTable(dialog, FileErrorDialog::dialogTemplate());
    EXPECT_EQ(dialog.windowTitle(), "File Error");
    EXPECT_TRUE(dialog.control<QLabel>(FileErrorDialog::MessageId)->wordWrap());
    EXPECT_TRUE(detailBox(dialog)->isReadOnly());
    auto* ok = dialog.control<QPushButton>(FileErrorDialog::OkId);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
}

TEST(FileErrorDialog, CentresAPathOnItsLineAndListsProblemsLeftAligned)
{
    FileErrorDialog dialog;
    dialog.setTexts(missingFileMessage, "/home/lab/study/Fruit.wls");
    dialog.show();
    EXPECT_EQ(dialog.control<QLabel>(FileErrorDialog::MessageId)->text(), missingFileMessage);
    QPlainTextEdit* box = detailBox(dialog);
    EXPECT_EQ(box->toPlainText(), "/home/lab/study/Fruit.wls");
    EXPECT_EQ(detailAlignment(dialog), Qt::AlignHCenter);
    // Drawn centred: the line starts well inside the box.
    EXPECT_GT(box->cursorRect(QTextCursor(box->document())).x(), box->viewport()->width() / 4);

    dialog.setTexts("The input file cannot be used:",
                    "input file a.inp: 12 sessions, at most 9 are allowed\r\n"
                    "input file a.inp: a delay of 1200 ms, at most 999 are allowed\r\n");
    EXPECT_EQ(box->toPlainText(), "input file a.inp: 12 sessions, at most 9 are allowed\n"
                                  "input file a.inp: a delay of 1200 ms, at most 999 are allowed");
    EXPECT_EQ(box->document()->blockCount(), 2);
    EXPECT_EQ(detailAlignment(dialog), Qt::AlignLeft);
    EXPECT_LT(box->cursorRect(QTextCursor(box->document())).x(), 10);
}

TEST(FileErrorDialog, ALongPathBreaksInsideTheBoxInsteadOfRunningOut)
{
    FileErrorDialog dialog;
    std::string path = "/home/lab";
    while (path.size() < 240)
        path += "/a_rather_long_directory_name";
    path += "/Fruit.wls";
    dialog.setTexts(missingFileMessage, path);
    dialog.show();
    QPlainTextEdit* box = detailBox(dialog);
    EXPECT_EQ(box->toPlainText(), QString::fromStdString(path));
    EXPECT_GT(box->document()->firstBlock().layout()->lineCount(), 1);
    EXPECT_EQ(box->horizontalScrollBar()->maximum(), 0);
}

TEST(FileErrorDialog, ShowsUtf8PathsAndSingleByteNames)
{
    EXPECT_EQ(fromPathOrSingleByte("/home/caf\xc3\xa9/a.wls"), QString::fromUtf8("/home/caf\u00e9/a.wls"));
    EXPECT_EQ(fromPathOrSingleByte("Caf\xe9.wls"), QString::fromUtf8("Caf\u00e9.wls"));
    EXPECT_EQ(fromPathOrSingleByte("\x93quoted\x94"), QString::fromUtf8("\u201cquoted\u201d"));
}

TEST(FileErrorDialog, EveryWayCloses)
{
    const std::pair<const char*, std::function<void(FileErrorDialog&)>> cases[] = {
        {"Enter", [](FileErrorDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }},
        {"OK", [](FileErrorDialog& d) { d.control<QPushButton>(FileErrorDialog::OkId)->click(); }},
        {"Escape", [](FileErrorDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close box", [](FileErrorDialog& d) { d.close(); }},
    };
    for (const auto& [what, act] : cases) {
        FileErrorDialog dialog;
        dialog.setTexts(missingFileMessage, "/x/y.wls");
        dialog.show();
        act(dialog);
        EXPECT_FALSE(dialog.isVisible()) << what;
    }
}

TEST(ExitCodeDialog, HasNoCaptionNoButtonsAndABandAlongTopAndBottom)
{
    ExitCodeDialog dialog;
    expectLaidOutAsTable(dialog, ExitCodeDialog::dialogTemplate());
    EXPECT_TRUE(dialog.windowTitle().isEmpty());
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(dialog.findChildren<QAbstractButton*>().isEmpty());
    EXPECT_EQ(dialog.control<QLabel>(ExitCodeDialog::LabelId)->text(), "Experiment Exit Code:");
    auto* edit = dialog.control<QLineEdit>(ExitCodeDialog::CodeId);
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);

    const QRect top = dialog.control(ExitCodeDialog::TopBandId)->geometry();
    const QRect bottom = dialog.control(ExitCodeDialog::BottomBandId)->geometry();
    EXPECT_EQ(top.topLeft(), QPoint(0, 0));
    EXPECT_EQ(top.width(), dialog.width());
    EXPECT_EQ(bottom.bottom(), dialog.height() - 1);
    EXPECT_EQ(bottom.width(), dialog.width());

    // The band is drawn: several colours, not the window's plain background.
    dialog.show();
    const QImage band = dialog.control(ExitCodeDialog::TopBandId)->grab().toImage();
    QSet<QRgb> colours;
    for (int x = 0; x < band.width(); ++x)
        colours.insert(band.pixel(x, band.height() / 2));
    EXPECT_GE(colours.size(), 4);
    EXPECT_NE(StripedBand::tile(false), StripedBand::tile(true));
}

TEST(ExitCodeDialog, TakesAtMostSixteenCharactersAsTyped)
{
    ExitCodeDialog dialog;
    dialog.show();
    QTest::keyClicks(dialog.control(ExitCodeDialog::CodeId), "vandor vandor vandor");
    EXPECT_EQ(dialog.code(), "vandor vandor va");
}

TEST(ExitCodeDialog, EnterGivesTheTextEscapeGivesNothing)
{
    struct Case {
        const char* what;
        const char* typed;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"Enter", "zup", Qt::Key_Return, Qt::NoModifier, QStringLiteral("zup")},
        {"keypad Enter", "Zup ", Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("Zup ")},
        {"Enter on an empty box", "", Qt::Key_Return, Qt::NoModifier, QString()},
        {"Escape", "zup", Qt::Key_Escape, Qt::NoModifier, std::nullopt},
    };
    for (const Case& c : cases) {
        onNextModal([&c](QWidget* modal) {
            auto* dialog = qobject_cast<ExitCodeDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            QWidget* edit = dialog->control(ExitCodeDialog::CodeId);
            QTest::keyClicks(edit, c.typed);
            QTest::keyClick(edit, c.key, c.modifiers);
        });
        const std::optional<QString> code = ExitCodeDialog::ask();
        EXPECT_EQ(code.has_value(), c.expected.has_value()) << c.what;
        if (code && c.expected) {
            EXPECT_EQ(*code, *c.expected) << c.what;
        }
    }
}

namespace {

class QtRunScreensTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.acceleratorSlot().table = &participantShortcuts();
        qApp->installEventFilter(&app);
    }
    void TearDown() override { qApp->removeEventFilter(&app); }

    // Plays the participant in the run's task window: Space, then the right key for
    // each word until `answers` words are answered, then the skip key if `skip`.
    void playBlock(QTimer& timer, const BlockSettings& settings, int answers, bool skip)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, &settings, answers, skip] {
            TaskWindow* window = screens.taskWindow();
            if (window == nullptr || !window->isVisible())
                return;
            BlockEngine& e = window->engine();
            if (e.state() == BlockEngine::State::WaitingForStart) {
                QTest::keyClick(window, Qt::Key_Space);
            } else if (e.state() == BlockEngine::State::WordShown) {
                const int i = e.trialsPresented() - 1;
                if (i >= answers) {
                    if (skip)
                        QTest::keyClick(window, Qt::Key_K, Qt::AltModifier);
                    return;
                }
                if (e.plan().category[i] == settings.leftCategory[e.plan().pair[i]])
                    QTest::keyClick(window, Qt::Key_A);
                else
                    QTest::keyClick(window, Qt::Key_5, Qt::KeypadModifier);
            }
        });
        timer.start(5);
    }

    BlockRun run(const BlockSettings& settings, TrialResults& results, int answers, bool skip = false)
    {
        QTimer timer;
        playBlock(timer, settings, answers, skip);
        const BlockRun r = screens.runBlock(settings, results);
        timer.stop();
        return r;
    }

    ExperimentApp app;
    HeadlessPointer pointer{{1280, 1024}};
    MonotonicClock clock;
    QWidget frame;
    QtRunScreens screens{app.acceleratorSlot(), pointer, clock, makeTaskFont(), &frame};
};

const ScreenRect wholeScreen{0, 0, 1280, 1024};

}  // namespace

TEST_F(QtRunScreensTest, RunsEveryBlockInOneWindowAndRecordsTheResultsInPlace)
{
    EXPECT_EQ(screens.taskWindow(), nullptr) << "made on first use";

    const BlockSettings first = sampleBlockSettings(4, 0, {0, 1});
    TrialResults results;
    fillPlaceholders(results);
    results[4].word.assign("untouched");
    const BlockRun done = run(first, results, 4);
    TaskWindow* window = screens.taskWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), &frame);

    EXPECT_EQ(done.end, BlockEnd::Completed);
    EXPECT_EQ(done.trialsAnswered, 4);
    EXPECT_DOUBLE_EQ(done.totals.percentCorrect, 100.0);
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(results[t].trialNumber, t + 1) << t;
        EXPECT_NE(results[t].latency, 99999) << t;
    }
    EXPECT_EQ(results[4].word.str(), "untouched") << "slots past the block come back as they went in";
    EXPECT_EQ(pointer.confinement(), wholeScreen);

    // The second block in the same window starts from the markers handed in, not
    // from the first block's trials.
    const BlockSettings second = sampleBlockSettings(6, 0, {1, 0});
    fillPlaceholders(results);
    const BlockRun cut = run(second, results, 1, true);
    EXPECT_EQ(screens.taskWindow(), window);
    EXPECT_EQ(cut.end, BlockEnd::Skipped);
    EXPECT_EQ(cut.trialsAnswered, 1);
    EXPECT_EQ(cut.totals.totalLatency, 0);
    EXPECT_EQ(cut.totals.percentCorrect, 0);
    EXPECT_EQ(results[0].trialNumber, 1);
    // The word on screen when the block was cut short has no response.
    EXPECT_EQ(results[1].latency, 99999);
    for (int t = 2; t < 6; ++t) {
        EXPECT_EQ(results[t].trialNumber, 99) << t;
        EXPECT_EQ(results[t].latency, 99999) << t;
        EXPECT_EQ(results[t].word.str(), "blank") << t;
    }
    EXPECT_EQ(pointer.confinement(), wholeScreen) << "the confinement the window saved is restored";
}

TEST_F(QtRunScreensTest, ABlockClosedBeforeItsFirstWordHasNoAnswers)
{
    const BlockSettings settings = sampleBlockSettings(5, 0);
    TrialResults results;
    fillPlaceholders(results);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [this] {
        if (TaskWindow* w = screens.taskWindow(); w != nullptr && w->isVisible())
            QTest::keyClick(w, Qt::Key_K, Qt::AltModifier);
    });
    timer.start(5);
    const BlockRun r = screens.runBlock(settings, results);
    timer.stop();
    EXPECT_EQ(r.end, BlockEnd::Skipped);
    EXPECT_EQ(r.trialsAnswered, 0);
    EXPECT_EQ(results[0].latency, 99999);
    EXPECT_EQ(pointer.confinement(), wholeScreen);
}

TEST_F(QtRunScreensTest, ReusesOneDialogOfEachKindBetweenBlocks)
{
    std::vector<QString> shown;
    const auto closeRecording = [&shown](int id) {
        onNextModal([&shown, id](QWidget* modal) {
            auto* dialog = qobject_cast<TemplateDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            shown.push_back(dialog->control<QLabel>(id)->text());
            QTest::keyClick(modal, Qt::Key_Return);
        });
    };

    closeRecording(NextBlockDialog::StatusId);
    screens.showNextBlock(nextBlockTexts(BlockInHalf::PairOne, {"Fruit", "Tools", "", ""}));
    NextBlockDialog* next = screens.nextBlockDialog();
    ASSERT_NE(next, nullptr);
    closeRecording(NextBlockDialog::StatusId);
    screens.showNextBlock(nextBlockTexts(BlockInHalf::CombinedRecorded, {"Fruit", "Tools", "Mine", "Theirs"}));
    EXPECT_EQ(screens.nextBlockDialog(), next);
    EXPECT_EQ(next->parentWidget(), &frame);

    closeRecording(BlockFeedbackDialog::TimeId);
    screens.showBlockFeedback("17.1", "95");
    BlockFeedbackDialog* feedback = screens.blockFeedbackDialog();
    ASSERT_NE(feedback, nullptr);
    closeRecording(BlockFeedbackDialog::PercentId);
    screens.showBlockFeedback("3.0", "100");
    EXPECT_EQ(screens.blockFeedbackDialog(), feedback);

    EXPECT_EQ(shown, (std::vector<QString>{"practice.", "real.", "17.1", "100"}));
}

TEST_F(QtRunScreensTest, TheExitCodeComesBackSingleByteAndTheBoxStartsEmptyEachTime)
{
    const auto answer = [](const QString& typed, Qt::Key key) {
        onNextModal([typed, key](QWidget* modal) {
            auto* dialog = qobject_cast<ExitCodeDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            EXPECT_TRUE(dialog->code().isEmpty());
            dialog->control<QLineEdit>(ExitCodeDialog::CodeId)->insert(typed);
            QTest::keyClick(modal, key);
        });
    };
    answer(QStringLiteral("zup"), Qt::Key_Escape);
    EXPECT_EQ(screens.askExitCode(), std::nullopt);
    answer(QString::fromUtf8("caf\u00e9"), Qt::Key_Return);
    EXPECT_EQ(screens.askExitCode(), std::optional<std::string>("caf\xe9"));
    answer(QStringLiteral("vandor"), Qt::Key_Return);
    EXPECT_EQ(screens.askExitCode(), std::optional<std::string>("vandor"));
}

TEST_F(QtRunScreensTest, AFileErrorShowsItsMessageAndPathInTheFileErrorDialog)
{
    QString title, message, detail;
    onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<FileErrorDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        message = dialog->control<QLabel>(FileErrorDialog::MessageId)->text();
        detail = dialog->control<QPlainTextEdit>(FileErrorDialog::DetailId)->toPlainText();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    screens.showFileError(missingFileMessage, "/home/lab/Fruit.wls");
    EXPECT_EQ(title, "File Error");
    EXPECT_EQ(message, missingFileMessage);
    EXPECT_EQ(detail, "/home/lab/Fruit.wls");
}

TEST_F(QtRunScreensTest, AWriteFailureIsShownAsPlainText)
{
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        format = box->textFormat();
        box->accept();
    });
    screens.showWriteFailure("cannot write /data/<run>.dat: No space left on device");
    EXPECT_EQ(text, "cannot write /data/<run>.dat: No space left on device");
    EXPECT_EQ(format, Qt::PlainText);
}

// The screen that stops a run whose lines no file takes: its first line above, the
// rest below; Enter, Escape, Space and the close box choose nothing, a click chooses.
TEST_F(QtRunScreensTest, TheCallTheExperimenterScreenClosesOnlyOnAChoice)
{
    for (const auto& [id, expected] : {std::pair{OutputTroubleDialog::TryAgainId, OutputTrouble::TryAgain},
                                       std::pair{OutputTroubleDialog::EndRunId, OutputTrouble::EndRun}}) {
        bool stayedOpen = false;
        QString call;
        QString detail;
        onNextModal([&, id = id](QWidget* modal) {
            auto* dialog = qobject_cast<OutputTroubleDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            call = dialog->control<QLabel>(OutputTroubleDialog::CallId)->text();
            detail = dialog->control<QPlainTextEdit>(OutputTroubleDialog::DetailId)->toPlainText();
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Space})
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : modal, key);
            dialog->close();
            QApplication::processEvents();
            stayedOpen = dialog->isVisible();
            for (const int button : {int(OutputTroubleDialog::TryAgainId), int(OutputTroubleDialog::EndRunId)})
                EXPECT_FALSE(dialog->control<QPushButton>(button)->isDefault());
            dialog->control<QPushButton>(id)->click();
        });
        EXPECT_EQ(screens.askOutputTrouble("Please call the experimenter.\n\nThe disk is full."), expected);
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(call, "Please call the experimenter.");
        EXPECT_EQ(detail, "The disk is full.");
    }
}
