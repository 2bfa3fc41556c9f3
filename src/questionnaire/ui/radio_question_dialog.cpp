#include "questionnaire/ui/radio_question_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "instructions/instruction_pages.h"

const DialogTemplate& RadioQuestionDialog::dialogTemplate()
{
    static const DialogTemplate t{"",
                                  284,
                                  161,
                                  8,
                                  {
                                      {ControlKind::Static, QuestionId, "", {7, 20, 260, 66}},
                                      {ControlKind::RadioButton, FirstButtonId, "", {91, 98, 8, 10}, GroupStart},
                                      {ControlKind::Static, FirstLabelId, "", {99, 97, 135, 8}, NoWrap},
                                      {ControlKind::Static, OrId, "or", {97, 107, 10, 8}, NoWrap},
                                      {ControlKind::RadioButton, SecondButtonId, "", {91, 120, 8, 10}},
                                      {ControlKind::Static, SecondLabelId, "", {100, 120, 120, 8}, NoWrap},
                                      {ControlKind::CheckBox, NoAnswerId, "no answer", {229, 127, 48, 10}},
                                      {ControlKind::Static, MessageId, "", {7, 140, 270, 14}},
                                      {ControlKind::DefaultButton, OkId, "OK", {226, 0, 50, 14}},
                                  }};
    return t;
}

RadioQuestionDialog::RadioQuestionDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &RadioQuestionDialog::confirm);
}

void RadioQuestionDialog::setPage(std::string_view question, std::string_view first, std::string_view second)
{
    setControlText(QuestionId, fromSingleByte(pageDisplayText(question)));
    setControlText(FirstLabelId, fromSingleByte(first));
    setControlText(SecondLabelId, fromSingleByte(second));
    auto* firstButton = control<QRadioButton>(FirstButtonId);
    // An exclusive group cannot be cleared button by button.
    firstButton->group()->setExclusive(false);
    firstButton->setChecked(false);
    control<QRadioButton>(SecondButtonId)->setChecked(false);
    firstButton->group()->setExclusive(true);
    control<QCheckBox>(NoAnswerId)->setChecked(false);
    setControlText(MessageId, QString());
    setResult(QDialog::Rejected);
    control(OkId)->setFocus();
}

int RadioQuestionDialog::selection() const
{
    if (control<QRadioButton>(FirstButtonId)->isChecked())
        return 0;
    if (control<QRadioButton>(SecondButtonId)->isChecked())
        return 1;
    return -1;
}

RadioReply RadioQuestionDialog::reply() const
{
    return {result() == QDialog::Accepted, control<QCheckBox>(NoAnswerId)->isChecked(), selection()};
}

RadioReply RadioQuestionDialog::ask(std::string_view question, std::string_view first, std::string_view second)
{
    setPage(question, first, second);
    exec();
    return reply();
}

QString RadioQuestionDialog::message() const { return control<QLabel>(MessageId)->text(); }

void RadioQuestionDialog::confirm()
{
    if (const auto refusal = checkRadioReply(selection(), control<QCheckBox>(NoAnswerId)->isChecked()))
        setControlText(MessageId, QString::fromStdString(*refusal));
    else
        accept();
}
