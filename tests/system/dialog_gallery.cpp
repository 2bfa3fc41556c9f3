// Shows one of the program's screens over the grey main frame, filled from the example
// study, for the screenshots in docs/screenshots/:  dialog_gallery NAME
//
// With --in-frame FILE the participant's screens are drawn inside the frame, as on a
// display system that places no windows for the program (Wayland); once the screen
// has settled the frame is grabbed, as the program draws it, into the PNG file FILE,
// and the gallery ends.
//
// Once the screen has settled it prints "ready WxH+X+Y" on standard output: the part
// of the screen a screenshot should show (the screen's windows over the frame, with a
// margin, or the whole screen for the participant's task window). It stays open until
// the screen is closed.
//
// The screens of a run come from the real run driver: a simulated participant answers
// every screen of a run of the example study except one, which is the program's own
// dialog at the point where a run shows it. The file dialogs open in a home directory
// of the gallery's own that holds a copy of the example study.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "app/about_dialog.h"
#include "app/application_window.h"
#include "app/codebook_dialog.h"
#include "app/exit_code_dialog.h"
#include "app/qt_run_screens.h"
#include "run/run_driver.h"
#include "sim/simulated_participant.h"
#include "app/subject_page_dialog.h"
#include "common/ui/screen_host.h"
#include "common/ui/screen_host.h"
#include "common/ui/warning_dialog.h"
#include "files/ui/create_input_file_dialog.h"
#include "files/ui/input_file_dialog.h"
#include "files/ui/session_settings_dialog.h"
#include "files/ui/stimulus_list_editor.h"
#include "files/word_list.h"
#include "instructions/ui/instruction_editor.h"
#include "questionnaire/ui/list_options_dialog.h"
#include "questionnaire/questionnaire_editing.h"
#include "questionnaire/ui/questionnaire_editor.h"
#include "questionnaire/questionnaire_file.h"
#include "task/ui/task_window.h"
#include "task/tutorial.h"

namespace fs = std::filesystem;

namespace {

// ---- the example study and the gallery's home directory ----

// The example study in the source tree.
fs::path exampleStudy() { return fs::path(TRUV_EXAMPLES_DIR) / "demo"; }

// The home directory the file dialogs start in: the same short path at every start,
// so that the screenshots do not change from one taking to the next and the paths
// on them fit their boxes.
fs::path labHome() { return fs::path(QDir::tempPath().toStdString()) / "truv-lab"; }

// The copy of the example study in the home directory.
fs::path study() { return labHome() / "demo"; }
std::string inStudy(const char* name) { return (study() / name).string(); }
QString qInStudy(const char* name) { return QString::fromStdString(inStudy(name)); }

// The paths typed on the screens that only show them: an experimenter's home.
const char* const typedStudy = "/home/lab/demo/";

// Gives everything in the home directory one time, which the file dialogs show.
void fixTimes()
{
    using namespace std::chrono;
    const sys_seconds morning = sys_days{year{2026} / 12 / 1} + hours{10};
    const auto when = file_clock::from_sys(morning);
    std::error_code error;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(labHome(), error))
        fs::last_write_time(entry.path(), when, error);
    fs::last_write_time(labHome(), when, error);
}

// Lays the home directory afresh with a copy of the example study and makes it the
// home of this process.
bool prepareHome()
{
    std::error_code error;
    fs::remove_all(labHome(), error);
    fs::create_directories(study(), error);
    if (!error)
        fs::copy(exampleStudy(), study(), fs::copy_options::recursive, error);
    if (error || !fs::exists(study() / "demo-one-session.inp")) {
        std::fprintf(stderr, "dialog_gallery: cannot copy the example study from %s to %s\n", exampleStudy().c_str(),
                     study().c_str());
        return false;
    }
    fixTimes();
    qputenv("HOME", QByteArray::fromStdString(labHome().string()));
    // Rescue files go to the lab home's data folder, whatever the caller's.
    qunsetenv("XDG_DATA_HOME");
    return true;
}

// The options of a simulated participant in a run of the study copy: the one of the
// README's truv-sim example.
SimOptions participant(const char* inputFile)
{
    SimOptions options;
    options.inputPath = inStudy(inputFile);
    options.dataPath = inStudy("output.dat");
    options.subjectNumber = "3";
    options.seed = 7;
    return options;
}

WordList readList(const char* name)
{
    WordList list;
    readWordListFile(inStudy(name), list);
    return list;
}

// ---- the registry ----

using Show = std::function<std::unique_ptr<QWidget>(QWidget* frame)>;

struct Screen {
    Show show;
    bool wholeScreen = false;  // the participant's view: no cropping
};

std::map<std::string, Screen>& gallery()
{
    static std::map<std::string, Screen> screens;
    return screens;
}

// Registers a screen under a name, from a file's static initialiser. A screen may
// return no widget when it opens its dialog itself (see later()).
struct Entry {
    Entry(const char* name, Show show, bool wholeScreen = false) { gallery()[name] = {std::move(show), wholeScreen}; }
};

// Runs f from the event loop after ms milliseconds: for dialogs that the program
// opens modally from its own functions, and for what is done to them once open.
void later(int ms, std::function<void()> f) { QTimer::singleShot(ms, qApp, std::move(f)); }

template <typename T>
T* activeDialog()
{
    return qobject_cast<T*>(QApplication::activeModalWidget());
}

// Widens the columns of the file list to their contents.
void showColumns(QFileDialog* dialog)
{
    for (QHeaderView* header : dialog->findChildren<QHeaderView*>())
        header->resizeSections(QHeaderView::ResizeToContents);
}

// Shows the open file dialog in the study's folder, wide enough for its columns,
// with a file chosen once the folder has been read.
void chooseInStudy(const QString& fileName)
{
    later(200, [] {
        if (auto* dialog = activeDialog<QFileDialog>()) {
            dialog->resize(760, 440);
            dialog->setDirectory(QString::fromStdString(study().string()));
        }
    });
    later(900, [fileName] {
        auto* dialog = activeDialog<QFileDialog>();
        if (dialog == nullptr)
            return;
        showColumns(dialog);
        // As a click on the file does: the list gets the focus, the name box the name.
        // A new file's name is typed.
        for (auto* view : dialog->findChildren<QTreeView*>()) {
            if (!view->isVisible())
                continue;
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row) {
                const QModelIndex index = view->model()->index(row, 0, root);
                if (index.data().toString() == fileName) {
                    view->setFocus();
                    view->setCurrentIndex(index);
                    return;
                }
            }
        }
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(fileName);
    });
}

// The file dialog that the program opens, wide enough for its columns.
void widenFileDialog()
{
    later(200, [] {
        if (auto* dialog = activeDialog<QFileDialog>())
            dialog->resize(760, 440);
    });
    later(900, [] {
        if (auto* dialog = activeDialog<QFileDialog>())
            showColumns(dialog);
    });
}

// ---- a run of the example study ----

enum class RunScreen {
    Page,
    Text,
    Radio,
    List,
    Warning,
    Review,
    NextBlock,
    Feedback,
    FileError,
    ExitCode,
    Report,
    WriteFailure,
    OutputTrouble
};

// The run's screens: the simulated participant's, except the chosen occurrence of
// one kind, which is the program's own screen.
class GalleryRun final : public RunScreens, PageScreens, QuestionnaireScreens, ReviewScreens {
public:
    GalleryRun(const SimOptions& options, RunScreen shown, int occurrence, QWidget* frame)
        : sim_(options), real_(slot_, pointer_, clock_, makeTaskFont(), frame), shown_(shown), occurrence_(occurrence)
    {
    }

    // Called at every screen with its kind and its number among the screens of that
    // kind, before the screen is shown.
    std::function<void(RunScreen, int)> beforeScreen;

    std::optional<SubjectRecord> askSubject(const LocalDateTime& start) override { return sim_.askSubject(start); }
    void showFileError(std::string_view message, std::string_view detail) override
    {
        real(RunScreen::FileError) ? real_.showFileError(message, detail) : sim_.showFileError(message, detail);
    }
    PageScreens& pages() override { return *this; }
    QuestionnaireScreens& questions() override { return *this; }
    ReviewScreens& review() override { return *this; }
    TutorialBlocks& tutorial() override { return sim_.tutorial(); }
    void showNextBlock(const NextBlockTexts& texts) override
    {
        real(RunScreen::NextBlock) ? real_.showNextBlock(texts) : sim_.showNextBlock(texts);
    }
    BlockRun runBlock(const BlockSettings& settings, TrialResults& results) override
    {
        return sim_.runBlock(settings, results);
    }
    void showBlockFeedback(std::string_view time, std::string_view percent) override
    {
        real(RunScreen::Feedback) ? real_.showBlockFeedback(time, percent) : sim_.showBlockFeedback(time, percent);
    }
    std::optional<std::string> askExitCode() override
    {
        return real(RunScreen::ExitCode) ? real_.askExitCode() : sim_.askExitCode();
    }
    void showReport(int subjectNumber, const ScoreTable& scores) override
    {
        real(RunScreen::Report) ? real_.showReport(subjectNumber, scores) : sim_.showReport(subjectNumber, scores);
    }
    void showWriteFailure(std::string_view message) override
    {
        real(RunScreen::WriteFailure) ? real_.showWriteFailure(message) : sim_.showWriteFailure(message);
    }
    ::OutputTrouble askOutputTrouble(std::string_view message) override
    {
        return real(RunScreen::OutputTrouble) ? real_.askOutputTrouble(message) : sim_.askOutputTrouble(message);
    }
    std::optional<std::string> askHeldLinesFile(std::string_view message, std::string_view name) override
    {
        return sim_.askHeldLinesFile(message, name);
    }
    bool confirmHeldLinesLost(std::string_view message) override { return sim_.confirmHeldLinesLost(message); }

    void showPage(std::string_view text) override
    {
        real(RunScreen::Page) ? real_.pages().showPage(text) : sim_.pages().showPage(text);
    }
    TextReply askText(std::string_view question) override
    {
        return real(RunScreen::Text) ? real_.questions().askText(question) : sim_.questions().askText(question);
    }
    RadioReply askRadio(std::string_view question, std::string_view first, std::string_view second) override
    {
        return real(RunScreen::Radio) ? real_.questions().askRadio(question, first, second)
                                      : sim_.questions().askRadio(question, first, second);
    }
    ListReply askList(std::string_view question, const std::vector<std::string>& choices) override
    {
        return real(RunScreen::List) ? real_.questions().askList(question, choices)
                                     : sim_.questions().askList(question, choices);
    }
    void showWarning(std::string_view message) override
    {
        real(RunScreen::Warning) ? real_.questions().showWarning(message) : sim_.questions().showWarning(message);
    }
    std::optional<std::pair<Entries, Entries>> reviewLists(const ListReviewState& state) override
    {
        return real(RunScreen::Review) ? real_.review().reviewLists(state) : sim_.review().reviewLists(state);
    }

private:
    bool real(RunScreen kind)
    {
        const int number = ++seen_[kind];
        if (beforeScreen)
            beforeScreen(kind, number);
        return kind == shown_ && number == occurrence_;
    }

    AcceleratorSlot slot_;
    HeadlessPointer pointer_;
    MonotonicClock clock_;
    SimulatedParticipant sim_;
    QtRunScreens real_;
    RunScreen shown_;
    int occurrence_;
    std::map<RunScreen, int> seen_;
};

// The run's start, as on the subject page's screenshot.
const LocalDateTime runStart{2026, 12, 7, 9, 30, 0};

// Runs an input file of the study copy with the simulated participant; the chosen
// screen stays open until the gallery is closed.
void runStudy(QWidget* frame, const char* inputFile, RunScreen shown, int occurrence, bool report = false,
              std::function<void(GalleryRun&)> prepare = {})
{
    later(0, [=] {
        SimOptions options = participant(inputFile);
        options.report = report;
        GalleryRun run(options, shown, occurrence, frame);
        if (prepare)
            prepare(run);
        RunDriver(run).runExperiment(runStart);
        QApplication::quit();
    });
}

// ---- the run, as the participant and the experimenter see it ----

Entry instructionPage("instruction-page", [](QWidget* frame) {
    runStudy(frame, "demo-one-session.inp", RunScreen::Page, 1);
    return nullptr;
});

// The questionnaire's first question of each kind follows its practice page.
Entry textQuestion("text-question", [](QWidget* frame) {
    runStudy(frame, "demo-two-sessions.inp", RunScreen::Text, 2);
    return nullptr;
});

Entry radioQuestion("radio-question", [](QWidget* frame) {
    runStudy(frame, "demo-two-sessions.inp", RunScreen::Radio, 2);
    return nullptr;
});

Entry listQuestion("list-question", [](QWidget* frame) {
    runStudy(frame, "demo-two-sessions.inp", RunScreen::List, 2);
    return nullptr;
});

Entry questionnaireWarning("warning", [](QWidget* frame) {
    // A questionnaire cut to its first four pages: three items for one category.
    QuestionnaireDocument document = readQuestionnaireFile(inStudy("own-words.qls"));
    document.pageCount = 4;
    writeQuestionnaireFile(document, inStudy("own-words.qls"));
    runStudy(frame, "demo-two-sessions.inp", RunScreen::Warning, 1);
    return nullptr;
});

// The first list review of the word lists: vehicles and clothing.
Entry review("list-review", [](QWidget* frame) {
    runStudy(frame, "demo-one-session.inp", RunScreen::Review, 1);
    return nullptr;
});

// Session 1's recorded block, before and after it.
Entry nextBlock("next-block", [](QWidget* frame) {
    runStudy(frame, "demo-one-session.inp", RunScreen::NextBlock, 4);
    return nullptr;
});

Entry feedback("block-feedback", [](QWidget* frame) {
    runStudy(frame, "demo-one-session.inp", RunScreen::Feedback, 4);
    return nullptr;
});

Entry exitCode("exit-code", [](QWidget* frame) {
    runStudy(frame, "demo-one-session.inp", RunScreen::ExitCode, 1);
    later(500, [] {
        if (auto* dialog = activeDialog<ExitCodeDialog>())
            dialog->control<QLineEdit>(ExitCodeDialog::CodeId)->setText(QString::fromLatin1(endCode));
    });
    return nullptr;
});

Entry report("report", [](QWidget* frame) {
    runStudy(frame, "demo-two-sessions.inp", RunScreen::Report, 1, true);
    return nullptr;
});

Entry fileError("file-error", [](QWidget* frame) {
    fs::remove(study() / "summer-winter.wls");
    runStudy(frame, "demo-one-session.inp", RunScreen::FileError, 1);
    return nullptr;
});

// The data file's folder is away while block 1 runs, as a network folder may be,
// and back for block 2: block 1 and the rest of the run go to a rescue file.
Entry writeError("write-error", [](QWidget* frame) {
    runStudy(frame, "demo-one-session.inp", RunScreen::WriteFailure, 1, false, [](GalleryRun& run) {
        run.beforeScreen = [](RunScreen kind, int number) {
            std::error_code error;
            if (kind == RunScreen::NextBlock && number == 1)
                fs::rename(study(), study().string() + "-away", error);
            if (kind == RunScreen::NextBlock && number == 2)
                fs::rename(study().string() + "-away", study(), error);
        };
    });
    return nullptr;
});

// The data file's folder is away while block 1 runs and the rescue folder cannot be
// made: no file takes block 1, and the run stops for the experimenter.
Entry outputTrouble("output-trouble", [](QWidget* frame) {
    setenv("XDG_DATA_HOME", "/dev/null/data", 1);
    runStudy(frame, "demo-one-session.inp", RunScreen::OutputTrouble, 1, false, [](GalleryRun& run) {
        run.beforeScreen = [](RunScreen kind, int number) {
            std::error_code error;
            if (kind == RunScreen::NextBlock && number == 1)
                fs::rename(study(), study().string() + "-away", error);
        };
    });
    return nullptr;
});

Entry subjectPage("subject-page", [](QWidget* frame) {
    auto d = std::make_unique<SubjectPageDialog>(runStart, frame);
    SubjectPageEntries e = d->entries();
    e.inputPath = std::string(typedStudy) + "demo-one-session.inp";
    e.dataPath = std::string(typedStudy) + "output.dat";
    e.subjectNumber = "3";
    e.sexIndex = 1;
    e.otherCode = "room2";
    d->setEntries(e);
    return d;
});

// A subject number out of range: OK shows the field check's message.
Entry fieldMessage("field-message", [](QWidget* frame) {
    auto d = std::make_unique<SubjectPageDialog>(runStart, frame);
    SubjectPageEntries e = d->entries();
    e.inputPath = std::string(typedStudy) + "demo-one-session.inp";
    e.dataPath = std::string(typedStudy) + "output.dat";
    e.subjectNumber = "1003";
    d->setEntries(e);
    later(0, [dialog = d.get()] { dialog->confirm(); });
    return d;
});

Entry browseInput("browse-input", [](QWidget* frame) {
    auto d = std::make_unique<SubjectPageDialog>(runStart, frame);
    later(0, [dialog = d.get()] { dialog->control<QPushButton>(SubjectPageDialog::InputBrowseId)->click(); });
    chooseInStudy(QStringLiteral("demo-one-session.inp"));
    return d;
});

// The second participant's page: the first one's data file is there.
Entry browseData("browse-data", [](QWidget* frame) {
    std::ostringstream ignored;
    runSimulation(participant("demo-one-session.inp"), runStart, ignored, ignored);
    fixTimes();
    auto d = std::make_unique<SubjectPageDialog>(runStart, frame);
    later(0, [dialog = d.get()] { dialog->control<QPushButton>(SubjectPageDialog::DataBrowseId)->click(); });
    chooseInStudy(QStringLiteral("output.dat"));
    return d;
});

// The task window as the run's blocks show it: session 1 of the example study, its
// first pair in file order, its second reversed.
struct TaskScreen {
    AcceleratorSlot slot;
    HeadlessPointer pointer;
    MonotonicClock clock;
};

std::unique_ptr<TaskWindow> taskWindow(QWidget* frame)
{
    static TaskScreen devices;
    auto w = std::make_unique<TaskWindow>(devices.slot, devices.pointer, devices.clock, makeTaskFont(), frame);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        w->move(screen->geometry().center() - w->rect().center());
    return w;
}

std::array<std::string, 4> sessionOneLabels()
{
    const WordList pair1 = readList("vehicles-clothing.wls");
    const WordList pair2 = readList("summer-winter.wls");
    return {pair1.entriesA[0].str(), pair1.entriesB[0].str(), pair2.entriesB[0].str(), pair2.entriesA[0].str()};
}

Entry taskStart(
    "task-start",
    [](QWidget* frame) {
        auto w = taskWindow(frame);
        w->clearAreas();
        w->showInstruction("Press the SPACE BAR to start.");
        return w;
    },
    true);

Entry taskWord(
    "task-word",
    [](QWidget* frame) {
        auto w = taskWindow(frame);
        w->clearAreas();
        w->showInstruction("");
        w->drawLabels(sessionOneLabels());
        w->drawWord(readList("vehicles-clothing.wls").entriesA[3].view(), TextColour::Pair1);
        return w;
    },
    true);

// A winter word answered with the right key: the word stays until the left key.
Entry taskError(
    "task-error",
    [](QWidget* frame) {
        auto w = taskWindow(frame);
        w->clearAreas();
        w->showInstruction("");
        w->drawLabels(sessionOneLabels());
        w->drawWord(readList("summer-winter.wls").entriesB[6].view(), TextColour::Pair2);
        w->drawFeedback(false);
        return w;
    },
    true);

// The tutorial's first part after Space, drawn by the block engine itself.
Entry tutorial(
    "tutorial",
    [](QWidget* frame) {
        auto w = taskWindow(frame);
        w->engine().open(tutorialPartSettings(1, 150));
        w->engine().key(TaskCommand::StartBlock);
        return w;
    },
    true);

// ---- the main menu's other screens ----

Entry about("about", [](QWidget* frame) { return std::make_unique<AboutDialog>(frame); });

Entry codebookSave("codebook-save", [](QWidget* frame) {
    later(0, [frame] { askCodebookPath(frame); });
    widenFileDialog();
    return nullptr;
});

// Save on a file that exists: the question before the codebook is added to it.
Entry codebookAppend("codebook-append", [](QWidget* frame) {
    QFile log(QDir::homePath() + QStringLiteral("/output.log"));
    if (log.open(QIODevice::WriteOnly))
        log.write("Codebook of the example study\r\n");
    log.close();
    fixTimes();
    later(0, [frame] { askCodebookPath(frame); });
    widenFileDialog();
    later(1000, [] {
        if (auto* dialog = activeDialog<QFileDialog>())
            QMetaObject::invokeMethod(dialog, "accept");
    });
    return nullptr;
});

// ---- the editors ----

Entry newInputFile("new-input-file", [](QWidget* frame) {
    later(0, [frame] { askNewInputFilePath(frame); });
    chooseInStudy(QStringLiteral("my-study.inp"));
    return nullptr;
});

Entry inputFile("input-file", [](QWidget* frame) {
    auto d = std::make_unique<InputFileDialog>(QString::fromLatin1(typedStudy) +
                                                   QStringLiteral("demo-two-sessions.inp"),
                                               frame);
    d->control<QLineEdit>(InputFileDialog::InstructionPathId)
        ->setText(QString::fromLatin1(typedStudy) + QStringLiteral("intro.bgi"));
    d->control<QLineEdit>(InputFileDialog::SessionsId)->setText(QStringLiteral("2"));
    d->control<QCheckBox>(InputFileDialog::TutorialId)->setChecked(false);
    return d;
});

Entry browseInstructions("browse-instructions", [](QWidget* frame) {
    auto d = std::make_unique<InputFileDialog>(QString::fromLatin1(typedStudy) +
                                                   QStringLiteral("demo-two-sessions.inp"),
                                               frame);
    later(0, [dialog = d.get()] { dialog->control<QPushButton>(InputFileDialog::BrowseId)->click(); });
    chooseInStudy(QStringLiteral("intro.bgi"));
    return d;
});

// Session 2 of the two-session input file, as the experimenter enters it: the
// vehicles and clothing again with the questionnaire's categories, pair 1 switched.
Entry sessionSettings("session-settings", [](QWidget* frame) {
    auto d = std::make_unique<SessionSettingsDialog>(study().string(), frame);
    d->prepare(2);
    const auto choose = [&](int list, const QString& line) {
        auto* box = d->control<QListWidget>(list);
        const QList<QListWidgetItem*> found = box->findItems(line, Qt::MatchExactly);
        if (!found.isEmpty())
            box->setCurrentItem(found.front());
    };
    choose(SessionSettingsDialog::Pair1ListId, QStringLiteral("Vehicles-Clothing"));
    choose(SessionSettingsDialog::Pair2ListId, QStringLiteral("Personal-Unfamiliar"));
    d->control<QRadioButton>(SessionSettingsDialog::SwitchPair1Id)->setChecked(true);
    d->control<QLineEdit>(SessionSettingsDialog::PracticeId)->setText(QStringLiteral("10"));
    d->control<QLineEdit>(SessionSettingsDialog::RealId)->setText(QStringLiteral("20"));
    return d;
});

// An editor over frame with the study's file name open, as File > Open opens it.
template <class Editor>
std::unique_ptr<Editor> openedInStudy(QWidget* frame, const char* name)
{
    auto d = std::make_unique<Editor>(frame);
    d->setPathChooser([name](QWidget*, EditorFileChoice, const QString&) { return qInStudy(name); });
    d->openDocument();
    return d;
}

Entry stimulusLists("stimulus-lists",
                    [](QWidget* frame) { return openedInStudy<StimulusListEditor>(frame, "vehicles-clothing.wls"); });

// The editors' own open dialog, here the stimulus list editor's File > Open.
Entry editorOpen("editor-open", [](QWidget* frame) {
    auto d = std::make_unique<StimulusListEditor>(frame);
    later(0, [dialog = d.get()] { dialog->action(StimulusListEditor::Command::Open)->trigger(); });
    chooseInStudy(QStringLiteral("summer-winter.wls"));
    return d;
});

Entry instructionEditor("instruction-editor",
                        [](QWidget* frame) { return openedInStudy<InstructionEditorDialog>(frame, "intro.bgi"); });

// The questionnaire at its radio page.
Entry questionnaireEditor("questionnaire-editor", [](QWidget* frame) {
    auto d = openedInStudy<QuestionnaireEditorDialog>(frame, "own-words.qls");
    for (int page = 1; page < 5; ++page)
        d->flipForward();
    return d;
});

// "Edit List of Choices" on the questionnaire's list page.
Entry listOptions("list-options", [](QWidget* frame) {
    auto d = openedInStudy<QuestionnaireEditorDialog>(frame, "own-words.qls");
    for (int page = 1; page < 9; ++page)
        d->flipForward();
    later(0, [dialog = d.get()] { dialog->editChoices(); });
    return d;
});

Entry editorExit("exit-warning",
                 [](QWidget* frame) { return std::make_unique<WarningDialog>(QString::fromUtf8(exitWarning), frame); });

// The part of the screen to show: the windows over the frame with a margin, or all.
QRect shownArea(const QWidget& frame, bool wholeScreen)
{
    const QRect all = frame.geometry();
    QRect windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != &frame && w->isVisible())
            windows |= w->frameGeometry();
    }
    if (wholeScreen || windows.isEmpty())
        return all;
    constexpr int margin = 16;
    return windows.adjusted(-margin, -margin, margin, margin) & all;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // A text cursor that does not blink looks the same in every screenshot.
    QApplication::setCursorFlashTime(0);
    const bool inFrame = argc == 4 && std::string(argv[2]) == "--in-frame";
    if (argc < 2 || !gallery().count(argv[1]) || (argc > 2 && !inFrame)) {
        std::fprintf(stderr, "usage: dialog_gallery NAME [--in-frame FILE.png]\nnames:");
        for (const auto& [name, screen] : gallery())
            std::fprintf(stderr, " %s", name.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    if (!prepareHome())
        return 1;
    const Screen& entry = gallery()[argv[1]];

    MainFrame frame;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        frame.setGeometry(screen->geometry());
    frame.showFullScreen();
    frame.activateWindow();

    std::unique_ptr<ScreenHost> host = inFrame ? std::make_unique<ScreenHost>(&frame) : nullptr;
    std::unique_ptr<QWidget> screen = entry.show(&frame);
    if (screen) {
        screen->show();
        if (auto* dialog = qobject_cast<QDialog*>(screen.get()))
            QObject::connect(dialog, &QDialog::finished, &application, &QApplication::quit);
    }
    // The screens opened from timers are open and drawn well before this.
    QTimer::singleShot(1500, &application, [&] {
        if (inFrame) {
            const bool saved = frame.grab().save(QString::fromLocal8Bit(argv[3]), "PNG");
            std::printf(saved ? "grabbed %s\n" : "could not write %s\n", argv[3]);
            std::fflush(stdout);
            QCoreApplication::exit(saved ? 0 : 1);
            return;
        }
        const QRect r = shownArea(frame, entry.wholeScreen);
        std::printf("ready %dx%d+%d+%d\n", r.width(), r.height(), r.x(), r.y());
        std::fflush(stdout);
    });
    return application.exec();
}
