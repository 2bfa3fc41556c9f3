#pragma once
// Every screen of a run answered from a script, each recorded as one line of text.
// Blocks run through a real BlockEngine on a stepping clock; the participant answers
// every word correctly unless the script cuts the block short with the skip key.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "run/run_screens.h"
#include "task/engine_fakes.h"

class ScriptedRunScreens : public RunScreens,
                           public PageScreens,
                           public QuestionnaireScreens,
                           public ReviewScreens,
                           public TutorialBlocks {
public:
    std::vector<std::string> log;

    // --- the script ---
    std::optional<SubjectRecord> subject;              // nothing: the page is cancelled
    std::deque<std::optional<std::string>> exitCodes;  // nothing: Escape
    std::map<int, int> cutBlocks;                      // block ordinal (1, 2, ...) -> answers before Alt+K
    std::deque<TextReply> textReplies;
    std::deque<RadioReply> radioReplies;
    std::deque<ListReply> listReplies;
    // Edits a review and returns true for OK; without it a review is closed with Escape.
    std::function<bool(ListReviewState&)> reviewEdit;
    std::function<void()> afterFeedback;
    // The experimenter at the screen that stops a run whose lines no file takes:
    // called before each choice (to make room, say); without choices left, ends the run.
    std::function<void()> beforeTroubleChoice;
    std::deque<OutputTrouble> troubleChoices;
    std::deque<std::optional<std::string>> heldLinesFiles;  // nothing: the save dialog is cancelled
    std::deque<bool> giveUpAnswers;                         // none left: gives up

    int blocksRun = 0;

    std::optional<SubjectRecord> askSubject(const LocalDateTime&) override
    {
        log.push_back("subject page");
        return subject;
    }
    void showFileError(std::string_view message, std::string_view detail) override
    {
        log.push_back("file error: " + std::string(message) + " | " + std::string(detail));
    }
    PageScreens& pages() override { return *this; }
    QuestionnaireScreens& questions() override { return *this; }
    ReviewScreens& review() override { return *this; }
    TutorialBlocks& tutorial() override { return *this; }

    void showPage(std::string_view text) override { log.push_back("page: " + std::string(text)); }

    TextReply askText(std::string_view question) override { return next("text", question, textReplies); }
    RadioReply askRadio(std::string_view question, std::string_view, std::string_view) override
    {
        return next("radio", question, radioReplies);
    }
    ListReply askList(std::string_view question, const std::vector<std::string>&) override
    {
        return next("list", question, listReplies);
    }
    void showWarning(std::string_view message) override { log.push_back("warning: " + std::string(message)); }

    std::optional<std::pair<Entries, Entries>> reviewLists(const ListReviewState& state) override
    {
        const bool unfamiliar = state.instruction().find("seem unfamiliar") != std::string::npos;
        log.push_back("review: " + std::string(state.label(0)) + " " + std::to_string(state.wordCount(0)) + " | " +
                      std::string(state.label(1)) + " " + std::to_string(state.wordCount(1)) +
                      (unfamiliar ? " (unfamiliar)" : " (misspelled)"));
        ListReviewState edited = state;
        if (!reviewEdit || !reviewEdit(edited))
            return std::nullopt;
        return std::make_pair(edited.entries(0), edited.entries(1));
    }

    BlockEnd runTutorialPart(int part, const BlockSettings&) override
    {
        log.push_back("tutorial part " + std::to_string(part));
        return BlockEnd::Completed;
    }

    void showNextBlock(const NextBlockTexts& t) override
    {
        std::string line = "next block: " + t.firstLeft + " or " + t.firstRight;
        if (!t.connector.empty())
            line += " " + t.connector + " " + t.secondLeft + " " + t.lowerConnector + " " + t.secondRight;
        log.push_back(line + ", " + t.status);
    }

    BlockRun runBlock(const BlockSettings& settings, TrialResults& results) override
    {
        ++blocksRun;
        log.push_back("block " + std::to_string(static_cast<int>(settings.type)) + ": " + settings.labels[0] + " " +
                      settings.labels[1] + " | " + settings.labels[2] + " " + settings.labels[3] + ", " +
                      std::to_string(settings.trials) + " trials");
        const auto cut = cutBlocks.find(blocksRun);
        return conductBlock(engine_, settings, &results, [&] {
            engine_.key(TaskCommand::StartBlock);
            int answered = 0;
            while (engine_.state() != BlockEngine::State::Closed) {
                if (cut != cutBlocks.end() && answered == cut->second) {
                    engine_.key(TaskCommand::SkipBlock);
                    break;
                }
                clock_.advanceMilliseconds(400 + 10 * (engine_.trialsPresented() - 1));
                engine_.key(engine_.correctSideIsLeft() ? TaskCommand::LeftResponse : TaskCommand::RightResponse);
                ++answered;
            }
        });
    }

    void showBlockFeedback(std::string_view timeText, std::string_view percent) override
    {
        log.push_back("feedback: " + std::string(timeText) + " s, " + std::string(percent) + "%");
        if (afterFeedback)
            afterFeedback();
    }

    std::optional<std::string> askExitCode() override
    {
        if (exitCodes.empty()) {
            ADD_FAILURE() << "the exit code screen was shown more often than scripted";
            return std::string(endCode);
        }
        std::optional<std::string> code = exitCodes.front();
        exitCodes.pop_front();
        log.push_back("exit code: " + code.value_or("<Escape>"));
        return code;
    }

    OutputTrouble askOutputTrouble(std::string_view message) override
    {
        log.push_back("output trouble: " + std::string(message));
        if (beforeTroubleChoice)
            beforeTroubleChoice();
        if (troubleChoices.empty())
            return OutputTrouble::EndRun;
        const OutputTrouble choice = troubleChoices.front();
        troubleChoices.pop_front();
        return choice;
    }
    std::optional<std::string> askHeldLinesFile(std::string_view message, std::string_view proposedName) override
    {
        log.push_back("save held lines (" + std::string(proposedName) + "): " + std::string(message));
        if (heldLinesFiles.empty())
            return std::nullopt;
        std::optional<std::string> path = heldLinesFiles.front();
        heldLinesFiles.pop_front();
        return path;
    }
    bool confirmHeldLinesLost(std::string_view message) override
    {
        log.push_back("give up held lines: " + std::string(message));
        if (giveUpAnswers.empty())
            return true;
        const bool giveUp = giveUpAnswers.front();
        giveUpAnswers.pop_front();
        return giveUp;
    }

    void showReport(int subjectNumber, const ScoreTable& scores) override
    {
        log.push_back("report: " + std::to_string(subjectNumber) + "\n" + scores.leftColumnText());
    }
    void showWriteFailure(std::string_view message) override
    {
        log.push_back("write failure: " + std::string(message));
    }

    // The lines that start with prefix, in order.
    std::vector<std::string> linesStartingWith(const std::string& prefix) const
    {
        std::vector<std::string> lines;
        for (const std::string& line : log)
            if (line.rfind(prefix, 0) == 0)
                lines.push_back(line);
        return lines;
    }

private:
    template <typename Reply>
    Reply next(const char* kind, std::string_view question, std::deque<Reply>& script)
    {
        log.push_back(std::string(kind) + ": " + std::string(question.substr(0, 40)));
        if (script.empty())
            return Reply{};
        Reply reply = script.front();
        script.pop_front();
        return reply;
    }

    RecordingView view_;
    SteppingClock clock_;
    HeadlessPointer pointer_{{1280, 1024}};
    ScriptedRandom random_{{5, 12, 3, 8, 1, 17, 9}};
    FixedCalendar calendar_;
    BlockEngine engine_{view_, clock_, pointer_, random_, calendar_};
};
