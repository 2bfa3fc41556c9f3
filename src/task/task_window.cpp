#include "task/task_window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>


const QColor TaskWindow::background(255, 255, 255);
const QColor TaskWindow::pair1Text(0, 0, 0);
const QColor TaskWindow::pair2Text(0, 0, 0);
const QColor TaskWindow::correctFeedback(0, 255, 0);
const QColor TaskWindow::errorFeedback(255, 0, 0);

TaskArea::TaskArea(QWidget* parent, const QFont& font, QColor background)
    : QWidget(parent), background_(background)
{
    setFont(font);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TaskArea::draw(const QString& text, QColor colour)
{
    text_ = text;
    colour_ = colour;
    repaint();
}

void TaskArea::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), background_);
    if (text_.isEmpty())
        return;
    p.setPen(colour_);
    // Centred at the top; a text wider than the area is cut at its edges.
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(text_);
    p.drawText(QPoint(this->width() / 2 - width / 2, metrics.ascent()), text_);
}

QFont makeTaskFont(int averageCharWidth)
{
    QFont best = dialogFont(10);
    int bestDistance = 1 << 30;
    for (int pixels = 6; pixels <= 80; ++pixels) {
        QFont f = dialogFont(10);
        f.setPixelSize(pixels);
        f.setWeight(QFont::Normal);
        f.setStyleStrategy(QFont::PreferQuality);
        const int distance = std::abs(baseUnitsOf(f).averageCharWidth - averageCharWidth);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = f;
        }
    }
    return best;
}

const DialogTemplate& TaskWindow::layout()
{
    static const DialogTemplate t{
        "", 230, 142, 14,
        {
            {ControlKind::Static, InstructionId, "", {12, 6, 205, 42}, AlignCenter},
            {ControlKind::Picture, UpperLeftId, "", {19, 58, 62, 8}},
            {ControlKind::Picture, UpperRightId, "", {151, 57, 61, 8}},
            {ControlKind::Picture, LowerLeftId, "", {19, 73, 62, 8}},
            {ControlKind::Picture, LowerRightId, "", {151, 73, 61, 8}},
            {ControlKind::Picture, WordId, "", {86, 65, 61, 8}},
            {ControlKind::Picture, FeedbackId, "", {108, 77, 14, 8}},
            {ControlKind::DefaultButton, StartId, "", {7, 136, 216, 6}},
            {ControlKind::PushButton, LeftId, "", {0, 136, 6, 6}},
            {ControlKind::PushButton, RightId, "", {224, 136, 6, 6}},
        }};
    return t;
}

TaskWindow::TaskWindow(AcceleratorSlot& slot, Pointer& pointer, Clock& clock, const QFont& taskFont,
                       QWidget* parent)
    : TemplateDialog(layout(), parent,
                     [taskFont](const ControlSpec&, QWidget* p) { return new TaskArea(p, taskFont, background); }),
      slot_(slot)
{
    engine_ = std::make_unique<BlockEngine>(*this, clock, pointer, random_, calendar_);
    QPalette p = palette();
    p.setColor(QPalette::Window, background);
    setPalette(p);
    setAutoFillBackground(true);
    // The participant works with the keys only: the buttons are flat and disabled.
    for (int id : {StartId, LeftId, RightId}) {
        auto* button = control<QPushButton>(id);
        button->setFlat(true);
        button->setEnabled(false);
        button->setFocusPolicy(Qt::NoFocus);
    }
    control<QLabel>(InstructionId)->setFont(font());
    setCursor(Qt::BlankCursor);
}

TaskWindow::~TaskWindow() = default;

int TaskWindow::runBlock(const BlockSettings& settings)
{
    slot_.target = this;
    setResult(-1);
    // Centred on the screen that the pointer is confined to.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    engine_->open(settings);

    running_ = true;
    while (running_) {
        const auto state = engine_->state();
        const bool wordWaits = state == BlockEngine::State::WordShown || state == BlockEngine::State::Correcting;
        // A sleeping event loop adds the processor's wake-up time to a latency:
        // while a word waits, poll for input instead.
        if (polling_ && wordWaits)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        else
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    hide();
    return engine_->result();
}

void TaskWindow::clearAreas()
{
    for (int id : {UpperLeftId, UpperRightId, LowerLeftId, LowerRightId, WordId, FeedbackId})
        area(id)->draw(QString(), pair1Text);
}

void TaskWindow::showInstruction(std::string_view text)
{
    auto* label = control<QLabel>(InstructionId);
    const QString shown = fromSingleByte(text);
    if (label->text() != shown) {
        label->setText(shown);
        label->repaint();
    }
}

void TaskWindow::drawLabels(const std::array<std::string, 4>& labels)
{
    const int ids[4] = {UpperLeftId, UpperRightId, LowerLeftId, LowerRightId};
    for (int k = 0; k < 4; ++k)
        area(ids[k])->draw(fromSingleByte(labels[k]), k < 2 ? pair1Text : pair2Text);
}

void TaskWindow::drawWord(std::string_view word, TextColour colour)
{
    area(WordId)->draw(fromSingleByte(word), colour == TextColour::Pair1 ? pair1Text : pair2Text);
}

void TaskWindow::drawFeedback(bool correct)
{
    area(FeedbackId)->draw(correct ? QStringLiteral("O") : QStringLiteral("X"),
                           correct ? correctFeedback : errorFeedback);
}

WindowGeometry TaskWindow::windowGeometry()
{
    const QRect frame = frameGeometry();
    const int h = control(StartId)->height();
    return {{0, 0, frame.width(), frame.height()}, h};
}

void TaskWindow::closeWindow(int result)
{
    setResult(result);
    running_ = false;
}

void TaskWindow::reject()
{
    // Escape and the close box are the Cancel command.
    engine_->close(2);
}

void TaskWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: engine_->close(1); break;
    case Qt::Key_Escape: engine_->close(2); break;
    default: break;  // every other key does nothing
    }
}

bool TaskWindow::event(QEvent* event)
{
    if (event->type() == CommandEvent::eventType()) {
        engine_->key(static_cast<CommandEvent*>(event)->command());
        return true;
    }
    return TemplateDialog::event(event);
}
