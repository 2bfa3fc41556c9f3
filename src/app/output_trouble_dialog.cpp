#include "app/output_trouble_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextOption>

#include "app/file_error_dialog.h"

const DialogTemplate& OutputTroubleDialog::dialogTemplate()
{
    static const DialogTemplate t{"Data Not Written",
                                  320,
                                  214,
                                  8,
                                  {
                                      {ControlKind::Static, CallId, "", {10, 8, 300, 12}},
                                      {ControlKind::MultiLineEdit, DetailId, "", {10, 24, 300, 162}},
                                      {ControlKind::PushButton, TryAgainId, "Try again", {96, 193, 56, 14}},
                                      {ControlKind::PushButton, EndRunId, "End the run", {168, 193, 56, 14}},
                                  }};
    return t;
}

OutputTroubleDialog::OutputTroubleDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    auto* detail = control<QPlainTextEdit>(DetailId);
    detail->setReadOnly(true);
    detail->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const auto& [id, choice] :
         {std::pair{TryAgainId, OutputTrouble::TryAgain}, std::pair{EndRunId, OutputTrouble::EndRun}}) {
        auto* button = control<QPushButton>(id);
        // Neither button is pressed by Enter, and neither has the focus at first.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QPushButton::clicked, this, [this, choice] {
            choice_ = choice;
            accept();
        });
    }
    // The one line the participant must read stands out.
    QFont bold = control(CallId)->font();
    bold.setBold(true);
    control(CallId)->setFont(bold);
    detail->setFocus();
}

void OutputTroubleDialog::setMessage(std::string_view message)
{
    QString text = fromPathOrSingleByte(message);
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    setControlText(CallId, end < 0 ? text : text.left(end));
    QString detail = end < 0 ? QString() : text.mid(end + 1);
    while (detail.startsWith(QLatin1Char('\n')))
        detail.remove(0, 1);
    control<QPlainTextEdit>(DetailId)->setPlainText(detail);
}

OutputTrouble OutputTroubleDialog::ask(std::string_view message, QWidget* parent)
{
    OutputTroubleDialog dialog(parent);
    dialog.setMessage(message);
    dialog.exec();
    return dialog.choice();
}
