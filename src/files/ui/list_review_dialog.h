#pragma once
// The participant's review of a category pair: the instructions on the left, both
// lists side by side on the right with their word counts. A double-click empties a
// line while its list holds more than five words. OK keeps the deletions; Escape
// and the close box drop them.

#include <optional>
#include <utility>

#include "common/ui/template_dialog.h"
#include "files/word_list_review.h"

class QListWidget;
class QListWidgetItem;

class ListReviewDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId {
        InstructionId = 1,
        LabelAId,
        LabelBId,
        ListAId,
        ListBId,
        CountCaptionId,
        CountAId,
        CountBId,
        OkId,
    };

    explicit ListReviewDialog(const ListReviewState& state, QWidget* parent = nullptr);

    const ListReviewState& state() const { return state_; }
    QListWidget* listBox(int list) const;

    // Runs the dialog modally: the edited entries of both lists after OK, nothing
    // after Escape.
    std::optional<std::pair<Entries, Entries>> review();

    static const DialogTemplate& dialogTemplate();

private:
    void removeLine(int list, QListWidgetItem* item);
    void showCount(int list);

    ListReviewState state_;
};
