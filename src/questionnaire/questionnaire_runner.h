#pragma once
// The questionnaire runner: asks a questionnaire's questions and turns the answers,
// behind the items the experimenter wrote into the file, into the two category
// lists of a category pair. It writes nothing to disk.

#include <string>

#include "files/word_list.h"
#include "files/word_list_review.h"
#include "instructions/page_screens.h"
#include "questionnaire/questionnaire_file.h"
#include "questionnaire/questionnaire_screens.h"

inline constexpr const char* unusableQuestionnaireMessage =
    "Cannot use *.qls file: there's a minimum 4 and maximum 18 items in each category";

// What one questionnaire gives the run. The run passes the same record to every
// questionnaire it runs, so the practice flags carry over from one to the next;
// it clears them at its start.
struct QuestionnaireResult {
    bool usable = false;  // the file passed the item count rule and was run
    int entryCount1 = 0;  // entries of list 1 after the review, the label included
    int entryCount2 = 0;
    Entries entries1;  // entry 0 the category 1 label, entries 1 to 18 the items
    Entries entries2;  // the same for category 2

    // Each practice page is shown at most once in a run.
    bool textPracticeShown = false;
    bool radioPracticeShown = false;
    bool listPracticeShown = false;
};

class QuestionnaireRunner {
public:
    // questions shows the question pages and the warning, pages the instruction-only
    // pages, review the participant's review of the two lists.
    QuestionnaireRunner(QuestionnaireScreens& questions, PageScreens& pages, ReviewScreens& review);

    // Reads the questionnaire file at path and runs it. A file that cannot be read,
    // that has problems or that fails the item count rule is refused with the
    // warning, before any page is shown: usable false and both counts 0.
    void runFile(const std::string& path, QuestionnaireResult& result);
    // Runs a questionnaire already read.
    void run(const QuestionnaireDocument& document, QuestionnaireResult& result);

private:
    struct Lists;

    void offerPractice(const QuestionnaireDocument& document, QuestionnaireResult& result);
    // One page of the run, by its type; a reply that counts joins the lists.
    void askPage(const QuestionnairePage& page, Lists& lists);
    void askText(const QuestionnairePage& page, Lists& lists);
    void askRadio(const QuestionnairePage& page, Lists& lists);
    void askList(const QuestionnairePage& page, Lists& lists);
    // The participant's review of the two lists, into result.
    void review(Lists& lists, QuestionnaireResult& result);

    QuestionnaireScreens& questions_;
    PageScreens& pages_;
    ReviewScreens& review_;
};
