// Shows one of the program's screens with sample content over the grey main frame,
// for the screenshots in docs/screenshots/:  dialog_gallery NAME
// It stays open until the screen is closed.
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/application_window.h"
#include "app/subject_page_dialog.h"
#include "files/list_review_dialog.h"
#include "instructions/instruction_page_dialog.h"
#include "questionnaire/list_question_dialog.h"
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
