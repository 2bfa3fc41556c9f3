#include "files/ui/stimulus_list_editor.h"

#include <QLineEdit>

#include "common/text_codec.h"

namespace {

// Places of the boxes of category A; category B is the same, moved right.
constexpr int frameX = 6;
constexpr int categoryShift = 167;
constexpr int captionX = 14;
constexpr int columnX[2] = {14, 90};
constexpr int boxWidth = 68;
constexpr int firstRowY = 69;
constexpr int rowStep = 14;
constexpr int rowsPerColumn = 9;

}  // namespace

const EditorFileKind stimulusListFiles{
    "Stimulus Lists",
    "Word lists",
    "wls",
    true,
    "The list could not be opened; the screen is as it was.",
    "The list was opened, but not all of the file could be used:",
    "The list was not saved; the file on disk is as it was.",
};

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

const DialogTemplate& StimulusListEditor::dialogTemplate()
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

StimulusListEditor::StimulusListEditor(QWidget* parent) : EditorShellDialog(dialogTemplate(), stimulusListFiles, parent)
{
    showDocument();
    box({0, BoxRef::Label, 0})->setFocus();
}

QLineEdit* StimulusListEditor::box(const BoxRef& ref) const { return control<QLineEdit>(boxId(ref)); }

void StimulusListEditor::storeDocument()
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

QString StimulusListEditor::overwriteQuestion() const
{
    return QString::fromUtf8(replaceWarning.data(), qsizetype(replaceWarning.size()));
}

EditorShellDialog::OpenOutcome StimulusListEditor::openFile(const std::string& path)
{
    StimulusListDocument::OpenOutcome outcome = document_.open(path);
    return {outcome.opened, std::move(outcome.error), std::move(outcome.problems)};
}

bool StimulusListEditor::readyToSave()
{
    const std::optional<BoxRefusal> refusal = document_.checkForSave();
    if (refusal)
        box(refusal->box)->setFocus();
    return !refusal;
}

bool StimulusListEditor::mayExit()
{
    storeDocument();
    const std::optional<BoxRefusal> refusal = refusalToExit(document_.boxes());
    if (!refusal)
        return true;
    warn(QString::fromStdString(refusal->message));
    QLineEdit* wrong = box(refusal->box);
    wrong->setFocus();
    wrong->selectAll();
    return false;
}

void editStimulusListsFromMenu(QWidget* parent)
{
    StimulusListEditor editor(parent);
    editor.exec();
}
