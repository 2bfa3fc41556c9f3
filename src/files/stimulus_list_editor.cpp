#include "common/editor_file_dialog.h"
#include "files/stimulus_list_editor.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStringDecoder>

#include "common/text_codec.h"
#include "common/warning_dialog.h"

namespace {

const QString title = QStringLiteral("Stimulus Lists");

// Places of the boxes of category A; category B is the same, moved right.
constexpr int frameX = 6;
constexpr int categoryShift = 167;
constexpr int captionX = 14;
constexpr int columnX[2] = {14, 90};
constexpr int boxWidth = 68;
constexpr int firstRowY = 69;
constexpr int rowStep = 14;
constexpr int rowsPerColumn = 9;

// Paths and the system's reasons come as the file system has them (UTF-8 here);
// problems quote a file's single-byte text.
QString fromPathOrSingleByte(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArray::fromStdString(bytes));
    return utf8.hasError() ? fromSingleByte(bytes) : text;
}

StimulusListPathSource& pathSource()
{
    static StimulusListPathSource source;
    return source;
}

}  // namespace

std::optional<QString> askStimulusListPath(QWidget* parent, ListFileChoice choice, const QString& proposed)
{
    return askEditorFilePath(parent, choice == ListFileChoice::Open, QStringLiteral("Word lists"),
                             QStringLiteral("wls"), proposed);
}

void setStimulusListPathSource(StimulusListPathSource source) { pathSource() = std::move(source); }

int StimulusListEditor::boxId(const BoxRef& box)
{
    const int base = box.category == 0 ? LabelAId : LabelBId;
    switch (box.kind) {
    case BoxRef::Label:
        return base;
    case BoxRef::ItemCount:
        return base + 1;
    case BoxRef::Item:
        break;
    }
    return base + 10 + box.item;
}

const DialogTemplate& StimulusListEditor::layout()
{
    static const DialogTemplate t = [] {
        DialogTemplate d{"Stimulus Lists", 340, 206, 8, {}};
        d.controls.push_back({ControlKind::Static, MessageId, "", {8, 3, 324, 18}});
        for (int c = 0; c < 2; ++c) {
            const int dx = c * categoryShift;
            const bool a = c == 0;
            d.controls.push_back({ControlKind::GroupBox,
                                  a ? FrameAId : FrameBId,
                                  a ? "Category A" : "Category B",
                                  {frameX + dx, 23, 161, 178}});
            d.controls.push_back({ControlKind::Static,
                                  a ? LabelCaptionAId : LabelCaptionBId,
                                  "Category Label",
                                  {captionX + dx, 37, 72, 8},
                                  NoWrap});
            d.controls.push_back({ControlKind::Edit,
                                  boxId({c, BoxRef::Label, 0}),
                                  "",
                                  {columnX[1] + dx, 35, boxWidth, 12},
                                  StyleNone,
                                  int(entryCapacity)});
            d.controls.push_back({ControlKind::Static,
                                  a ? CountCaptionAId : CountCaptionBId,
                                  "# of items:",
                                  {captionX + dx, 53, 72, 8},
                                  NoWrap});
            d.controls.push_back({ControlKind::Edit,
                                  boxId({c, BoxRef::ItemCount, 0}),
                                  "",
                                  {columnX[1] + dx, 51, 24, 12},
                                  StyleNone,
                                  int(itemCountBoxCapacity)});
            for (int k = 1; k <= maxItems; ++k) {
                const int column = (k - 1) / rowsPerColumn;
                const int row = (k - 1) % rowsPerColumn;
                d.controls.push_back({ControlKind::Edit,
                                      boxId({c, BoxRef::Item, k}),
                                      "",
                                      {columnX[column] + dx, firstRowY + row * rowStep, boxWidth, 12},
                                      StyleNone,
                                      int(entryCapacity)});
            }
        }
        return d;
    }();
    return t;
}

StimulusListEditor::StimulusListEditor(QWidget* parent) : TemplateDialog(layout(), parent)
{
    menuBar_ = new QMenuBar(this);
    QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
    const auto add = [&](Command command, const QString& text, void (StimulusListEditor::*handler)()) {
        QAction* action = file->addAction(text);
        connect(action, &QAction::triggered, this, handler);
        actions_[static_cast<int>(command)] = action;
    };
    add(Command::New, QStringLiteral("&New"), &StimulusListEditor::newList);
    add(Command::Open, QStringLiteral("&Open"), &StimulusListEditor::openList);
    add(Command::Save, QStringLiteral("&Save"), qOverload<>(&StimulusListEditor::save));
    add(Command::SaveAs, QStringLiteral("Save &As"), &StimulusListEditor::saveAs);
    add(Command::Exit, QStringLiteral("&Exit"), &StimulusListEditor::exitEditor);

    // The table places the controls below the menu bar, as a window's client area
    // lies below its menu.
    menuHeight_ = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, width(), menuHeight_);
    for (const ControlSpec& item : layout().controls)
        control(item.id)->move(control(item.id)->pos() + QPoint(0, menuHeight_));
    setFixedSize(width(), height() + menuHeight_);

    showDocument();
    box({0, BoxRef::Label, 0})->setFocus();
}

QLineEdit* StimulusListEditor::box(const BoxRef& ref) const { return control<QLineEdit>(boxId(ref)); }

QAction* StimulusListEditor::action(Command command) const { return actions_[static_cast<int>(command)]; }

void StimulusListEditor::storeBoxes()
{
    StimulusListBoxes boxes;
    const auto text = [this](const BoxRef& ref) {
        // The boxes refuse what has no single-byte form, so nothing is lost here.
        return utf8ToWindows1252(box(ref)->text().toStdString()).value_or(std::string());
    };
    for (int c = 0; c < 2; ++c) {
        CategoryBoxes& category = boxes.categories[c];
        category.label = text({c, BoxRef::Label, 0});
        category.itemCount = text({c, BoxRef::ItemCount, 0});
        for (int k = 1; k <= maxItems; ++k)
            category.items[k - 1] = text({c, BoxRef::Item, k});
    }
    document_.takeBoxes(boxes);
}

void StimulusListEditor::showDocument()
{
    const StimulusListBoxes& boxes = document_.boxes();
    for (int c = 0; c < 2; ++c) {
        const CategoryBoxes& category = boxes.categories[c];
        box({c, BoxRef::Label, 0})->setText(fromSingleByte(category.label));
        box({c, BoxRef::ItemCount, 0})->setText(fromSingleByte(category.itemCount));
        for (int k = 1; k <= maxItems; ++k)
            box({c, BoxRef::Item, k})->setText(fromSingleByte(category.items[k - 1]));
    }
    setControlText(MessageId, fromSingleByte(document_.message()));
}

bool StimulusListEditor::confirmReplace()
{
    if (!document_.asksBeforeReplacing())
        return true;
    return WarningDialog::ask(QString::fromUtf8(replaceWarning.data(), qsizetype(replaceWarning.size())), this) ==
           WarningDialog::Continue;
}

void StimulusListEditor::newList()
{
    if (!confirmReplace())
        return;
    document_.newList();
    showDocument();
}

void StimulusListEditor::openList()
{
    if (!confirmReplace())
        return;
    const StimulusListPathSource& source = pathSource();
    const QString proposed = QStringLiteral("*.wls");
    const std::optional<QString> path = source ? source(this, ListFileChoice::Open, proposed)
                                               : askStimulusListPath(this, ListFileChoice::Open, proposed);
    if (!path)
        return;
    const StimulusListDocument::OpenOutcome outcome = document_.open(QFile::encodeName(*path).toStdString());
    if (!outcome.opened) {
        QMessageBox::warning(this, title,
                             QStringLiteral("The list could not be opened; the screen is as it was.\n\n") +
                                 fromPathOrSingleByte(outcome.error));
        return;
    }
    showDocument();
    if (!outcome.problems.empty()) {
        QString text = QStringLiteral("The list was opened, but not all of the file could be used:\n");
        for (const std::string& problem : outcome.problems)
            text += QStringLiteral("\n") + fromPathOrSingleByte(problem);
        QMessageBox::warning(this, title, text);
    }
}

void StimulusListEditor::save() { save(ListFileChoice::Save, QFile::decodeName(document_.path().c_str())); }

void StimulusListEditor::saveAs() { save(ListFileChoice::Save, QStringLiteral("*.wls")); }

void StimulusListEditor::save(ListFileChoice choice, const QString& proposed)
{
    storeBoxes();
    if (const std::optional<BoxRefusal> refusal = document_.checkForSave()) {
        box(refusal->box)->setFocus();
    } else {
        const StimulusListPathSource& source = pathSource();
        const std::optional<QString> path = source ? source(this, choice, proposed)
                                                   : askStimulusListPath(this, choice, proposed);
        if (path) {
            const WriteOutcome outcome = document_.saveTo(QFile::encodeName(*path).toStdString());
            if (!outcome)
                QMessageBox::warning(this, title,
                                     QStringLiteral("The list was not saved; the file on disk is as it was.\n\n") +
                                         fromPathOrSingleByte(outcome.error));
        }
    }
    document_.refresh();
    showDocument();
}

void StimulusListEditor::exitEditor()
{
    storeBoxes();
    if (const std::optional<BoxRefusal> refusal = refusalToExit(document_.boxes())) {
        QMessageBox::warning(this, title, QString::fromStdString(refusal->message));
        QLineEdit* wrong = box(refusal->box);
        wrong->setFocus();
        wrong->selectAll();
        return;
    }
    accept();
}

void StimulusListEditor::keyPressEvent(QKeyEvent* event)
{
    // The dialog's default command is Exit; Escape goes to the base class, which
    // closes without the checks.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        exitEditor();
        return;
    }
    TemplateDialog::keyPressEvent(event);
}

void editStimulusListsFromMenu(QWidget* parent)
{
    StimulusListEditor editor(parent);
    editor.exec();
}
