// Shows one of the program's screens with sample content over the grey main frame,
// for the screenshots in docs/screenshots/:  dialog_gallery NAME
// It stays open until the screen is closed.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/application_window.h"
#include "app/subject_page_dialog.h"
#include "files/input_file_dialog.h"
#include "files/list_review_dialog.h"
#include "files/stimulus_list_editor.h"
#include "files/session_settings_dialog.h"
#include "instructions/instruction_editor.h"
#include "instructions/instruction_page_dialog.h"
#include "questionnaire/list_options_dialog.h"
#include "questionnaire/list_question_dialog.h"
#include "questionnaire/questionnaire_editor.h"
#include "questionnaire/radio_question_dialog.h"
#include "questionnaire/text_question_dialog.h"
#include "support/sample_items.h"
#include "task/between_block.h"
#include "task/block_feedback_dialog.h"
#include "task/next_block_dialog.h"
#include "task/report_dialog.h"
#include "task/score_table.h"
#include "task/task_window.h"
#include "task/tutorial.h"

namespace {

using Show = std::function<std::unique_ptr<QWidget>(QWidget* frame)>;

std::map<std::string, Show>& gallery()
{
    static std::map<std::string, Show> screens;
    return screens;
}

// Registers a screen under a name, from a file's static initialiser.
struct Entry {
    Entry(const char* name, Show show) { gallery()[name] = std::move(show); }
};

Entry instructionPage("instruction-page", [](QWidget* frame) {
    auto d = std::make_unique<InstructionPageDialog>(frame);
    d->setText(tutorialPages[0]);
    return d;
});

Entry nextBlock("next-block", [](QWidget* frame) {
    auto d = std::make_unique<NextBlockDialog>(frame);
    d->setTexts(nextBlockTexts(BlockInHalf::CombinedRecorded, {"Fruit", "Tools", "Mine", "Theirs"}));
    return d;
});

Entry feedback("block-feedback", [](QWidget* frame) {
    auto d = std::make_unique<BlockFeedbackDialog>(frame);
    d->setTexts(blockTimeText(17100), percentText(95.83));
    return d;
});

Entry report("report", [](QWidget* frame) {
    auto d = std::make_unique<ReportDialog>(frame);
    d->setReport(17, "1   Fruit+Mine  or  Tools+Theirs\n     Fruit+Theirs  or  Tools+Mine\n\n",
                 "685        11%        38\n702        5%        38\n\n");
    return d;
});

Entry subjectPage("subject-page", [](QWidget* frame) {
    return std::make_unique<SubjectPageDialog>(LocalDateTime{2026, 12, 7, 9, 30, 0}, frame);
});

Entry textQuestion("text-question", [](QWidget* frame) {
    auto d = std::make_unique<TextQuestionDialog>(frame);
    d->setPage("Please type the first name of a close friend of yours.\r\n\r\nOne word only.");
    return d;
});

Entry radioQuestion("radio-question", [](QWidget* frame) {
    auto d = std::make_unique<RadioQuestionDialog>(frame);
    d->setPage("Which of these two drinks do you like better?", "coffee", "tea");
    return d;
});

Entry listQuestion("list-question", [](QWidget* frame) {
    auto d = std::make_unique<ListQuestionDialog>(frame);
    d->setPage("Which of these cities have you lived in the longest?",
               {"Amsterdam", "Berlin", "Copenhagen", "Dublin", "Edinburgh", "Florence", "Geneva", "Hamburg",
                "Istanbul", "Jena", "Krakow", "Lisbon", "Madrid", "Naples", "Oslo", "Paris", "Quebec", "Rome"});
    return d;
});

Entry review("list-review", [](QWidget* frame) {
    const ItemTable items = sampleItemTable();
    static const ListReviewState state(items[0][0], 19, items[0][1], 19, wordingUnfamiliar);
    return std::make_unique<ListReviewDialog>(state, frame);
});

Entry inputFile("input-file", [](QWidget* frame) {
    return std::make_unique<InputFileDialog>(QStringLiteral("/home/lab/studies/colours/new-study.inp"), frame);
});

Entry sessionSettings("session-settings", [](QWidget* frame) {
    // Three list files in a directory of their own, shown as session 2.
    static const std::string directory = [] {
        char pattern[] = "/tmp/truv-gallery-XXXXXX";
        const std::string made = mkdtemp(pattern) ? pattern : "/tmp";
        const std::pair<const char*, const char*> labels[] = {
            {"Fruit", "Tools"}, {"Summer", "Winter"}, {"Flowers", "Insects"}};
        int n = 0;
        for (const auto& [a, b] : labels) {
            WordList list;
            list.entriesA[0].assign(a);
            list.entriesA[1].assign("one");
            list.entriesB[0].assign(b);
            list.entriesB[1].assign("two");
            list.entryCountA = list.entryCountB = 2;
            writeWordListFile(list, made + "/pairs" + std::to_string(++n) + ".wls");
        }
        return made;
    }();
    auto d = std::make_unique<SessionSettingsDialog>(directory, frame);
    d->prepare(2);
    return d;
});

Entry stimulusLists("stimulus-lists", [](QWidget* frame) {
    auto d = std::make_unique<StimulusListEditor>(frame);
    const auto fill = [&](int c, const char* label, std::initializer_list<const char*> items) {
        d->box({c, BoxRef::Label, 0})->setText(QString::fromUtf8(label));
        d->box({c, BoxRef::ItemCount, 0})->setText(QString::number(items.size()));
        int k = 0;
        for (const char* item : items)
            d->box({c, BoxRef::Item, ++k})->setText(QString::fromUtf8(item));
    };
    fill(0, "Planets", {"Mercury", "Venus", "Earth", "Mars", "Jupiter", "Saturn", "Uranus", "Neptune", "Pluto",
                        "Ceres", "Eris"});
    fill(1, "Metals", {"iron", "copper", "zinc", "tin", "lead", "nickel", "aluminium", "magnesium", "molybdenum",
                       "silver", "gold", "platinum", "titanium", "tungsten", "chromium", "cobalt", "manganese",
                       "vanadium"});
    d->box({0, BoxRef::ItemCount, 0})->setText(QStringLiteral("12"));
    // The message a refused save leaves on screen.
    d->action(StimulusListEditor::Command::Save)->trigger();
    return d;
});

Entry instructionEditor("instruction-editor", [](QWidget* frame) {
    // A study's instruction file, opened as the experimenter would open it.
    const QString path = QDir::tempPath() + QStringLiteral("/welcome.bgi");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("3\r\nWelcome, and thank you for taking part.\r\r\n\r\r\nIn this study you will sort words into "
                   "categories as quickly and as accurately as you can. The experimenter will tell you when to "
                   "begin.#\r\nPlease keep your fingers on the keys.#\r\nThank you!#\r\n");
    file.close();
    setInstructionPathSource([path](QWidget*, InstructionFileChoice, const QString&) { return path; });
    auto d = std::make_unique<InstructionEditorDialog>(frame);
    d->openDocument();
    setInstructionPathSource({});
    return d;
});

Entry questionnaireEditor("questionnaire-editor", [](QWidget* frame) {
    // A questionnaire opened from a file, shown at its radio page.
    const QString path = QDir::tempPath() + QStringLiteral("/own-words.qls");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("Mine#\r\nTheirs#\r\n3\r\n0\r\nThe next pages ask for words of your own.#\r\n1\r\n"
                   "1\r\nWhich of these two drinks do you like better?\r\r\n\r\r\nChoose one.#\r\n3\r\n"
                   "coffee#\r\ntea#\r\n2\r\n#\r\n5\r\nhomework#\r\n");
    file.close();
    setQuestionnairePathSource([path](QWidget*, QuestionnaireFileAction, const QString&) { return path; });
    auto d = std::make_unique<QuestionnaireEditorDialog>(frame);
    d->openDocument();
    d->flipForward();
    setQuestionnairePathSource({});
    return d;
});

Entry listOptions("list-options", [](QWidget* frame) {
    auto d = std::make_unique<ListOptionsDialog>(frame);
    d->setChoices({"Amsterdam", "Berlin", "Copenhagen", "Dublin", "Edinburgh", "Florence", "Geneva"});
    return d;
});

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc < 2 || !gallery().count(argv[1])) {
        std::fprintf(stderr, "usage: dialog_gallery NAME\nnames:");
        for (const auto& [name, show] : gallery())
            std::fprintf(stderr, " %s", name.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    MainFrame frame;
    frame.showFullScreen();
    std::unique_ptr<QWidget> screen = gallery()[argv[1]](&frame);
    screen->show();
    if (auto* dialog = qobject_cast<QDialog*>(screen.get()))
        QObject::connect(dialog, &QDialog::finished, &application, &QApplication::quit);
    return application.exec();
}
