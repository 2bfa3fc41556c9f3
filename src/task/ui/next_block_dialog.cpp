#include "task/ui/next_block_dialog.h"

#include <QPushButton>

const DialogTemplate& NextBlockDialog::dialogTemplate()
{
    static const DialogTemplate t{
        "",
        226,
        138,
        14,
        {
            {ControlKind::Static,
             IntroId,
             "For the next block of category judgements, you will be categorizing words into the following "
             "categories:",
             {7, 6, 212, 18}},
            {ControlKind::Static, FirstLeftId, "", {52, 33, 61, 8}, AlignCenter},
            {ControlKind::Static, FirstOrId, "or", {119, 33, 8, 8}},
            {ControlKind::Static, FirstRightId, "", {132, 33, 59, 8}, AlignCenter},
            {ControlKind::Static, ConnectorId, "", {99, 48, 44, 8}, AlignCenter},
            {ControlKind::Static, SecondLeftId, "", {48, 64, 61, 8}, AlignCenter},
            {ControlKind::Static, LowerConnectorId, "", {112, 64, 18, 8}, AlignCenter},
            {ControlKind::Static, SecondRightId, "", {133, 64, 60, 8}, AlignCenter},
            {ControlKind::Static, ReminderId, "REMINDER:", {7, 83, 39, 8}},
            {ControlKind::Static,
             ReminderTextId,
             "The next block of category judgments is for ",
             {7, 94, 131, 9},
             NoWrap},
            {ControlKind::Static, StatusId, "", {140, 94, 64, 8}},
            {ControlKind::DefaultButton, OkId, "OK", {169, 110, 50, 21}},
        }};
    return t;
}

NextBlockDialog::NextBlockDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &QDialog::accept);
    control(OkId)->setFocus();
}

void NextBlockDialog::setTexts(const NextBlockTexts& texts)
{
    setControlText(FirstLeftId, fromSingleByte(texts.firstLeft));
    setControlText(FirstRightId, fromSingleByte(texts.firstRight));
    setControlText(ConnectorId, fromSingleByte(texts.connector));
    setControlText(SecondLeftId, fromSingleByte(texts.secondLeft));
    setControlText(LowerConnectorId, fromSingleByte(texts.lowerConnector));
    setControlText(SecondRightId, fromSingleByte(texts.secondRight));
    setControlText(StatusId, fromSingleByte(texts.status));
}

void NextBlockDialog::showTexts(const NextBlockTexts& texts, QWidget* parent)
{
    NextBlockDialog dialog(parent);
    dialog.setTexts(texts);
    dialog.exec();
}
