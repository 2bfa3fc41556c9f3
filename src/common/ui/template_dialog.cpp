#include "common/ui/template_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QValidator>
#include <QRadioButton>

#include <algorithm>
#include <utility>
#include <vector>

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

// The look of the controls a table makes, drawn so that each control's content stays
// inside its own box, as the tables were laid out for:
// - a radio or check indicator is no taller than its box (and, without a text, no
//   wider), centred in a box without a text, with a narrow gap before the text;
// - a push button's bevel stands one pixel inside its box, so buttons placed edge to
//   edge do not touch;
// - a frame's line runs through the middle of its title, the title erasing it, and
//   the contents start below the title and inside the line.
class TableControlStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        const int base = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
            return indicatorSide(base, widget);
        case PM_CheckBoxLabelSpacing:
        case PM_RadioButtonLabelSpacing:
            return std::min(base, indicatorTextGap);
        default:
            return base;
        }
    }

    QRect subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const override
    {
        switch (element) {
        case SE_RadioButtonIndicator:
        case SE_CheckBoxIndicator: {
            QRect r = QProxyStyle::subElementRect(element, option, widget);
            const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
            if (button != nullptr && button->text.isEmpty())
                r.moveLeft(option->rect.x() + (option->rect.width() - r.width()) / 2);
            return r;
        }
        case SE_PushButtonBevel:
            return bevel(option);
        case SE_PushButtonContents:
        case SE_PushButtonFocusRect: {
            QStyleOptionButton inner;
            if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option))
                inner = *button;
            else
                inner.QStyleOption::operator=(*option);
            inner.rect = bevel(option);
            return QProxyStyle::subElementRect(element, &inner, widget);
        }
        default:
            return QProxyStyle::subElementRect(element, option, widget);
        }
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        if (element == CE_PushButtonBevel && button != nullptr) {
            QStyleOptionButton inner = *button;
            inner.rect = bevel(option);
            QProxyStyle::drawControl(element, &inner, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override
    {
        const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || group == nullptr)
            return QProxyStyle::subControlRect(control, option, part, widget);
        const QRect all = group->rect;
        const QFontMetrics& metrics = group->fontMetrics;
        const bool titled = !group->text.isEmpty();
        const QRect title(all.x() + metrics.averageCharWidth(), all.y(),
                          metrics.horizontalAdvance(group->text) + 2 * titlePadding, metrics.height());
        const QRect frame = all.adjusted(0, titled ? metrics.height() / 2 : 0, 0, 0);
        switch (part) {
        case SC_GroupBoxLabel:
            return titled ? title : QRect();
        case SC_GroupBoxFrame:
            return frame;
        case SC_GroupBoxContents: {
            QRect inside = frame.adjusted(frameLine, frameLine, -frameLine, -frameLine);
            if (titled)
                inside.setTop(std::max(inside.top(), title.bottom() + 1));
            return inside;
        }
        default:
            return QRect();
        }
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || group == nullptr) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        // An etched line: a dark rectangle with a light one a pixel to the lower right.
        const QRect frame = subControlRect(control, option, SC_GroupBoxFrame, widget);
        const QRect title = subControlRect(control, option, SC_GroupBoxLabel, widget);
        painter->save();
        QRegion around(group->rect);
        if (title.isValid())
            around -= title;
        painter->setClipRegion(around);
        painter->setPen(group->palette.color(QPalette::Mid));
        painter->drawRect(frame.adjusted(0, 0, -2, -2));
        painter->setPen(group->palette.color(QPalette::Light));
        painter->drawRect(frame.adjusted(1, 1, -1, -1));
        painter->restore();
        if (title.isValid())
            drawItemText(painter, title.adjusted(titlePadding, 0, -titlePadding, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, group->palette,
                         group->state & State_Enabled, group->text, QPalette::WindowText);
    }

private:
    static constexpr int indicatorTextGap = 4;  // pixels between an indicator and its text
    static constexpr int titlePadding = 2;      // pixels of erased line beside a frame's title
    static constexpr int frameLine = 2;         // the etched line's width

    static int indicatorSide(int base, const QWidget* widget)
    {
        const auto* button = qobject_cast<const QAbstractButton*>(widget);
        if (button == nullptr || button->height() <= 0)
            return base;
        // A pixel free above and below the indicator, and beside it without a text.
        int side = std::min(base, button->height() - 2);
        if (button->text().isEmpty())
            side = std::min(side, button->width() - 2);
        return std::max(side, 1);
    }

    static QRect bevel(const QStyleOption* option)
    {
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        if (button != nullptr && (button->features & QStyleOptionButton::Flat))
            return option->rect;
        return option->rect.adjusted(1, 1, -1, -1);
    }
};

// The width a single-line text covers when drawn.
int textWidth(const QFontMetrics& metrics, const QString& text)
{
    return metrics.boundingRect(QRect(), Qt::TextSingleLine, text).width();
}

// The one style of every control a table makes, a proxy of the application's style.
QStyle* tableControlStyle()
{
    static QPointer<TableControlStyle> style;
    if (style.isNull()) {
        style = new TableControlStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(qApp);
    }
    return style;
}

// The room inside a frame, in its dialog's coordinates: below the title and inside the
// line, a pixel clear of both.
QRect frameContents(const QGroupBox* frame)
{
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.rect = QRect(QPoint(0, 0), frame->size());
    return frame->style()
        ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, frame)
        .translated(frame->pos())
        .adjusted(1, 1, -1, -1);
}

// The index of the innermost frame (GroupBox) of t whose rectangle holds the rectangle
// of control index, or -1.
int enclosingFrame(const DialogTemplate& t, std::size_t index)
{
    const DialogRect& p = t.controls[index].place;
    int found = -1;
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlSpec& frame = t.controls[i];
        const DialogRect& f = frame.place;
        if (i == index || frame.kind != ControlKind::GroupBox)
            continue;
        const bool inside = p.x >= f.x && p.y >= f.y && p.x + p.width <= f.x + f.width &&
                            p.y + p.height <= f.y + f.height;
        // The innermost frame: the smallest one around it.
        if (inside &&
            (found < 0 || f.width * f.height < t.controls[found].place.width * t.controls[found].place.height))
            found = static_cast<int>(i);
    }
    return found;
}

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
// right, a wrapped text grows downward, each only as far as the inside of the frame
// around it, else the dialog's edge. Texts set later (page texts, labels from files)
// keep their rectangles and are cut there.
void TemplateDialog::fitFixedText(QWidget* widget, const ControlSpec& item, const QRect& room)
{
    QRect r = widget->geometry();
    auto* label = qobject_cast<QLabel*>(widget);
    const bool wraps = label != nullptr && label->wordWrap();
    if (wraps) {
        // A word wider than the rectangle cannot wrap: the text widens to hold it, with
        // the parts of its letters that reach beyond their advance.
        int widest = 0;
        for (const QString& word : label->text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
            widest = std::max(widest, textWidth(label->fontMetrics(), word) + 2 * label->margin());
        if (widest > r.width())
            r.setWidth(std::min(widest, room.right() + 1 - r.x()));
        const int needed = label->heightForWidth(r.width());
        if (needed > r.height())
            r.setHeight(std::min(needed, room.bottom() + 1 - r.y()));
    } else if (label != nullptr) {
        const int needed = widget->sizeHint().width();
        if (needed > r.width())
            r.setWidth(std::min(needed, room.right() + 1 - r.x()));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget);
               item.kind == ControlKind::CheckBox || item.kind == ControlKind::RadioButton) {
        // The indicator, its gap and the text, as the style places them.
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const bool radio = item.kind == ControlKind::RadioButton;
        const QRect contents = button->style()->subElementRect(radio ? QStyle::SE_RadioButtonContents
                                                                     : QStyle::SE_CheckBoxContents,
                                                               &option, button);
        const int needed = contents.x() - option.rect.x() + textWidth(button->fontMetrics(), button->text());
        if (needed > r.width())
            r.setWidth(std::min(needed, room.right() + 1 - r.x()));
    }
    widget->setGeometry(r);
}

void TemplateDialog::build(const DialogTemplate& t, const PictureFactory& pictures)
{
    setFixedSize(dialogUnitsToPixelsX(t.width, base_), dialogUnitsToPixelsY(t.height, base_));

    QButtonGroup* radioGroup = nullptr;
    std::vector<QWidget*> made;
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
        widget->setStyle(tableControlStyle());
        widget->setGeometry(pixelRect(item.place));
        made.push_back(widget);
        if (item.id != 0)
            controls_.insert(item.id, widget);
    }

    // The fixed texts fit once every frame is made: a text inside a frame stays inside it.
    const QRect dialogRoom(0, 0, width(), height());
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlSpec& item = t.controls[i];
        if (item.text.empty() || item.kind == ControlKind::GroupBox)
            continue;
        QRect room = dialogRoom;
        if (const int frame = enclosingFrame(t, i); frame >= 0)
            room = frameContents(static_cast<QGroupBox*>(made[frame]));
        fitFixedText(made[i], item, room);
    }
}
