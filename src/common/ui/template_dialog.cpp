#include "common/ui/template_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QValidator>
#include <QRadioButton>

#include <utility>

#include "common/text_codec.h"
#include "common/ui/screen_host.h"

namespace {

// Refuses, as it is typed, a character that has no single-byte form: every text the
// program stores is Windows-1252.
class SingleByteValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        refused_ = !utf8ToWindows1252(input.toStdString());
        return refused_ ? Invalid : Acceptable;
    }
    // Whether the last text validated was refused; asked once. A box also refuses
    // input beyond its length limit without asking the validator.
    bool takeRefusal() const { return std::exchange(refused_, false); }

private:
    mutable bool refused_ = false;
};

}  // namespace

QFont dialogFont(int pointSize)
{
    // Liberation Sans has the proportions the layouts were drawn for (the widths of
    // the common Windows sans-serif faces); where it is missing, the system's
    // sans-serif face stands in.
    QFont font(QStringLiteral("Liberation Sans"), pointSize);
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogBaseUnits baseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {averageCharWidthFromAlphabet(alphabet), metrics.height()};
}

QString fromSingleByte(std::string_view bytes) { return QString::fromStdString(windows1252ToUtf8(bytes)); }

namespace {

bool participantScreens = false;

}  // namespace

void TemplateDialog::setParticipantScreens(bool on) { participantScreens = on; }

TemplateDialog::TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent, const PictureFactory& pictures)
    : QDialog(parent)
{
    setModal(true);
    // A dialog without caption text still has a title bar; no help button.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    if (participantScreens)
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // An empty caption would be shown as the program's name: a blank one is shown blank.
    const bool blank = participantScreens && dialogTemplate.caption.empty();
    setWindowTitle(blank ? QStringLiteral(" ") : QString::fromStdString(dialogTemplate.caption));
    setFont(dialogFont(dialogTemplate.pointSize));
    base_ = baseUnitsOf(font());
    build(dialogTemplate, pictures);
    // Where the display system places no windows for the program, a screen of the run
    // is drawn in the full-screen frame.
    if (ScreenHost* host = ScreenHost::current())
        host->adopt(this);
}

QRect TemplateDialog::pixelRect(const DialogRect& rect) const
{
    const PixelRect p = toPixels(rect, base_);
    return {p.x, p.y, p.width, p.height};
}

void TemplateDialog::setControlText(int id, const QString& text)
{
    QWidget* w = control(id);
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        group->setTitle(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(w))
        multi->setPlainText(text);
}

void TemplateDialog::showRefusedCharactersIn(int messageId)
{
    for (QWidget* widget : std::as_const(controls_)) {
        auto* edit = qobject_cast<QLineEdit*>(widget);
        const auto* validator = edit ? dynamic_cast<const SingleByteValidator*>(edit->validator()) : nullptr;
        if (validator == nullptr)
            continue;
        connect(edit, &QLineEdit::inputRejected, this, [this, validator, messageId] {
            if (validator->takeRefusal())
                setControlText(messageId, QString::fromLatin1(singleByteOnlyMessage));
        });
    }
}

// The program's own texts are never cut: a font wider than the one the layout was
// drawn for may need more room. A single-line text or a check box grows to the
// right, a wrapped text grows downward, each only as far as the dialog's edge. Texts
// set later (page texts, labels from files) keep their rectangles and are cut there.
void TemplateDialog::fitFixedText(QWidget* widget, const ControlSpec& item)
{
    QRect r = widget->geometry();
    auto* label = qobject_cast<QLabel*>(widget);
    const bool wraps = label != nullptr && label->wordWrap();
    if (wraps) {
        // A word wider than the rectangle cannot wrap: the text widens to hold it.
        int widest = 0;
        for (const QString& word : label->text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(word) + 2 * label->margin());
        if (widest > r.width())
            r.setWidth(std::min(widest, width() - r.x()));
        const int needed = label->heightForWidth(r.width());
        if (needed > r.height())
            r.setHeight(std::min(needed, height() - r.y()));
    } else if (label != nullptr || item.kind == ControlKind::CheckBox || item.kind == ControlKind::RadioButton) {
        const int needed = widget->sizeHint().width();
        if (needed > r.width())
            r.setWidth(std::min(needed, width() - r.x()));
    }
    widget->setGeometry(r);
}

void TemplateDialog::build(const DialogTemplate& t, const PictureFactory& pictures)
{
    setFixedSize(dialogUnitsToPixelsX(t.width, base_), dialogUnitsToPixelsY(t.height, base_));

    QButtonGroup* radioGroup = nullptr;
    for (const ControlSpec& item : t.controls) {
        const QString text = QString::fromStdString(item.text);
        QWidget* widget = nullptr;
        switch (item.kind) {
        case ControlKind::Static: {
            auto* label = new QLabel(text, this);
            Qt::Alignment align = Qt::AlignTop;
            align |= (item.style & AlignCenter)  ? Qt::AlignHCenter
                     : (item.style & AlignRight) ? Qt::AlignRight
                                                 : Qt::AlignLeft;
            label->setAlignment(align);
            label->setWordWrap(!(item.style & NoWrap));
            label->setTextFormat(Qt::PlainText);
            widget = label;
            break;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(text, this);
            if (item.maxChars > 0)
                edit->setMaxLength(item.maxChars);
            edit->setReadOnly(item.style & ReadOnly);
            edit->setValidator(new SingleByteValidator(edit));
            widget = edit;
            break;
        }
        case ControlKind::MultiLineEdit: {
            auto* edit = new QPlainTextEdit(text, this);
            edit->setTabChangesFocus(true);
            widget = edit;
            break;
        }
        case ControlKind::CheckBox:
            widget = new QCheckBox(text, this);
            break;
        case ControlKind::RadioButton: {
            auto* radio = new QRadioButton(text, this);
            // Radio buttons form one group from a GroupStart button up to the next.
            if (item.style & GroupStart || radioGroup == nullptr) {
                radioGroup = new QButtonGroup(this);
                radioGroup->setExclusive(true);
            }
            radioGroup->addButton(radio);
            widget = radio;
            break;
        }
        case ControlKind::PushButton:
        case ControlKind::DefaultButton: {
            auto* button = new QPushButton(text, this);
            button->setAutoDefault(true);
            button->setDefault(item.kind == ControlKind::DefaultButton);
            widget = button;
            break;
        }
        case ControlKind::GroupBox:
            widget = new QGroupBox(text, this);
            break;
        case ControlKind::ListBox: {
            auto* list = new QListWidget(this);
            if (item.style & MultiColumn) {
                list->setFlow(QListView::TopToBottom);
                list->setWrapping(true);
            }
            widget = list;
            break;
        }
        case ControlKind::Picture:
            widget = pictures ? pictures(item, this) : new QWidget(this);
            break;
        }
        widget->setGeometry(pixelRect(item.place));
        if (!item.text.empty())
            fitFixedText(widget, item);
        if (item.id != 0)
            controls_.insert(item.id, widget);
    }
}
