#include "questionnaire/ui/questionnaire_editor.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/text_codec.h"
#include "common/ui/warning_dialog.h"
#include "instructions/instruction_document.h"
#include "instructions/ui/instruction_page_dialog.h"
#include "instructions/ui/page_text_editor.h"
#include "questionnaire/field_text.h"
#include "questionnaire/ui/list_options_dialog.h"
#include "questionnaire/ui/list_question_dialog.h"
#include "questionnaire/ui/radio_question_dialog.h"
#include "questionnaire/ui/text_question_dialog.h"

namespace {

constexpr int entryChars = static_cast<int>(entryCapacity);

QString fromStdText(const std::string& text) { return QString::fromStdString(text); }

std::string singleByte(const QLineEdit* box)
{
    return entryFromBox(box->text().toStdString(), entryCapacity).value_or(std::string());
}

// Clears both buttons of an exclusive group, or selects one of them.
void selectRadio(QRadioButton* button, bool selected)
{
    if (button->isChecked() == selected)
        return;
    QButtonGroup* group = button->group();
    group->setExclusive(false);
    button->setChecked(selected);
    group->setExclusive(true);
}

}  // namespace

const EditorFileKind questionnaireFiles{
    "TRUV Idiosyncratic Items Questionnaire",
    "Questionnaire files",
    "qls",
    false,
    "The questionnaire could not be opened.",
    "The questionnaire was read with these problems:",
    "The questionnaire was not saved.",
};

const DialogTemplate& QuestionnaireEditorDialog::dialogTemplate()
{
    using K = ControlKind;
    static const DialogTemplate t{
        "TRUV Idiosyncratic Items Questionnaire",
        425,
        252,
        8,
        {
            {K::Static, FileNameId, "", {5, 9, 139, 11}, NoWrap},
            {K::Static, PageNumberId, "", {372, 43, 34, 9}, NoWrap},
            {K::Static, PageTotalId, "", {373, 59, 37, 9}, NoWrap},
            {K::GroupBox, CategoryFrameId, "Current Page Category:", {5, 23, 129, 45}},
            {K::RadioButton, Category1ButtonId, "", {46, 34, 10, 10}, GroupStart},
            {K::Edit, Category1LabelId, "", {59, 31, 71, 14}, StyleNone, entryChars},
            {K::RadioButton, Category2ButtonId, "", {45, 52, 10, 10}},
            {K::Edit, Category2LabelId, "", {59, 50, 71, 15}, StyleNone, entryChars},
            {K::Static, PageTextTitleId, "Current Page Instruction Text:", {146, 27, 150, 9}, NoWrap},
            {K::MultiLineEdit, PageTextId, "", {146, 37, 200, 134}, VerticalScroll},
            {K::GroupBox, TypeFrameId, "Current Page Type:", {5, 74, 129, 171}},
            {K::RadioButton, InstructionTypeId, "1.  Instruction only", {10, 86, 115, 10}, GroupStart},
            {K::RadioButton, TextTypeId, "2.  Text Response", {10, 99, 115, 10}},
            {K::RadioButton, RadioTypeId, "3.  Radio Choice:", {10, 111, 115, 10}},
            {K::Static, RadioItem1TitleId, "Radio item 1:", {34, 124, 75, 9}, NoWrap},
            {K::Edit, RadioItem1Id, "", {34, 134, 75, 13}, StyleNone, entryChars},
            {K::Static, RadioItem2TitleId, "Radio item 2:", {33, 149, 76, 9}, NoWrap},
            {K::Edit, RadioItem2Id, "", {33, 158, 76, 12}, StyleNone, entryChars},
            {K::RadioButton, ListTypeId, "4.  List of choices", {10, 173, 115, 10}},
            {K::PushButton, EditChoicesId, "Edit List of Choices", {36, 188, 71, 15}},
            {K::RadioButton, ExperimenterTypeId, "5.  Experimenter Provides Item:", {10, 209, 115, 10}},
            {K::Edit, ExperimenterItemId, "", {36, 223, 77, 14}, StyleNone, entryChars},
            {K::PushButton, FlipBackId, "<--Flip back", {160, 175, 86, 21}},
            {K::PushButton, FlipForwardId, "Flip Forward-->", {256, 175, 86, 21}},
            {K::PushButton, MoveFrontId, "<--move page", {186, 204, 60, 19}},
            {K::PushButton, MoveBackId, "move page-->", {256, 204, 60, 19}},
            {K::PushButton, AddPageId, "Add Page", {184, 226, 62, 19}},
            {K::PushButton, RemovePageId, "Remove Page", {256, 226, 60, 19}},
            {K::PushButton, SaveId, "Save", {358, 182, 59, 28}},
            {K::PushButton, ExitId, "EXIT", {358, 217, 59, 28}},
            {K::PushButton, PreviewId, "Preview Current Page", {340, 3, 77, 26}},
            {K::GroupBox, TextCommandsFrameId, "Text commands", {353, 79, 64, 87}},
            {K::Static,
             TextCommandsId,
             "copy....ctrl-c\ndelete...ctrl-x\npaste...ctrl-v\nreturn...ctrl-enter",
             {357, 91, 58, 70}},
            {K::Static, MessageId, "", {146, 15, 190, 9}, NoWrap},
        }};
    return t;
}

QuestionnaireEditorDialog::QuestionnaireEditorDialog(QWidget* parent)
    : PageEditorDialog(dialogTemplate(), questionnaireFiles,
                       {QStringLiteral("There is no room for another page: a questionnaire holds at most %1 pages.")
                            .arg(maxQuestionnairePages),
                        QStringLiteral("This is the only page: it cannot be removed.")},
                       parent)
{
    for (int id : {Category1LabelId, Category2LabelId, RadioItem1Id, RadioItem2Id, ExperimenterItemId})
        EntryValidator::attachTo(control<QLineEdit>(id));

    pageText_ = new PageTextEditor(
        control<QPlainTextEdit>(PageTextId), control<QLabel>(MessageId), [this] { exitEditor(); },
        [this] { markEdited(); });

    connectPageButtons({FlipBackId, FlipForwardId, MoveFrontId, MoveBackId, AddPageId, RemovePageId, SaveId, ExitId,
                        PreviewId});
    connectButtons({{EditChoicesId, [this] { editChoices(); }}});

    showDocument();
}

QuestionnaireForm QuestionnaireEditorDialog::form() const
{
    QuestionnaireForm f;
    f.fileName = editing_.document().fileName;
    f.category1Label = singleByte(control<QLineEdit>(Category1LabelId));
    f.category2Label = singleByte(control<QLineEdit>(Category2LabelId));
    f.category = control<QRadioButton>(Category1ButtonId)->isChecked()   ? 1
                 : control<QRadioButton>(Category2ButtonId)->isChecked() ? 2
                                                                         : 0;
    const int typeIds[] = {InstructionTypeId, TextTypeId, RadioTypeId, ListTypeId, ExperimenterTypeId};
    for (int i = 0; i < 5; ++i) {
        if (control<QRadioButton>(typeIds[i])->isChecked())
            f.type = i + 1;
    }
    f.pageText = pageText_->pageText();
    f.radioItems = {singleByte(control<QLineEdit>(RadioItem1Id)), singleByte(control<QLineEdit>(RadioItem2Id))};
    f.experimenterItem = singleByte(control<QLineEdit>(ExperimenterItemId));
    f.pageIndex = editing_.pages().current();
    f.pageCount = editing_.pages().count();
    return f;
}

void QuestionnaireEditorDialog::showForm(const QuestionnaireForm& f)
{
    showPath(FileNameId, f.fileName);
    control<QLineEdit>(Category1LabelId)->setText(fromSingleByte(f.category1Label));
    control<QLineEdit>(Category2LabelId)->setText(fromSingleByte(f.category2Label));
    control<QLineEdit>(RadioItem1Id)->setText(fromSingleByte(f.radioItems[0]));
    control<QLineEdit>(RadioItem2Id)->setText(fromSingleByte(f.radioItems[1]));
    control<QLineEdit>(ExperimenterItemId)->setText(fromSingleByte(f.experimenterItem));
    pageText_->show(f.pageText);
    setControlText(PageNumberId, fromStdText(pageNumberText(f.pageIndex)));
    setControlText(PageTotalId, fromStdText(pageTotalText(f.pageCount)));
    selectRadio(control<QRadioButton>(Category1ButtonId), f.category == 1);
    selectRadio(control<QRadioButton>(Category2ButtonId), f.category == 2);
    const int typeIds[] = {InstructionTypeId, TextTypeId, RadioTypeId, ListTypeId, ExperimenterTypeId};
    for (int i = 0; i < 5; ++i)
        selectRadio(control<QRadioButton>(typeIds[i]), f.type == i + 1);
}

EditorShellDialog::OpenOutcome QuestionnaireEditorDialog::openFile(const std::string& path)
{
    OpenedQuestionnaire opened = readQuestionnaireForEditing(path);
    if (!opened.opened)
        return {false, std::move(opened.error), {}};
    editing_.replace(opened.document);
    return {true, {}, opened.document.problems};
}

WriteOutcome QuestionnaireEditorDialog::writeFile(const std::string& path)
{
    if (editing_.needsItemCountWarning())
        WarningDialog::ask(QString::fromUtf8(itemCountWarning), this);
    WriteOutcome outcome = writeQuestionnaireFile(editing_.document(), path);
    if (outcome)
        editing_.setFileName(path);
    return outcome;
}


void QuestionnaireEditorDialog::editChoices()
{
    ListOptionsDialog dialog(this);
    const ChoiceBoxes before = editing_.choiceBoxes();
    dialog.setChoices(before);
    if (dialog.exec() == QDialog::Accepted) {
        if (dialog.choices() != before)
            markEdited();
        editing_.applyChoiceBoxes(dialog.choices());
    }
}

void QuestionnaireEditorDialog::preview()
{
    storeDocument();
    const QuestionnairePage& page = editing_.pages().currentPage();
    switch (page.type) {
    case PageType::TextResponse: {
        TextQuestionDialog dialog(this);
        dialog.setPage(page.text.view());
        dialog.exec();
        break;
    }
    case PageType::RadioChoice: {
        RadioQuestionDialog dialog(this);
        dialog.setPage(page.text.view(), page.radioItems[0].view(), page.radioItems[1].view());
        dialog.exec();
        break;
    }
    case PageType::ListOfChoices: {
        ListQuestionDialog dialog(this);
        dialog.setPage(page.text.view(), listedChoices(page));
        dialog.exec();
        break;
    }
    case PageType::ExperimenterItem:
        InstructionPageDialog::showText(experimenterItemPreview, this);
        break;
    default:
        InstructionPageDialog::showText(page.text.view(), this);
        break;
    }
    showDocument();
}

void editQuestionnaireFromMenu(QWidget* parent)
{
    QuestionnaireEditorDialog editor(parent);
    editor.exec();
}
