#include "common/ui/editor_shell_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStringDecoder>

#include "common/ui/editor_file_dialog.h"
#include "common/text_codec.h"
#include "common/ui/warning_dialog.h"

namespace {

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

std::optional<QString> askEditorPath(QWidget* parent, const EditorFileKind& kind, EditorFileChoice choice,
                                     const QString& proposed, const QString& currentFile)
{
    return askEditorFilePath(parent, choice == EditorFileChoice::Open, QString::fromLatin1(kind.filterName),
                             QString::fromLatin1(kind.extension), proposed, currentFile);
}

QString fromPathOrSingleByte(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArray::fromStdString(bytes));
    return utf8.hasError() ? fromSingleByte(bytes) : text;
}

EditorShellDialog::EditorShellDialog(const DialogTemplate& dialogTemplate, const EditorFileKind& kind, QWidget* parent)
    : TemplateDialog(dialogTemplate, parent), kind_(kind)
{
    menuBar_ = new QMenuBar(this);
    QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
    const struct {
        const char* text;
        void (EditorShellDialog::*command)();
        QKeySequence shortcut;
    } entries[] = {
        {"&New", &EditorShellDialog::newDocument, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"&Open", &EditorShellDialog::openDocument, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"&Save", &EditorShellDialog::save, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"Save &As", &EditorShellDialog::saveAs, QKeySequence()},
        {"&Exit", &EditorShellDialog::exitEditor, QKeySequence()},
    };
    int index = 0;
    for (const auto& entry : entries) {
        QAction* action = file->addAction(QString::fromLatin1(entry.text));
        action->setShortcut(entry.shortcut);
        connect(action, &QAction::triggered, this, entry.command);
        actions_[index++] = action;
    }

    // Only what the experimenter does counts: textEdited and clicked are not sent
    // when the editor shows its document.
    for (QLineEdit* box : findChildren<QLineEdit*>())
        connect(box, &QLineEdit::textEdited, this, [this] { markEdited(); });
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        if (button->isCheckable())
            connect(button, &QAbstractButton::clicked, this, [this] { markEdited(); });
    }

    // The controls keep their places relative to one another below the menu bar, as
    // a window's client area lies below its menu.
    menuHeight_ = menuBar_->sizeHint().height();
    for (QWidget* widget : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (widget != menuBar_)
            widget->move(widget->x(), widget->y() + menuHeight_);
    }
    menuBar_->setGeometry(0, 0, width(), menuHeight_);
    setFixedSize(width(), height() + menuHeight_);
}

QString EditorShellDialog::pattern() const
{
    return kind_.proposesPattern ? QStringLiteral("*.") + QString::fromLatin1(kind_.extension) : QString();
}

std::optional<QString> EditorShellDialog::choosePath(EditorFileChoice choice, const QString& proposed)
{
    if (pathChooser_)
        return pathChooser_(this, choice, proposed);
    return askEditorPath(this, kind_, choice, proposed, QFile::decodeName(QByteArray::fromStdString(documentPath())));
}

bool EditorShellDialog::mayGoOn(EditorStep step)
{
    QString question;
    switch (questionBefore(step, {changed_, firstNewOrOpen(), exitAlwaysAsks()})) {
    case EditorQuestion::None:
        return true;
    case EditorQuestion::UnsavedChanges:
        question = QString::fromUtf8(unsavedChangesWarning);
        break;
    case EditorQuestion::Overwrite:
        question = overwriteQuestion();
        break;
    }
    return WarningDialog::ask(question, this) == WarningDialog::Continue;
}

void EditorShellDialog::newDocument()
{
    if (!mayGoOn(EditorStep::NewOrOpen))
        return;
    clearDocument();
    changed_ = false;
    showDocument();
    newOrOpenDone();
}

// What is on screen stays when no file is chosen or the file cannot be read.
void EditorShellDialog::openDocument()
{
    if (!mayGoOn(EditorStep::NewOrOpen))
        return;
    storeDocument();
    if (const std::optional<QString> path = choosePath(EditorFileChoice::Open, pattern())) {
        const OpenOutcome outcome = openFile(localPath(*path));
        // A file that could not be read leaves the screen, and what was typed on it.
        if (outcome.opened)
            changed_ = false;
        showDocument();
        if (!outcome.opened) {
            warn(QString::fromLatin1(kind_.openFailed) + QStringLiteral("\n\n") + fromPathOrSingleByte(outcome.error));
        } else if (!outcome.problems.empty()) {
            QString text = QString::fromLatin1(kind_.openProblems) + QStringLiteral("\n");
            for (const std::string& problem : outcome.problems)
                text += QStringLiteral("\n") + fromPathOrSingleByte(problem);
            warn(text);
        }
    } else {
        showDocument();
    }
    newOrOpenDone();
}

void EditorShellDialog::save() { saveWith(QFile::decodeName(QByteArray::fromStdString(documentPath()))); }

void EditorShellDialog::saveAs() { saveWith(pattern()); }

void EditorShellDialog::saveWith(const QString& proposed)
{
    storeDocument();
    if (readyToSave()) {
        if (const std::optional<QString> path = choosePath(EditorFileChoice::Save, proposed)) {
            const WriteOutcome outcome = writeFile(localPath(*path));
            if (outcome)
                changed_ = false;
            else
                warn(QString::fromLatin1(kind_.saveFailed) + QStringLiteral("\n\n") +
                     fromPathOrSingleByte(outcome.error));
        }
    }
    saveDone();
    showDocument();
}

void EditorShellDialog::exitEditor()
{
    if (mayGoOn(EditorStep::Exit) && mayExit())
        accept();
}

// QDialog sends Escape and the close box here.
void EditorShellDialog::reject()
{
    if (mayGoOn(EditorStep::Close))
        TemplateDialog::reject();
}

void EditorShellDialog::warn(const QString& text)
{
    QMessageBox::warning(this, QString::fromLatin1(kind_.caption), text);
}

void EditorShellDialog::showPath(int id, const std::string& path)
{
    auto* label = control<QLabel>(id);
    const QString text = QFile::decodeName(QByteArray::fromStdString(path));
    label->setText(QFontMetrics(label->font()).elidedText(text, Qt::ElideLeft, label->width()));
    label->setToolTip(text);
}

void EditorShellDialog::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !(event->modifiers() & Qt::ControlModifier)) {
        exitEditor();
        return;
    }
    TemplateDialog::keyPressEvent(event);
}
