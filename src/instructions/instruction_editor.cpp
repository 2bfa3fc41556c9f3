#include "common/editor_file_dialog.h"
#include "instructions/instruction_editor.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "common/warning_dialog.h"
#include "instructions/instruction_document.h"
#include "instructions/instruction_page_dialog.h"
#include "instructions/page_text.h"

namespace {

const QString caption = QStringLiteral("Instruction Pages");

InstructionPathSource& pathSource()
{
    static InstructionPathSource source;
    return source;
}

std::optional<QString> choosePath(QWidget* parent, InstructionFileChoice choice, const QString& proposed)
{
    const InstructionPathSource& source = pathSource();
    return source ? source(parent, choice, proposed) : askInstructionPath(parent, choice, proposed);
}

// Paths and the system's reasons are in the local 8-bit encoding.
std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString fromLocal(const std::string& text) { return QString::fromLocal8Bit(text); }

}  // namespace

std::optional<QString> askInstructionPath(QWidget* parent, InstructionFileChoice choice, const QString& proposed)
{
    return askEditorFilePath(parent, choice == InstructionFileChoice::Open, QStringLiteral("Instruction files"),
                             QStringLiteral("bgi"), proposed);
}

void setInstructionPathSource(InstructionPathSource source) { pathSource() = std::move(source); }

const DialogTemplate& InstructionEditorDialog::layout()
{
    static const DialogTemplate t{
        "Instruction Pages",
        447,
        266,
        8,
        {
            {ControlKind::Static, FileNameId, "", {15, 11, 139, 11}, NoWrap},
            {ControlKind::Static, PageNumberId, "", {371, 38, 34, 9}, NoWrap},
            {ControlKind::Static, PageTotalId, "", {373, 54, 37, 9}, NoWrap},
            {ControlKind::MultiLineEdit, PageTextId, "", {44, 33, 281, 143}, VerticalScroll},
            {ControlKind::PushButton, FlipBackId, "<--Flip back", {85, 188, 93, 21}},
            {ControlKind::PushButton, FlipForwardId, "Flip Forward-->", {192, 188, 98, 21}},
            {ControlKind::PushButton, MoveFrontId, "<--move page", {124, 217, 54, 19}},
            {ControlKind::PushButton, MoveBackId, "move page-->", {192, 217, 57, 19}},
            {ControlKind::PushButton, AddPageId, "Add Page", {124, 236, 54, 19}},
            {ControlKind::PushButton, RemovePageId, "Remove Page", {192, 236, 57, 19}},
            {ControlKind::PushButton, SaveId, "Save Changes", {378, 195, 59, 28}},
            {ControlKind::PushButton, ExitId, "EXIT", {378, 227, 59, 28}},
            {ControlKind::PushButton, PreviewId, "Preview Page", {377, 0, 60, 24}},
            {ControlKind::GroupBox, TextCommandsId, "Text commands", {357, 74, 64, 87}},
            {ControlKind::Static,
             TextCommandsHelpId,
             "copy....ctrl-c                delete...ctrl-x                paste...ctrl-v          "
             "return...ctrl-enter",
             {362, 86, 55, 70}},
        }};
    return t;
}

InstructionEditorDialog::InstructionEditorDialog(QWidget* parent) : TemplateDialog(layout(), parent)
{
    text_ = control<QPlainTextEdit>(PageTextId);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(text_, &QPlainTextEdit::textChanged, this, &InstructionEditorDialog::keepBoxWithinPage);

    // No button is the default: Enter is EXIT wherever it is pressed.
    const std::pair<int, void (InstructionEditorDialog::*)()> buttons[] = {
        {FlipBackId, &InstructionEditorDialog::flipBack},
        {FlipForwardId, &InstructionEditorDialog::flipForward},
        {MoveFrontId, &InstructionEditorDialog::moveTowardsFront},
        {MoveBackId, &InstructionEditorDialog::moveTowardsBack},
        {AddPageId, &InstructionEditorDialog::addPage},
        {RemovePageId, &InstructionEditorDialog::removePage},
        {SaveId, &InstructionEditorDialog::save},
        {ExitId, &InstructionEditorDialog::exitEditor},
        {PreviewId, &InstructionEditorDialog::preview},
    };
    for (const auto& [id, command] : buttons) {
        auto* button = control<QPushButton>(id);
        button->setAutoDefault(false);
        button->setDefault(false);
        connect(button, &QPushButton::clicked, this, command);
    }
    for (QWidget* widget : findChildren<QWidget*>())
        widget->installEventFilter(this);

    // The menu bar sits above the controls, which keep their places relative to one
    // another: the dialog grows by its height.
    menuBar_ = new QMenuBar(this);
    QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
    const std::pair<const char*, void (InstructionEditorDialog::*)()> entries[] = {
        {"&New", &InstructionEditorDialog::newDocument}, {"&Open", &InstructionEditorDialog::openDocument},
        {"&Save", &InstructionEditorDialog::save},       {"Save &As", &InstructionEditorDialog::saveAs},
        {"&Exit", &InstructionEditorDialog::exitEditor},
    };
    for (const auto& [text, command] : entries)
        connect(file->addAction(QString::fromLatin1(text)), &QAction::triggered, this, command);
    const int menuHeight = menuBar_->sizeHint().height();
    for (QWidget* widget : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (widget != menuBar_)
            widget->move(widget->x(), widget->y() + menuHeight);
    }
    menuBar_->setGeometry(0, 0, width(), menuHeight);
    setFixedSize(width(), height() + menuHeight);

    pages_.clear();
    showPage();
    text_->setFocus();
}

void InstructionEditorDialog::showPage()
{
    auto* fileName = control<QLabel>(FileNameId);
    const QString path = QFile::decodeName(QByteArray::fromStdString(document_.fileName));
    // A long path shows its end, where the file's name is.
    fileName->setText(QFontMetrics(fileName->font()).elidedText(path, Qt::ElideLeft, fileName->width()));
    fileName->setToolTip(path);
    showBoxText(fromSingleByte(pageToBoxText(pages_.currentPage().view())));
    setControlText(PageNumberId, QString::fromStdString(pageNumberText(pages_.current())));
    setControlText(PageTotalId, QString::fromStdString(pageTotalText(pages_.count())));
}

void InstructionEditorDialog::storePage()
{
    storeBoxText(pages_.currentPage(), boxTextFromUtf8(boxText().toStdString()));
}

QString InstructionEditorDialog::boxText() const
{
    // The document's own separators (a paragraph's end, Shift+Enter's line break)
    // are line breaks; the raw text keeps every other character as it is.
    QString text = text_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void InstructionEditorDialog::showBoxText(const QString& text)
{
    settingText_ = true;
    text_->setPlainText(text);
    acceptedText_ = boxText();
    settingText_ = false;
}

// Whatever was typed, pasted or dropped is compared with the text as it was: of the
// inserted part the page takes what the format can hold, as far as there is room.
void InstructionEditorDialog::keepBoxWithinPage()
{
    if (settingText_)
        return;
    const QString now = boxText();
    if (now == acceptedText_)
        return;
    const qsizetype shorter = std::min(now.size(), acceptedText_.size());
    qsizetype prefix = 0;
    while (prefix < shorter && now[prefix] == acceptedText_[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           now[now.size() - 1 - suffix] == acceptedText_[acceptedText_.size() - 1 - suffix])
        ++suffix;
    const QString inserted = now.mid(prefix, now.size() - prefix - suffix);
    const std::string kept = boxTextFromUtf8((now.left(prefix) + now.right(suffix)).toStdString());
    const std::size_t used = pageBytesOf(kept);
    const std::size_t room = used < pageTextCapacity ? pageTextCapacity - used : 0;
    const QString admitted = QString::fromStdString(admitIntoPage(inserted.toStdString(), room));
    if (admitted != inserted) {
        settingText_ = true;
        QTextCursor cursor(text_->document());
        cursor.setPosition(static_cast<int>(prefix));
        cursor.setPosition(static_cast<int>(prefix + inserted.size()), QTextCursor::KeepAnchor);
        cursor.insertText(admitted);
        settingText_ = false;
    }
    acceptedText_ = boxText();
}

void InstructionEditorDialog::message(const QString& text) { QMessageBox::warning(this, caption, text); }

bool InstructionEditorDialog::mayOverwrite()
{
    return !pages_.needsOverwriteWarning() ||
           WarningDialog::ask(QStringLiteral("Any data currently on screen will be overwritten whether or not it "
                                             "has been saved."),
                              this) == WarningDialog::Continue;
}

void InstructionEditorDialog::newDocument()
{
    if (!mayOverwrite())
        return;
    pages_.clear();
    document_.fileName.clear();
    document_.problems.clear();
    showPage();
    pages_.newOrOpenDone();
}

void InstructionEditorDialog::openDocument()
{
    if (!mayOverwrite())
        return;
    // Kept, so that a cancelled or failed Open leaves the page as it was typed.
    storePage();
    pages_.newOrOpenDone();
    const std::optional<QString> path = choosePath(this, InstructionFileChoice::Open, QString());
    if (!path) {
        showPage();
        return;
    }
    OpenedInstructions opened = openInstructionFile(localPath(*path));
    if (!opened.opened) {
        showPage();
        message(QStringLiteral("The instruction file could not be read; the pages on screen are unchanged.\n\n") +
                fromLocal(opened.error));
        return;
    }
    document_ = std::move(opened.pages);
    pages_.showFirstPage();
    showPage();
    if (!document_.problems.empty()) {
        QString problems;
        for (const std::string& problem : document_.problems)
            problems += QStringLiteral("\n") + fromLocal(problem);
        message(QStringLiteral("The instruction file was read with these problems:\n") + problems);
    }
}

void InstructionEditorDialog::save()
{
    storePage();
    saveTo(QFile::decodeName(QByteArray::fromStdString(document_.fileName)));
}

void InstructionEditorDialog::saveAs()
{
    storePage();
    saveTo(QString());
}

void InstructionEditorDialog::saveTo(const QString& proposed)
{
    const std::optional<QString> path = choosePath(this, InstructionFileChoice::Save, proposed);
    if (path) {
        const std::string target = localPath(*path);
        const WriteOutcome outcome = writeInstructionFile(document_, target);
        if (outcome)
            document_.fileName = target;
        else
            message(QStringLiteral("The instruction file could not be saved; nothing was written.\n\n") +
                    fromLocal(outcome.error));
    }
    showPage();
}

void InstructionEditorDialog::flipBack()
{
    storePage();
    pages_.flipBack();
    showPage();
}

void InstructionEditorDialog::flipForward()
{
    storePage();
    pages_.flipForward();
    showPage();
}

void InstructionEditorDialog::moveTowardsFront()
{
    storePage();
    pages_.moveTowardsFront();
    showPage();
}

void InstructionEditorDialog::moveTowardsBack()
{
    storePage();
    pages_.moveTowardsBack();
    showPage();
}

void InstructionEditorDialog::addPage()
{
    storePage();
    if (!pages_.addPage())
        message(QStringLiteral("An instruction file holds at most %1 pages; there is no room for another one.")
                    .arg(maxInstructionPages));
    showPage();
}

void InstructionEditorDialog::removePage()
{
    storePage();
    if (!pages_.canRemove()) {
        message(QStringLiteral("This is the only page, and an instruction file always has one; it cannot be "
                               "removed."));
        showPage();
        return;
    }
    const bool confirmed = WarningDialog::ask(QStringLiteral("Are you sure you want to delete the current page?"),
                                              this) == WarningDialog::Continue;
    pages_.removeCurrent(confirmed);
    showPage();
}

void InstructionEditorDialog::preview()
{
    storePage();
    InstructionPageDialog::showText(pages_.currentPage().view(), this);
    showPage();
}

void InstructionEditorDialog::exitEditor()
{
    if (WarningDialog::ask(QStringLiteral("Any unsaved changes will be lost."), this) == WarningDialog::Continue)
        accept();
}

bool InstructionEditorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Ctrl+Enter is the page text's line break; Enter anywhere else is EXIT.
            if (key->modifiers() & Qt::ControlModifier) {
                if (watched == text_)
                    text_->insertPlainText(QStringLiteral("\n"));
            } else {
                exitEditor();
            }
            return true;
        }
    }
    return TemplateDialog::eventFilter(watched, event);
}

void InstructionEditorDialog::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !(event->modifiers() & Qt::ControlModifier)) {
        exitEditor();
        return;
    }
    TemplateDialog::keyPressEvent(event);
}

void editInstructionsFromMenu(QWidget* parent)
{
    InstructionEditorDialog editor(parent);
    editor.exec();
}
