#include "questionnaire/ui/list_options_dialog.h"

#include <QLineEdit>
#include <QPushButton>

#include "files/word_list.h"
#include "questionnaire/field_text.h"

QValidator::State EntryValidator::validate(QString& input, int&) const
{
    return entryFromBox(input.toStdString(), entryCapacity) ? Acceptable : Invalid;
}

void EntryValidator::attachTo(QLineEdit* box)
{
    QValidator* builders = const_cast<QValidator*>(box->validator());
    box->setValidator(new EntryValidator(box));
    delete builders;
}

const DialogTemplate& ListOptionsDialog::dialogTemplate()
{
    static const DialogTemplate t = [] {
        DialogTemplate d{"List Options", 145, 233, 8, {}};
        for (int k = 0; k < maxChoices; ++k)
            d.controls.push_back({ControlKind::Edit,
                                  FirstChoiceId + k,
                                  "",
                                  {10, 4 + 12 * k, 75, 14},
                                  StyleNone,
                                  static_cast<int>(entryCapacity)});
        d.controls.push_back({ControlKind::DefaultButton, OkId, "OK", {90, 4, 50, 14}});
        d.controls.push_back({ControlKind::PushButton, CancelId, "Cancel", {90, 20, 50, 14}});
        return d;
    }();
    return t;
}

ListOptionsDialog::ListOptionsDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    for (int k = 0; k < maxChoices; ++k)
        EntryValidator::attachTo(choiceBox(k));
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &QDialog::accept);
    connect(control<QPushButton>(CancelId), &QPushButton::clicked, this, &QDialog::reject);
    choiceBox(0)->setFocus();
}

QLineEdit* ListOptionsDialog::choiceBox(int k) const { return control<QLineEdit>(FirstChoiceId + k); }

void ListOptionsDialog::setChoices(const ChoiceBoxes& boxes)
{
    for (int k = 0; k < maxChoices; ++k)
        choiceBox(k)->setText(fromSingleByte(boxes[static_cast<std::size_t>(k)]));
}

ChoiceBoxes ListOptionsDialog::choices() const
{
    ChoiceBoxes boxes;
    for (int k = 0; k < maxChoices; ++k)
        boxes[static_cast<std::size_t>(k)] =
            entryFromBox(choiceBox(k)->text().toStdString(), entryCapacity).value_or(std::string());
    return boxes;
}
