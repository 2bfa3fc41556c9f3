#include "files/ui/list_review_dialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <string>

const DialogTemplate& ListReviewDialog::dialogTemplate()
{
    static const DialogTemplate t{
        "",
        330,
        210,
        10,
        {
            {ControlKind::Static, InstructionId, "", {8, 8, 140, 170}},
            {ControlKind::Static, LabelAId, "", {158, 8, 78, 9}, AlignCenter | NoWrap},
            {ControlKind::Static, LabelBId, "", {244, 8, 78, 9}, AlignCenter | NoWrap},
            // Tall enough to show all 18 lines without scrolling.
            {ControlKind::ListBox, ListAId, "", {158, 19, 78, 160}, VerticalScroll},
            {ControlKind::ListBox, ListBId, "", {244, 19, 78, 160}, VerticalScroll},
            {ControlKind::Static, CountCaptionId, "number of words in list:", {158, 182, 164, 9}, AlignCenter | NoWrap},
            {ControlKind::Static, CountAId, "", {158, 193, 78, 9}, AlignCenter | NoWrap},
            {ControlKind::Static, CountBId, "", {244, 193, 78, 9}, AlignCenter | NoWrap},
            {ControlKind::DefaultButton, OkId, "OK", {53, 186, 50, 16}},
        }};
    return t;
}

ListReviewDialog::ListReviewDialog(const ListReviewState& state, QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent), state_(state)
{
    setControlText(InstructionId, fromSingleByte(state_.instruction()));
    const int labelIds[] = {LabelAId, LabelBId};
    for (int list = 0; list < 2; ++list) {
        setControlText(labelIds[list], fromSingleByte(state_.label(list)));
        QListWidget* box = listBox(list);
        // Line n shows item entry n + 1, empty or not, so lines and entries match.
        const Entries& entries = state_.entries(list);
        for (int entry = 1; entry < maxEntries; ++entry)
            box->addItem(fromSingleByte(entries[entry].view()));
        connect(box, &QListWidget::itemDoubleClicked, this,
                [this, list](QListWidgetItem* item) { removeLine(list, item); });
        showCount(list);
    }
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &QDialog::accept);
    control(OkId)->setFocus();
}

QListWidget* ListReviewDialog::listBox(int list) const { return control<QListWidget>(list == 0 ? ListAId : ListBId); }

std::optional<std::pair<Entries, Entries>> ListReviewDialog::review()
{
    if (runModal() != QDialog::Accepted)
        return std::nullopt;
    return std::pair{state_.entries(0), state_.entries(1)};
}

void ListReviewDialog::removeLine(int list, QListWidgetItem* item)
{
    if (item == nullptr || !state_.removeLine(list, listBox(list)->row(item)))
        return;
    item->setText(QString());
    showCount(list);
}

void ListReviewDialog::showCount(int list)
{
    setControlText(list == 0 ? CountAId : CountBId, QString::number(state_.wordCount(list)));
}
