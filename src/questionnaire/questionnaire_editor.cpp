#include "common/editor_file_dialog.h"
#include "questionnaire/questionnaire_editor.h"

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "instructions/instruction_document.h"
#include "instructions/instruction_page_dialog.h"
#include "questionnaire/field_text.h"
#include "questionnaire/list_options_dialog.h"
#include "questionnaire/list_question_dialog.h"
#include "questionnaire/radio_question_dialog.h"
#include "questionnaire/text_question_dialog.h"
#include "common/text_codec.h"
#include "common/warning_dialog.h"

namespace {

const QString caption = QStringLiteral("TRUV Idiosyncratic Items Questionnaire");
constexpr int entryChars = static_cast<int>(entryCapacity);

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

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

QuestionnairePathSource& pathSource()
{
    static QuestionnairePathSource source;
    return source;
}

std::optional<QString> choosePath(QWidget* parent, QuestionnaireFileAction action, const QString& proposed)
{
    const QuestionnairePathSource& source = pathSource();
    return source ? source(parent, action, proposed) : askQuestionnairePath(parent, action, proposed);
}

}  // namespace

std::optional<QString> askQuestionnairePath(QWidget* parent, QuestionnaireFileAction action, const QString& proposed)
{
    return askEditorFilePath(parent, action != QuestionnaireFileAction::Save, QStringLiteral("Questionnaire files"),
                             QStringLiteral("qls"), proposed);
}

void setQuestionnairePathSource(QuestionnairePathSource source) { pathSource() = std::move(source); }

const DialogTemplate& QuestionnaireEditorDialog::layout()
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
        }};
    return t;
}

QuestionnaireEditorDialog::QuestionnaireEditorDialog(QWidget* parent) : TemplateDialog(layout(), parent)
{
    // The menu bar stands above the dialog's own area, as a window's menu does.
    menuBar_ = new QMenuBar(this);
    QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
    connect(file->addAction(QStringLiteral("&New")), &QAction::triggered, this, [this] { newDocument(); });
    connect(file->addAction(QStringLiteral("&Open")), &QAction::triggered, this, [this] { openDocument(); });
    connect(file->addAction(QStringLiteral("&Save")), &QAction::triggered, this, [this] { save(); });
    connect(file->addAction(QStringLiteral("Save &As")), &QAction::triggered, this, [this] { saveAs(); });
    connect(file->addAction(QStringLiteral("&Exit")), &QAction::triggered, this, [this] { exitEditor(); });
    const int barHeight = menuBar_->sizeHint().height();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child != menuBar_)
            child->move(child->x(), child->y() + barHeight);
    }
    setFixedSize(width(), height() + barHeight);
    menuBar_->setGeometry(0, 0, width(), barHeight);

    for (int id : {Category1LabelId, Category2LabelId, RadioItem1Id, RadioItem2Id, ExperimenterItemId})
        EntryValidator::attachTo(control<QLineEdit>(id));

    pageText_ = control<QPlainTextEdit>(PageTextId);
    pageText_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    pageText_->installEventFilter(this);
    connect(pageText_->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int) { changePosition_ = position; });
    connect(pageText_, &QPlainTextEdit::textChanged, this, &QuestionnaireEditorDialog::keepPageTextClean);

    // No button is the default: Enter is "EXIT" wherever it is pressed.
    const std::pair<int, void (QuestionnaireEditorDialog::*)()> commands[] = {
        {EditChoicesId, &QuestionnaireEditorDialog::editChoices},
        {FlipBackId, &QuestionnaireEditorDialog::flipBack},
        {FlipForwardId, &QuestionnaireEditorDialog::flipForward},
        {MoveFrontId, &QuestionnaireEditorDialog::moveTowardsFront},
        {MoveBackId, &QuestionnaireEditorDialog::moveTowardsBack},
        {AddPageId, &QuestionnaireEditorDialog::addPage},
        {RemovePageId, &QuestionnaireEditorDialog::removePage},
        {SaveId, &QuestionnaireEditorDialog::save},
        {ExitId, &QuestionnaireEditorDialog::exitEditor},
        {PreviewId, &QuestionnaireEditorDialog::preview},
    };
    for (const auto& [id, command] : commands) {
        auto* button = control<QPushButton>(id);
        button->setAutoDefault(false);
        button->setDefault(false);
        connect(button, &QPushButton::clicked, this, command);
    }

    showPage();
}

int QuestionnaireEditorDialog::menuBarHeight() const { return menuBar_->height(); }

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
    f.pageText = pageTextFromBox(pageText_->toPlainText().toStdString()).value_or(std::string());
    if (f.pageText.empty() && !pageText_->toPlainText().isEmpty()) {
        // A text that came over the limit and is being shortened: keep what fits.
        f.pageText =
            utf8ToWindows1252(pageText_->toPlainText().replace(QChar('\n'), QStringLiteral("\r\n")).toStdString())
                .value_or(std::string());
    }
    f.radioItems = {singleByte(control<QLineEdit>(RadioItem1Id)), singleByte(control<QLineEdit>(RadioItem2Id))};
    f.experimenterItem = singleByte(control<QLineEdit>(ExperimenterItemId));
    f.pageIndex = editing_.pages().current();
    f.pageCount = editing_.pages().count();
    return f;
}

void QuestionnaireEditorDialog::showForm(const QuestionnaireForm& f)
{
    setControlText(FileNameId, QString::fromLocal8Bit(f.fileName));  // a path, in the system's encoding
    control<QLineEdit>(Category1LabelId)->setText(fromSingleByte(f.category1Label));
    control<QLineEdit>(Category2LabelId)->setText(fromSingleByte(f.category2Label));
    control<QLineEdit>(RadioItem1Id)->setText(fromSingleByte(f.radioItems[0]));
    control<QLineEdit>(RadioItem2Id)->setText(fromSingleByte(f.radioItems[1]));
    control<QLineEdit>(ExperimenterItemId)->setText(fromSingleByte(f.experimenterItem));
    settingPageText_ = true;
    acceptedPageText_ = fromUtf8(pageTextForBox(f.pageText));
    pageText_->setPlainText(acceptedPageText_);
    settingPageText_ = false;
    setControlText(PageNumberId, fromUtf8(pageNumberText(f.pageIndex)));
    setControlText(PageTotalId, fromUtf8(pageTotalText(f.pageCount)));
    selectRadio(control<QRadioButton>(Category1ButtonId), f.category == 1);
    selectRadio(control<QRadioButton>(Category2ButtonId), f.category == 2);
    const int typeIds[] = {InstructionTypeId, TextTypeId, RadioTypeId, ListTypeId, ExperimenterTypeId};
    for (int i = 0; i < 5; ++i)
        selectRadio(control<QRadioButton>(typeIds[i]), f.type == i + 1);
}

// A page without category 1 or 2 (a new document's blank page, too) leaves the
// category buttons as they were.
void QuestionnaireEditorDialog::showPage() { showForm(editing_.show(form())); }

void QuestionnaireEditorDialog::storePage() { editing_.store(form()); }

// The page text box has no validator: an edit that leaves a character without a
// single-byte form, a "#" or more than 999 characters is undone as it is made.
void QuestionnaireEditorDialog::keepPageTextClean()
{
    if (settingPageText_)
        return;
    const QString now = pageText_->toPlainText();
    if (pageTextEditAllowed(acceptedPageText_.toStdString(), now.toStdString())) {
        acceptedPageText_ = now;
        return;
    }
    // Setting the text reports a change of its own: take the refused one's place first.
    const int position = std::min(changePosition_, static_cast<int>(acceptedPageText_.size()));
    const QSignalBlocker blocker(pageText_);
    settingPageText_ = true;
    pageText_->setPlainText(acceptedPageText_);
    settingPageText_ = false;
    QTextCursor cursor = pageText_->textCursor();
    cursor.setPosition(position);
    pageText_->setTextCursor(cursor);
}

bool QuestionnaireEditorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pageText_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ControlModifier)
                pageText_->insertPlainText(QStringLiteral("\n"));
            else
                exitEditor();
            return true;
        }
    }
    return TemplateDialog::eventFilter(watched, event);
}

void QuestionnaireEditorDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        exitEditor();
        return;
    }
    TemplateDialog::keyPressEvent(event);
}

void QuestionnaireEditorDialog::tell(const QString& message) { QMessageBox::warning(this, caption, message); }

bool QuestionnaireEditorDialog::askOverwrite()
{
    if (!editing_.pages().needsOverwriteWarning())
        return true;
    return WarningDialog::ask(QString::fromUtf8(overwriteWarning), this) == WarningDialog::Continue;
}

void QuestionnaireEditorDialog::newDocument()
{
    if (!askOverwrite())
        return;
    editing_.clear();
    showPage();
    editing_.pages().newOrOpenDone();
}

void QuestionnaireEditorDialog::openDocument()
{
    if (!askOverwrite())
        return;
    // What is on screen stays if no file is chosen or the file cannot be read.
    storePage();
    if (const std::optional<QString> path = choosePath(this, QuestionnaireFileAction::Open, QString())) {
        const OpenedQuestionnaire opened = readQuestionnaireForEditing(QFile::encodeName(*path).toStdString());
        if (!opened.opened) {
            showPage();
            tell(QStringLiteral("The questionnaire could not be opened.\n\n") + QString::fromLocal8Bit(opened.error));
        } else {
            editing_.replace(opened.document);
            showPage();
            if (!opened.document.problems.empty()) {
                QString problems;
                for (const std::string& problem : opened.document.problems)
                    problems += QStringLiteral("\n") + QString::fromLocal8Bit(problem);
                tell(QStringLiteral("The questionnaire was read with these problems:\n") + problems);
            }
        }
    } else {
        showPage();
    }
    editing_.pages().newOrOpenDone();
}

void QuestionnaireEditorDialog::save() { saveWithName(QString::fromLocal8Bit(editing_.document().fileName)); }

void QuestionnaireEditorDialog::saveAs() { saveWithName(QString()); }

void QuestionnaireEditorDialog::saveWithName(const QString& proposed)
{
    storePage();
    const std::optional<QString> path = choosePath(this, QuestionnaireFileAction::Save, proposed);
    if (path) {
        // Advisory only: the file is written whichever button is pressed.
        if (editing_.needsItemCountWarning())
            WarningDialog::ask(QString::fromUtf8(itemCountWarning), this);
        const std::string target = QFile::encodeName(*path).toStdString();
        const WriteOutcome outcome = writeQuestionnaireFile(editing_.document(), target);
        if (outcome)
            editing_.setFileName(target);
        else
            tell(QStringLiteral("The questionnaire was not saved.\n\n") + QString::fromLocal8Bit(outcome.error));
    }
    showPage();
}

void QuestionnaireEditorDialog::flipBack()
{
    storePage();
    editing_.pages().flipBack();
    showPage();
}

void QuestionnaireEditorDialog::flipForward()
{
    storePage();
    editing_.pages().flipForward();
    showPage();
}

void QuestionnaireEditorDialog::moveTowardsFront()
{
    if (editing_.pages().current() == 0)
        return;
    storePage();
    editing_.pages().moveTowardsFront();
    showPage();
}

void QuestionnaireEditorDialog::moveTowardsBack()
{
    if (editing_.pages().current() >= editing_.pages().count() - 1)
        return;
    storePage();
    editing_.pages().moveTowardsBack();
    showPage();
}

void QuestionnaireEditorDialog::addPage()
{
    storePage();
    if (!editing_.pages().addPage())
        tell(QStringLiteral("There is no room for another page: a questionnaire holds at most %1 pages.")
                 .arg(maxQuestionnairePages));
    showPage();
}

void QuestionnaireEditorDialog::removePage()
{
    storePage();
    if (!editing_.pages().canRemove()) {
        tell(QStringLiteral("This is the only page: it cannot be removed."));
        showPage();
        return;
    }
    const bool confirmed = WarningDialog::ask(QString::fromUtf8(removePageQuestion), this) == WarningDialog::Continue;
    editing_.pages().removeCurrent(confirmed);
    showPage();
}

void QuestionnaireEditorDialog::editChoices()
{
    ListOptionsDialog dialog(this);
    dialog.setChoices(editing_.choiceBoxes());
    if (dialog.exec() == QDialog::Accepted)
        editing_.applyChoiceBoxes(dialog.choices());
}

void QuestionnaireEditorDialog::preview()
{
    storePage();
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
    showPage();
}

void QuestionnaireEditorDialog::exitEditor()
{
    if (WarningDialog::ask(QString::fromUtf8(exitWarning), this) == WarningDialog::Continue)
        accept();
}

void editQuestionnaireFromMenu(QWidget* parent)
{
    QuestionnaireEditorDialog editor(parent);
    editor.exec();
}
