#include "task/ui/task_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QWindow>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <cmath>
#include <cstdlib>
#include <functional>

#include "common/ui/display_system.h"
#include "common/ui/screen_host.h"
#include "platform/screen_geometry.h"

const QColor TaskWindow::background(255, 255, 255);
const QColor TaskWindow::pair1Text(0, 0, 0);
const QColor TaskWindow::pair2Text(0, 0, 0);
const QColor TaskWindow::correctFeedback(0, 255, 0);
const QColor TaskWindow::errorFeedback(255, 0, 0);

namespace {

QColor textColour(TextColour colour)
{
    return colour == TextColour::Pair1 ? TaskWindow::pair1Text : TaskWindow::pair2Text;
}

}  // namespace

TaskArea::TaskArea(QWidget* parent, const QFont& font, QColor background) : QWidget(parent), background_(background)
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

void TaskArea::setContent(const QString& text, QColor colour)
{
    text_ = text;
    colour_ = colour;
}

void TaskArea::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintContent(p, text_, colour_);
}

void TaskArea::paintContent(QPainter& p, const QString& text, QColor colour) const
{
    p.fillRect(rect(), background_);
    if (text.isEmpty())
        return;
    p.setFont(font());
    p.setPen(colour);
    // Centred at the top; a text wider than the area is cut at its edges.
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(text);
    p.drawText(QPoint(this->width() / 2 - width / 2, metrics.ascent()), text);
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

const DialogTemplate& TaskWindow::dialogTemplate()
{
    static const DialogTemplate t{"",
                                  230,
                                  142,
                                  14,
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

TaskWindow::TaskWindow(AcceleratorSlot& slot, Pointer& pointer, Clock& clock, const QFont& taskFont, QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent,
                     [taskFont](const ControlSpec&, QWidget* p) { return new TaskArea(p, taskFont, background); }),
      slot_(slot),
      clock_(clock)
{
    engine_ = std::make_unique<BlockEngine>(*this, clock, pointer, random_, calendar_);
    QPalette p = palette();
    p.setColor(QPalette::Window, background);
    setPalette(p);
    setAutoFillBackground(true);
    // The word area is a window of its own on X11, on which its pictures can be
    // presented at a refresh.
    if (onX11Platform())
        area(WordId)->setAttribute(Qt::WA_NativeWindow);
    // The participant works with the keys only: the buttons are flat and disabled.
    for (int id : {StartId, LeftId, RightId}) {
        auto* button = control<QPushButton>(id);
        button->setFlat(true);
        button->setEnabled(false);
        button->setFocusPolicy(Qt::NoFocus);
    }
    control<QLabel>(InstructionId)->setFont(font());
    setCursor(Qt::BlankCursor);
    // A title bar at most, without buttons: nothing the participant clicks hides or
    // closes the window.
    if (isWindow())
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

TaskWindow::~TaskWindow() = default;

namespace {

// Handles events until done() holds or the time is up; whether it holds.
bool waitFor(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() >= milliseconds)
            return false;
        // Keys wait in the queue until the block is open.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    }
    return true;
}

}  // namespace

void TaskWindow::showCentred()
{
    if (!isWindow()) {
        // Drawn in the full-screen frame, which centres it as it is shown.
        show();
        raise();
        return;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    const auto centredFrame = [&] {
        return screen->geometry().center() - QRect(QPoint(), frameGeometry().size()).center();
    };
    if (screen)
        move(centredFrame());
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    if (!screen)
        return;
    // Once the window is mapped a window manager has framed it, and its frame is
    // known: the frame, not the window inside it, is centred (with no window manager
    // the two are one). Generous time-outs: a slow desktop only delays the START screen.
    waitUntilExposed(this, 3000);
    const QPoint target = centredFrame();
    if (frameGeometry().topLeft() != target) {
        move(target);
        waitFor([&] { return frameGeometry().topLeft() == target; }, 1000);
    }
}

BlockRun TaskWindow::runBlock(const BlockSettings& settings, TrialResults* results)
{
    slot_.target = this;
    setResult(-1);
    showCentred();
    // The server's clock against ours, for this block's key stamps: under the X11
    // platform only, where the key events carry the X server's time.
    if (!serverClockOpened_)
        serverClock_ = openServerClock();
    serverClockOpened_ = true;
    engine_->setServerClock(calibrate(serverClock_.get()));
    openPresenter();
    // On Wayland no round trip tells the compositor's clock: the block's first key with
    // a stamp that fits one of the clocks tells it, START first.
    findingKeyClock_ = onWaylandPlatform();
    keyClock_.reset();
    const BlockRun run = conductBlock(*engine_, settings, results, [this] {
        running_ = true;
        while (running_) {
            // The event loop sleeps until input arrives: a key's time is its own stamp,
            // so the wake-up is not in the latency, and at real-time priority a thread
            // that polled without sleeping would be throttled by the kernel.
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
    });
    // The word's subsurface lies over the frame, not over this window: off first.
    if (presenter_)
        presenter_->withdraw();
    hide();
    return run;
}

void TaskWindow::openPresenter()
{
    if (!presenterOpened_)
        presenter_ = openWordPresenter(area(WordId), presenterWhy_);
    presenterOpened_ = true;
    refreshes_ = RefreshClock();
    if (!presenter_)
        return;
    // Two refreshes tell the interval; a display that reports none is not presented on.
    for (int k = 0; k < 2 && presenter_; ++k) {
        if (const std::optional<Refresh> refresh = presenter_->nextRefresh(clock_.nowMicroseconds() + 200'000))
            refreshes_.observe(*refresh);
        else
            presenter_.reset();
    }
    if (!presenter_)
        presenterWhy_ = "the display stopped reporting refreshes";
}

OnsetSource TaskWindow::onsetSource() { return presenter_ ? presenter_->source() : OnsetSource::AfterDrawing; }

std::string TaskWindow::keyClockName()
{
    // X11 stamps are the X server's milliseconds; a Wayland compositor's are on the
    // clock found from the block's keys.
    if (keyClock_)
        return describe(*keyClock_);
    return onX11Platform() ? "X server" : "key stamps";
}

const RefreshClock* TaskWindow::refreshClock() { return presenter_ ? &refreshes_ : nullptr; }

std::int64_t TaskWindow::presentationLead()
{
    return presenter_ ? presenter_->leadMicroseconds() : presentationLeadMicroseconds;
}

void TaskWindow::prepareWords(const std::vector<PlannedWord>& words)
{
    prepared_ = words;
    preparedTexts_.clear();
    for (const PlannedWord& word : words)
        preparedTexts_.push_back(fromSingleByte(word.text));
    if (!presenter_)
        return;
    TaskArea* wordArea = area(WordId);
    const double ratio = wordArea->devicePixelRatioF();
    QImage picture(wordArea->size() * ratio, QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    bool made = presenter_->prepare(static_cast<int>(words.size()), picture.width(), picture.height());
    for (std::size_t i = 0; made && i < words.size(); ++i) {
        {
            QPainter painter(&picture);
            wordArea->paintContent(painter, preparedTexts_[i], textColour(words[i].colour));
        }
        made = presenter_->upload(static_cast<int>(i), reinterpret_cast<const std::uint32_t*>(picture.constBits()),
                                  static_cast<int>(picture.bytesPerLine()));
    }
    if (!made) {
        presenter_.reset();
        presenterWhy_ = "the display refused the word pictures";
    }
}

Presentation TaskWindow::presentWord(int index, Refresh target)
{
    const PlannedWord& word = prepared_.at(static_cast<std::size_t>(index));
    if (presenter_) {
        area(WordId)->setContent(preparedTexts_[static_cast<std::size_t>(index)], textColour(word.colour));
        const double interval = refreshes_.known() ? refreshes_.intervalMicroseconds() : 16'667;
        const std::int64_t from = target.count != 0 ? target.time : clock_.nowMicroseconds();
        const std::int64_t deadline = from + static_cast<std::int64_t>(interval * (mostRefreshesToWaitForReport + 0.5));
        if (const std::optional<Refresh> shown = presenter_->present(index, target, deadline)) {
            refreshes_.observe(*shown);
            if (target.count == 0)
                return {shown->time, false, 0, shown->count};
            return {shown->time, shown->count > target.count, std::max<std::int64_t>(0, shown->time - target.time),
                    shown->count};
        }
    }
    // No report: drawn and timed as where there are none.
    drawWord(word.text, word.colour);
    return {clock_.nowMicroseconds(), true, 0};
}

void TaskWindow::clearAreas()
{
    if (presenter_)
        presenter_->withdraw();
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
    // A presented word may lie over the area (natively on Wayland): off before Qt draws.
    if (presenter_)
        presenter_->withdraw();
    area(WordId)->draw(fromSingleByte(word), textColour(colour));
    // The onset is read when this returns: first the display server has carried out the
    // drawing (one round trip on Qt's own connection, which sends what it holds).
    waitUntilDrawn();
}

void TaskWindow::drawFeedback(bool correct)
{
    area(FeedbackId)
        ->draw(correct ? QStringLiteral("O") : QStringLiteral("X"), correct ? correctFeedback : errorFeedback);
}

WindowGeometry TaskWindow::windowGeometry()
{
    if (!isWindow()) {
        // Drawn in the full-screen frame: in its surface's coordinates, the pointer's on
        // a display system without global ones (the frame's own, scaled by Qt's factor).
        const QRect frame = ScreenHost::outerRect(this);
        const QRect monitor = parentWidget()->rect();
        const double scale = qtScaleFactor(parentWidget());
        return {toDevicePixels(frame.left(), frame.top(), frame.width(), frame.height(), {}, scale),
                static_cast<int>(std::lround(control(StartId)->height() * scale)),
                toDevicePixels(monitor.left(), monitor.top(), monitor.width(), monitor.height(), {}, scale), 0};
    }
    // The frame as it stands and the primary monitor, in the display server's device
    // pixels, which the pointer uses: scaled by the window's device pixel ratio.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect monitor = screen ? screen->geometry() : QRect(QPoint(), size());
    const double ratio = windowHandle() ? windowHandle()->devicePixelRatio() : devicePixelRatioF();
    const ScreenPoint origin{monitor.left(), monitor.top()};
    const QRect frame = frameGeometry();
    return {toDevicePixels(frame.left(), frame.top(), frame.width(), frame.height(), origin, ratio),
            static_cast<int>(std::lround(control(StartId)->height() * ratio)),
            toDevicePixels(monitor.left(), monitor.top(), monitor.width(), monitor.height(), origin, ratio),
            static_cast<std::uint64_t>(winId())};
}

void TaskWindow::closeWindow(BlockEnd end)
{
    setResult(static_cast<int>(end));
    running_ = false;
}

// Nothing but the skip key ends a block early: Keypad Enter sits beside the right
// response key, and a stray press must not throw the block away. So Escape (which
// QDialog turns into reject), Enter and the window manager's close command do
// nothing while a block runs.
void TaskWindow::reject() {}

// The window is shown only while it runs a block.
void TaskWindow::closeEvent(QCloseEvent* event)
{
    if (isVisible())
        event->ignore();
    else
        TemplateDialog::closeEvent(event);
}

void TaskWindow::keyPressEvent(QKeyEvent* event)
{
    // The participant's keys arrive as commands; every key that reaches the window,
    // Enter and Escape among them, does nothing (QDialog's own handling would press
    // the default button or reject).
    event->accept();
}

bool TaskWindow::event(QEvent* event)
{
    if (event->type() == CommandEvent::eventType()) {
        const auto* command = static_cast<CommandEvent*>(event);
        if (findingKeyClock_ && command->stamp()) {
            if (const std::optional<FoundKeyClock> found = findKeyClock(*command->stamp(), readKeyHandlingClocks())) {
                engine_->setServerClock(found->calibration);
                keyClock_ = found->clock;
                findingKeyClock_ = false;
            }
        }
        engine_->key(command->command(), command->stamp());
        return true;
    }
    return TemplateDialog::event(event);
}
