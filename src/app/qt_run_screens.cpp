#include "app/qt_run_screens.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "app/exit_code_dialog.h"
#include "app/file_error_dialog.h"
#include "app/output_trouble_dialog.h"
#include "app/subject_page_dialog.h"
#include "common/text_codec.h"
#include "task/ui/block_feedback_dialog.h"
#include "task/ui/next_block_dialog.h"
#include "task/ui/report_dialog.h"
#include "task/ui/task_window.h"

QtRunScreens::QtRunScreens(AcceleratorSlot& slot, Pointer& pointer, Clock& clock, const QFont& taskFont,
                           QWidget* parent)
    : slot_(slot),
      pointer_(pointer),
      clock_(clock),
      font_(taskFont),
      parent_(parent),
      pages_(parent),
      questions_(parent),
      review_(parent),
      tutorial_(slot, pointer, clock, taskFont, parent)
{
}

QtRunScreens::~QtRunScreens()
{
    delete window_.data();
    delete nextBlock_.data();
    delete feedback_.data();
}

std::optional<SubjectRecord> QtRunScreens::askSubject(const LocalDateTime& start)
{
    return SubjectPageDialog::getSubject(start, parent_);
}

void QtRunScreens::showFileError(std::string_view message, std::string_view detail)
{
    FileErrorDialog::showTexts(message, detail, parent_);
}

void QtRunScreens::showNextBlock(const NextBlockTexts& texts)
{
    if (!nextBlock_)
        nextBlock_ = new NextBlockDialog(parent_);
    nextBlock_->setTexts(texts);
    nextBlock_->control(NextBlockDialog::OkId)->setFocus();
    nextBlock_->exec();
}

TaskWindow& QtRunScreens::window()
{
    if (!window_)
        window_ = new TaskWindow(slot_, pointer_, clock_, font_, parent_);
    return *window_;
}

BlockRun QtRunScreens::runBlock(const BlockSettings& settings, TrialResults& results)
{
    return window().runBlock(settings, &results);
}

void QtRunScreens::showBlockFeedback(std::string_view timeText, std::string_view percentText)
{
    if (!feedback_)
        feedback_ = new BlockFeedbackDialog(parent_);
    feedback_->setTexts(timeText, percentText);
    feedback_->control(BlockFeedbackDialog::OkId)->setFocus();
    feedback_->exec();
}

std::optional<std::string> QtRunScreens::askExitCode()
{
    const std::optional<QString> code = ExitCodeDialog::ask(parent_);
    if (!code)
        return std::nullopt;
    // The box takes only characters that have a single-byte form.
    return utf8ToWindows1252(code->toStdString()).value_or(std::string());
}

void QtRunScreens::showReport(int subjectNumber, const ScoreTable& scores)
{
    ReportDialog::showReport(subjectNumber, scores, parent_);
}

void QtRunScreens::showWriteFailure(std::string_view message)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Write Error"), fromPathOrSingleByte(message), QMessageBox::Ok,
                    parent_);
    // Paths and the system's reasons are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

OutputTrouble QtRunScreens::askOutputTrouble(std::string_view message)
{
    return OutputTroubleDialog::ask(message, parent_);
}

std::optional<std::string> QtRunScreens::askHeldLinesFile(std::string_view message, std::string_view proposedName)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Save the Held Lines"), fromPathOrSingleByte(message),
                    QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();

    const QString name = fromPathOrSingleByte(proposedName);
    const QString suffix = name.section(QLatin1Char('.'), -1);
    QFileDialog dialog(parent_, QStringLiteral("Save the Held Lines"), QDir::homePath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The lines are added at the end of a file that exists: nothing is replaced.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("*.%1").arg(suffix));
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

bool QtRunScreens::confirmHeldLinesLost(std::string_view message)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Save the Held Lines"), fromPathOrSingleByte(message),
                    QMessageBox::NoButton, parent_);
    box.setTextFormat(Qt::PlainText);
    QPushButton* giveUp = box.addButton(QStringLiteral("Give them up"), QMessageBox::DestructiveRole);
    QPushButton* save = box.addButton(QStringLiteral("Save them"), QMessageBox::AcceptRole);
    // Enter and Escape both go back to saving.
    box.setDefaultButton(save);
    box.setEscapeButton(save);
    box.exec();
    return box.clickedButton() == giveUp;
}
