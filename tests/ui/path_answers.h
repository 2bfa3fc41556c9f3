#pragma once
// Answers an editor's file dialogs in turn with the paths queued (a cancel queued, or
// nothing queued, cancels) and records what each dialog was asked.

#include <QString>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/ui/editor_shell_dialog.h"

class PathAnswers {
public:
    struct Question {
        EditorFileChoice choice;
        QString proposed;
        bool operator==(const Question&) const = default;
    };
    // Each path answers one dialog, in turn; an empty one cancels it. Strict: a dialog
    // with no answer queued is a test failure, not a cancel.
    explicit PathAnswers(const std::vector<QString>& paths = {}, bool strict = false) : strict_(strict)
    {
        for (const QString& path : paths)
            path.isEmpty() ? cancelNext() : next(path);
    }
    void next(const QString& path) { answers_.push_back(path); }
    void next(const std::string& path) { next(QString::fromStdString(path)); }
    void cancelNext() { answers_.push_back(std::nullopt); }

    EditorPathChooser chooser()
    {
        return [this](QWidget*, EditorFileChoice choice, const QString& proposed) {
            asked.push_back({choice, proposed});
            if (answers_.empty()) {
                if (strict_)
                    ADD_FAILURE() << "no path was expected";
                return std::optional<QString>();
            }
            const std::optional<QString> answer = answers_.front();
            answers_.pop_front();
            return answer;
        };
    }

    // What each dialog proposed, in turn.
    std::vector<QString> proposed() const
    {
        std::vector<QString> texts;
        for (const Question& question : asked)
            texts.push_back(question.proposed);
        return texts;
    }

    std::vector<Question> asked;

private:
    std::deque<std::optional<QString>> answers_;
    bool strict_;
};
