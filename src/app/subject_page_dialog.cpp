#include "app/subject_page_dialog.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "common/file_existence.h"
#include "common/text_codec.h"

const DialogTemplate& SubjectPageDialog::dialogTemplate()
{
    static const DialogTemplate t{
        "Subject Information Page",
        300,
        190,
        8,
        {
            {ControlKind::Static, InputLabelId, "Input file name (enter full path):", {7, 7, 200, 8}, NoWrap},
            {ControlKind::Edit, InputPathId, "", {7, 17, 230, 12}, StyleNone, int(subjectPagePathCapacity)},
            {ControlKind::PushButton, InputBrowseId, "Browse files", {243, 16, 50, 14}},
            {ControlKind::Static, DataLabelId, "Output file name (enter full path):", {7, 35, 200, 8}, NoWrap},
            {ControlKind::Edit, DataPathId, "", {7, 45, 230, 12}, StyleNone, int(subjectPagePathCapacity)},
            {ControlKind::PushButton, DataBrowseId, "Browse files", {243, 44, 50, 14}},
            {ControlKind::GroupBox, SubjectFrameId, "Subject Information", {7, 63, 286, 84}},
            {ControlKind::Static, NumberLabelId, "Subject Number", {15, 78, 60, 8}, NoWrap},
            {ControlKind::Edit, NumberId, "", {80, 76, 40, 12}},
            {ControlKind::Static, SexLabelId, "Subject Sex", {15, 96, 60, 8}, NoWrap},
            {ControlKind::RadioButton, MaleId, "Male", {80, 95, 40, 10}, GroupStart},
            {ControlKind::RadioButton, FemaleId, "Female", {125, 95, 45, 10}},
            {ControlKind::Static, DateLabelId, "Date", {15, 114, 30, 8}, NoWrap},
            {ControlKind::Edit, DateId, "", {50, 112, 60, 12}},
            {ControlKind::Static, TimeLabelId, "Time", {125, 114, 25, 8}, NoWrap},
            {ControlKind::Edit, TimeId, "", {155, 112, 40, 12}},
            {ControlKind::Static, OtherLabelId, "Other:", {15, 131, 30, 8}, NoWrap},
            {ControlKind::Edit, OtherId, "", {50, 129, 60, 12}, StyleNone, int(otherCodeCapacity)},
            {ControlKind::Static, MessageId, "", {7, 150, 286, 18}, NoWrap},  // two lines
            {ControlKind::DefaultButton, OkId, "OK", {180, 169, 50, 14}},
            {ControlKind::PushButton, CancelId, "Cancel", {240, 169, 50, 14}},
        }};
    return t;
}

SubjectPageDialog::SubjectPageDialog(const LocalDateTime& start, QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent), start_(start)
{
    chooseFile = [this](const QString& caption, const QString& filter, const QString& suffix, bool mustExist) {
        // The data file need not exist yet: runs append to it.
        QFileDialog dialog(this, caption, QDir::homePath(), filter);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setDefaultSuffix(suffix);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    };
    exists = [](const std::string& path) { return fileExists(path); };
    absenceReason = [](const std::string& path) { return fileAbsenceReason(path); };
    showFieldMessage = [this](const QString& text) { QMessageBox::warning(this, QString(), text); };

    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &SubjectPageDialog::confirm);
    connect(control<QPushButton>(CancelId), &QPushButton::clicked, this, &QDialog::reject);
    connect(control<QPushButton>(InputBrowseId), &QPushButton::clicked, this, &SubjectPageDialog::browseInput);
    connect(control<QPushButton>(DataBrowseId), &QPushButton::clicked, this, &SubjectPageDialog::browseData);
    setEntries(initialSubjectEntries(start));
    showRefusedCharactersIn(MessageId);
    // A data file reached through a symbolic link is named on the message line, with
    // where the subject log goes, as soon as the box names it.
    connect(control<QLineEdit>(DataPathId), &QLineEdit::textChanged, this, [this](const QString& path) {
        const auto note = dataLinkNote(path.toStdString());
        if (note)
            setControlText(MessageId, QString::fromStdString(*note));
        else if (message().startsWith(QLatin1String("Note:")))
            setControlText(MessageId, QString());
    });
}

SubjectPageEntries SubjectPageDialog::entries() const
{
    SubjectPageEntries e;
    const auto text = [this](int id) { return control<QLineEdit>(id)->text().toStdString(); };
    e.inputPath = text(InputPathId);
    e.dataPath = text(DataPathId);
    e.subjectNumber = text(NumberId);
    e.otherCode = text(OtherId);
    e.dateText = text(DateId);
    e.timeText = text(TimeId);
    e.sexIndex = control<QRadioButton>(MaleId)->isChecked() ? 0 : control<QRadioButton>(FemaleId)->isChecked() ? 1 : -1;
    return e;
}

void SubjectPageDialog::setEntries(const SubjectPageEntries& e)
{
    const auto set = [this](int id, const std::string& text) {
        control<QLineEdit>(id)->setText(QString::fromStdString(text));
    };
    set(InputPathId, e.inputPath);
    set(DataPathId, e.dataPath);
    set(NumberId, e.subjectNumber);
    set(OtherId, e.otherCode);
    set(DateId, e.dateText);
    set(TimeId, e.timeText);
    auto* male = control<QRadioButton>(MaleId);
    auto* female = control<QRadioButton>(FemaleId);
    // A radio group cannot be unchecked button by button while exclusive.
    male->group()->setExclusive(false);
    male->setChecked(e.sexIndex == 0);
    female->setChecked(e.sexIndex == 1);
    male->group()->setExclusive(true);
}

QString SubjectPageDialog::message() const { return control<QLabel>(MessageId)->text(); }

void SubjectPageDialog::confirm()
{
    const SubjectPageAcceptance acceptance = acceptSubjectPage(entries(), start_, exists, absenceReason);
    if (acceptance.fieldMessage) {
        showFieldMessage(QString::fromStdString(*acceptance.fieldMessage));
        return;
    }
    if (!acceptance.record) {
        if (const auto text = subjectPageMessage(fittedToMessageLine(acceptance.errors)))
            setControlText(MessageId, QString::fromStdString(*text));
        return;
    }
    record_ = acceptance.record;
    accept();
}

// The path in the message line's second line gives up its middle when the line
// would be wider than the page, so that the reason after it stays in view (the
// whole path stands in the box above).
SubjectPageErrors SubjectPageDialog::fittedToMessageLine(SubjectPageErrors errors) const
{
    if (errors.inputAbsence.empty())
        return errors;
    const QLabel* line = control<QLabel>(MessageId);
    const QFontMetrics metrics(line->font());
    const QString reason = QString::fromStdString(" (" + errors.inputAbsence + ")");
    const int room = line->width() - metrics.horizontalAdvance(reason);
    errors.inputPath =
        metrics.elidedText(QString::fromStdString(errors.inputPath), Qt::ElideMiddle, std::max(room, 0)).toStdString();
    return errors;
}

namespace {

// A browsed path that the page could not hold: too long, or with characters that
// have no single-byte form. The box keeps its text; the message line says why.
std::optional<QString> refusalForBrowsedPath(const QString& path)
{
    const auto bytes = utf8ToWindows1252(path.toStdString());
    if (!bytes)
        return QString::fromLatin1(singleByteOnlyMessage);
    if (bytes->size() > subjectPagePathCapacity)
        return QStringLiteral("Error:  the chosen path is longer than %1 characters.").arg(subjectPagePathCapacity);
    return std::nullopt;
}

}  // namespace

void SubjectPageDialog::browseInput()
{
    const QString path = chooseFile(QStringLiteral("Input file"), QStringLiteral("Input files (*.inp)"),
                                    QStringLiteral("inp"), true);
    if (path.isEmpty())
        return;
    const QString data = QString::fromStdString(proposedDataPath(path.toStdString()));
    for (const QString& p : {path, data}) {
        if (const auto refusal = refusalForBrowsedPath(p)) {
            setControlText(MessageId, *refusal);
            return;
        }
    }
    control<QLineEdit>(InputPathId)->setText(path);
    control<QLineEdit>(DataPathId)->setText(data);
}

void SubjectPageDialog::browseData()
{
    const QString path = chooseFile(QStringLiteral("Output file"), QStringLiteral("Data files (*.dat)"),
                                    QStringLiteral("dat"), false);
    if (path.isEmpty())
        return;
    if (const auto refusal = refusalForBrowsedPath(path)) {
        setControlText(MessageId, *refusal);
        return;
    }
    control<QLineEdit>(DataPathId)->setText(path);
}

std::optional<SubjectRecord> SubjectPageDialog::getSubject(const LocalDateTime& start, QWidget* parent)
{
    SubjectPageDialog page(start, parent);
    if (page.exec() != QDialog::Accepted)
        return std::nullopt;
    return page.record();
}
