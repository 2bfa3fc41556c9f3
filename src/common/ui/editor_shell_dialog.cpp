#include "common/ui/editor_shell_dialog.h"

#include <QAction>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
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
                                     const QString& proposed)
{
    return askEditorFilePath(parent, choice == EditorFileChoice::Open, QString::fromLatin1(kind.filterName),
                             QString::fromLatin1(kind.extension), proposed);
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
    const std::pair<const char*, void (EditorShellDialog::*)()> entries[] = {
        {"&New", &EditorShellDialog::newDocument}, {"&Open", &EditorShellDialog::openDocument},
        {"&Save", &EditorShellDialog::save},       {"Save &As", &EditorShellDialog::saveAs},
        {"&Exit", &EditorShellDialog::exitEditor},
    };
    int index = 0;
    for (const auto& [text, command] : entries) {
        QAction* action = file->addAction(QString::fromLatin1(text));
        connect(action, &QAction::triggered, this, command);
        actions_[index++] = action;
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
    return pathChooser_ ? pathChooser_(this, choice, proposed) : askEditorPath(this, kind_, choice, proposed);
}

bool EditorShellDialog::mayReplace()
{
    const std::optional<QString> question = replaceQuestion();
    return !question || WarningDialog::ask(*question, this) == WarningDialog::Continue;
}

void EditorShellDialog::newDocument()
{
    if (!mayReplace())
        return;
    clearDocument();
    showDocument();
    newOrOpenDone();
}

// What is on screen stays when no file is chosen or the file cannot be read.
void EditorShellDialog::openDocument()
{
    if (!mayReplace())
        return;
    storeDocument();
    if (const std::optional<QString> path = choosePath(EditorFileChoice::Open, pattern())) {
        const OpenOutcome outcome = openFile(localPath(*path));
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
            if (!outcome)
                warn(QString::fromLatin1(kind_.saveFailed) + QStringLiteral("\n\n") +
                     fromPathOrSingleByte(outcome.error));
        }
    }
    saveDone();
    showDocument();
}

void EditorShellDialog::exitEditor()
{
    if (const std::optional<QString> question = exitQuestion();
        question && WarningDialog::ask(*question, this) != WarningDialog::Continue)
        return;
    if (mayExit())
        accept();
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
