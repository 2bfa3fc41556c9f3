#pragma once
// "List Options": the 18 choices of a list page, one box each, choice 1 at the top.
// OK keeps what the boxes hold; Cancel, Escape and the close box change nothing.

#include <QValidator>

#include "common/ui/template_dialog.h"
#include "questionnaire/questionnaire_editing.h"

class QLineEdit;

// Refuses, as it is typed or pasted, what a stored label, item or choice cannot
// hold: a character without a single-byte form, a "#" and a sixteenth character.
class EntryValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;

    // Puts the validator on a box, in place of the builder's single-byte one.
    static void attachTo(QLineEdit* box);
};

class ListOptionsDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId { FirstChoiceId = 1, LastChoiceId = FirstChoiceId + maxChoices - 1, OkId, CancelId };

    explicit ListOptionsDialog(QWidget* parent = nullptr);
    static const DialogTemplate& dialogTemplate();

    void setChoices(const ChoiceBoxes& boxes);
    // The single-byte texts of the boxes, top to bottom.
    ChoiceBoxes choices() const;
    QLineEdit* choiceBox(int k) const;  // k from 0
};
