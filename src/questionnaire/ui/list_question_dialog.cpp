#include "questionnaire/ui/list_question_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "instructions/instruction_pages.h"

namespace {

// Entries stand in columns of this many rows, so the largest list, 18 choices,
// fills three columns that the box shows side by side.
constexpr int rowsPerColumn = 6;
constexpr int visibleColumns = 3;

}  // namespace

const DialogTemplate& ListQuestionDialog::dialogTemplate()
{
    static const DialogTemplate t{
        "",
        284,
        171,
        8,
        {
            {ControlKind::GroupBox, FrameId, "", {7, 13, 266, 149}},
            {ControlKind::Static, QuestionId, "", {13, 20, 256, 69}},
            {ControlKind::ListBox, ListId, "", {29, 92, 225, 49}, MultiColumn | VerticalScroll},
            {ControlKind::CheckBox, NoAnswerId, "no answer", {222, 141, 48, 10}},
            {ControlKind::Static, MessageId, "", {7, 154, 263, 8}, AlignCenter | NoWrap},
            {ControlKind::DefaultButton, OkId, "OK", {220, 0, 50, 14}},
        }};
    return t;
}

ListQuestionDialog::ListQuestionDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    auto* list = control<QListWidget>(ListId);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A column wraps before a row that would reach the last pixel of the box, so
    // six rows share one pixel less than its height; the rows may be a pixel lower
    // than the font's line, which its glyphs do not fill.
    const QSize area = list->contentsRect().size();
    list->setGridSize(QSize(area.width() / visibleColumns, (area.height() - 1) / rowsPerColumn));
    list->setUniformItemSizes(true);
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &ListQuestionDialog::confirm);
}

void ListQuestionDialog::setPage(std::string_view question, const std::vector<std::string>& choices)
{
    setControlText(QuestionId, fromSingleByte(pageDisplayText(question)));
    auto* list = control<QListWidget>(ListId);
    list->clear();
    for (const std::string& choice : choices)
        list->addItem(fromSingleByte(choice));
    list->clearSelection();
    list->setCurrentRow(-1);
    control<QCheckBox>(NoAnswerId)->setChecked(false);
    setControlText(MessageId, QString());
    setResult(QDialog::Rejected);
    list->setFocus();
}

int ListQuestionDialog::selection() const
{
    const auto* list = control<QListWidget>(ListId);
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

ListReply ListQuestionDialog::reply() const
{
    return {result() == QDialog::Accepted, control<QCheckBox>(NoAnswerId)->isChecked(), selection()};
}

ListReply ListQuestionDialog::ask(std::string_view question, const std::vector<std::string>& choices)
{
    setPage(question, choices);
    exec();
    return reply();
}

QString ListQuestionDialog::message() const { return control<QLabel>(MessageId)->text(); }

void ListQuestionDialog::confirm()
{
    if (const auto refusal = checkListReply(selection(), control<QCheckBox>(NoAnswerId)->isChecked()))
        setControlText(MessageId, QString::fromStdString(*refusal));
    else
        accept();
}
