#include "questionnaire/ui/text_question_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/text_codec.h"
#include "instructions/instruction_pages.h"

const DialogTemplate& TextQuestionDialog::dialogTemplate()
{
    static const DialogTemplate t{"",
                                  292,
                                  186,
                                  8,
                                  {
                                      {ControlKind::GroupBox, FrameId, "", {7, 16, 269, 158}},
                                      {ControlKind::Static, QuestionId, "", {14, 26, 253, 95}},
                                      // An answer becomes a list entry, so the box holds no more than one.
                                      {ControlKind::Edit, AnswerId, "", {100, 128, 86, 14}, StyleNone, answerCapacity},
                                      {ControlKind::CheckBox, NoAnswerId, "no answer", {229, 144, 44, 10}},
                                      {ControlKind::Static, MessageId, "", {7, 157, 266, 11}, AlignCenter | NoWrap},
                                      {ControlKind::DefaultButton, OkId, "OK", {231, 0, 50, 14}},
                                  }};
    return t;
}

TextQuestionDialog::TextQuestionDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &TextQuestionDialog::confirm);
}

void TextQuestionDialog::setPage(std::string_view question)
{
    setControlText(QuestionId, fromSingleByte(pageDisplayText(question)));
    control<QLineEdit>(AnswerId)->clear();
    control<QCheckBox>(NoAnswerId)->setChecked(false);
    setControlText(MessageId, QString());
    setResult(QDialog::Rejected);
    control(AnswerId)->setFocus();
}

TextReply TextQuestionDialog::reply() const
{
    TextReply r;
    r.closedWithOk = result() == QDialog::Accepted;
    r.noAnswer = control<QCheckBox>(NoAnswerId)->isChecked();
    // The box refuses characters without a single-byte form as they are typed.
    r.answer = utf8ToWindows1252(control<QLineEdit>(AnswerId)->text().toStdString()).value_or(std::string());
    return r;
}

TextReply TextQuestionDialog::ask(std::string_view question)
{
    setPage(question);
    exec();
    return reply();
}

QString TextQuestionDialog::message() const { return control<QLabel>(MessageId)->text(); }

void TextQuestionDialog::confirm()
{
    const TextReply r = reply();
    if (const auto refusal = checkTextReply(r.answer, r.noAnswer))
        setControlText(MessageId, QString::fromStdString(*refusal));
    else
        accept();
}
