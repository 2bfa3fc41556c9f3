#include "files/ui/session_settings_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

const DialogTemplate& SessionSettingsDialog::dialogTemplate()
{
    static const DialogTemplate t{
        "Input File",
        260,
        206,
        8,
        {
            {ControlKind::Static, SessionLabelId, "SESSION", {10, 8, 36, 8}, NoWrap},
            {ControlKind::Static, SessionNumberId, "", {48, 8, 20, 8}, NoWrap},
            {ControlKind::Static, Pair1LabelId, "Category Pair 1:", {10, 24, 110, 8}, NoWrap},
            {ControlKind::ListBox, Pair1ListId, "", {10, 34, 115, 72}, VerticalScroll},
            {ControlKind::Static, Pair2LabelId, "Category Pair 2:", {135, 24, 110, 8}, NoWrap},
            {ControlKind::ListBox, Pair2ListId, "", {135, 34, 115, 72}, VerticalScroll},
            {ControlKind::Static, SwitchLabelId, "Pair to switch at midpoint:", {10, 114, 100, 8}, NoWrap},
            {ControlKind::RadioButton, SwitchPair1Id, "Pair 1", {115, 113, 40, 10}, GroupStart},
            {ControlKind::RadioButton, SwitchPair2Id, "Pair 2", {160, 113, 40, 10}},
            {ControlKind::Static, DelayLabelId, "Inter-trial delay:", {10, 130, 70, 8}, NoWrap},
            {ControlKind::Edit, DelayId, "", {115, 128, 30, 12}},
            {ControlKind::Static, TrialsLabelId, "Number of trials in each block:", {10, 148, 105, 8}, NoWrap},
            {ControlKind::Static, PracticeLabelId, "practice:", {115, 148, 32, 8}, NoWrap},
            {ControlKind::Edit, PracticeId, "", {150, 146, 25, 12}},
            {ControlKind::Static, RealLabelId, "real:", {185, 148, 20, 8}, NoWrap},
            {ControlKind::Edit, RealId, "", {208, 146, 25, 12}},
            {ControlKind::Static, MessageId, "", {10, 164, 240, 18}},
            {ControlKind::DefaultButton, OkId, "OK", {140, 186, 50, 14}},
            {ControlKind::PushButton, CancelId, "Cancel", {200, 186, 50, 14}},
        }};
    return t;
}

SessionSettingsDialog::SessionSettingsDialog(std::string directory, QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent), directory_(std::move(directory))
{
    showFieldMessage = [this](const QString& text) { QMessageBox::warning(this, QString(), text); };
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &SessionSettingsDialog::confirm);
    connect(control<QPushButton>(CancelId), &QPushButton::clicked, this, &QDialog::reject);
}

namespace {

// The selected line of a list box, or noSelection.
int selectedRow(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    return item != nullptr && item->isSelected() ? list->row(item) : noSelection;
}

}  // namespace

QString SessionSettingsDialog::message() const { return control<QLabel>(MessageId)->text(); }

void SessionSettingsDialog::prepare(int number)
{
    catalog_.fillFromDirectory(directory_);
    lines_ = categoryPairLines(catalog_);
    const int lineCount = int(lines_.size());
    const int pairCount = 2;
    QListWidget* lists[pairCount] = {control<QListWidget>(Pair1ListId), control<QListWidget>(Pair2ListId)};
    const int selections[pairCount] = {
        shownBefore_ ? findLineAgain(lines_, previousPosition1_, previousText1_) : initialPosition(1, lineCount),
        shownBefore_ ? findLineAgain(lines_, previousPosition2_, previousText2_) : initialPosition(2, lineCount),
    };
    for (int pair = 0; pair < pairCount; ++pair) {
        QListWidget* list = lists[pair];
        list->clear();
        for (const std::string& line : lines_)
            list->addItem(fromSingleByte(line));
        list->setCurrentRow(selections[pair]);
        if (selections[pair] >= 0)
            list->scrollToItem(list->item(selections[pair]));
    }
    shownBefore_ = true;

    control<QLineEdit>(DelayId)->setText(QString::number(presetDelay));
    control<QLineEdit>(PracticeId)->setText(QString::number(presetPractice));
    control<QLineEdit>(RealId)->setText(QString::number(presetReal));
    setControlText(SessionNumberId, QString::number(number));
    // Too few list files: said at once, not only when OK is pressed.
    if (const auto refusal = listFilesRefusal(catalog_))
        setControlText(MessageId, QString::fromStdString(*refusal));
}

void SessionSettingsDialog::confirm()
{
    SessionEntries e;
    const auto text = [this](int id) { return control<QLineEdit>(id)->text().toStdString(); };
    if (const auto fieldMessage = checkSessionFields(text(DelayId), text(PracticeId), text(RealId), e)) {
        showFieldMessage(QString::fromStdString(*fieldMessage));
        return;
    }
    if (const auto refusal = listFilesRefusal(catalog_)) {
        setControlText(MessageId, QString::fromStdString(*refusal));
        return;
    }
    e.position1 = selectedRow(control<QListWidget>(Pair1ListId));
    e.position2 = selectedRow(control<QListWidget>(Pair2ListId));
    e.switchChoice = control<QRadioButton>(SwitchPair1Id)->isChecked()   ? 0
                     : control<QRadioButton>(SwitchPair2Id)->isChecked() ? 1
                                                                         : noSelection;
    entries_ = e;
    accept();
}

bool SessionSettingsDialog::askSession(int number, SessionSettings& session)
{
    for (;;) {
        prepare(number);
        const int result = exec();
        // The choices carry over to the next showing, also after Cancel.
        const auto remember = [this](int id, int& position, std::string& text) {
            position = selectedRow(control<QListWidget>(id));
            text = position >= 0 && position < int(lines_.size()) ? lines_[position] : std::string();
        };
        remember(Pair1ListId, previousPosition1_, previousText1_);
        remember(Pair2ListId, previousPosition2_, previousText2_);
        if (result != QDialog::Accepted)
            return false;
        if (const auto refusal = applySessionEntries(catalog_, entries_, session)) {
            setControlText(MessageId, QString::fromStdString(*refusal));
            continue;
        }
        setControlText(MessageId, QString());
        return true;
    }
}
