#pragma once
// The one builder of dialogs: it makes a modal QDialog and its controls from a
// DialogTemplate, placing each control at its dialog-unit rectangle computed from
// the dialog font. Dialog classes derive from it and add behaviour only.

#include <QDialog>
#include <QFont>
#include <QHash>
#include <QString>

#include <functional>
#include <string_view>

#include "common/dialog_template.h"

class QButtonGroup;

// The platform's sans-serif font at the given point size.
QFont dialogFont(int pointSize);
// The base units of a font, as dialog layouts use them.
DialogBaseUnits baseUnitsOf(const QFont& font);

// Text between the program's single-byte form and the widgets.
QString fromSingleByte(std::string_view bytes);

class TemplateDialog : public QDialog {
    Q_OBJECT
public:
    // Makes the widget of a Picture control; without one a Picture is an empty widget.
    using PictureFactory = std::function<QWidget*(const ControlSpec& item, QWidget* parent)>;

    // While on, the dialogs made are a participant's screens during a run: a title
    // bar and a close box, no minimize or maximize button.
    static void setParticipantScreens(bool on);

    explicit TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr,
                            const PictureFactory& pictures = {});

    // The control made for id, or nullptr.
    QWidget* control(int id) const { return controls_.value(id, nullptr); }
    template <typename T>
    T* control(int id) const
    {
        return qobject_cast<T*>(control(id));
    }

    // Sets the text of a Static, button or group control.
    void setControlText(int id, const QString& text);

    // From now on, a character without a single-byte form typed or pasted into one of
    // the dialog's edit boxes puts singleByteOnlyMessage in the message line messageId
    // (the box refuses the character as before).
    void showRefusedCharactersIn(int messageId);

    DialogBaseUnits baseUnits() const { return base_; }
    QRect pixelRect(const DialogRect& rect) const;

    // Runs the dialog modally and returns its result code.
    int runModal() { return exec(); }

private:
    void build(const DialogTemplate& dialogTemplate, const PictureFactory& pictures);
    void fitFixedText(QWidget* widget, const ControlSpec& item, const QRect& room);

    DialogBaseUnits base_;
    QHash<int, QWidget*> controls_;
};
