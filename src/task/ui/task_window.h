#pragma once
// The task window: the screen on which one block of the categorization task runs.
// A thin view over the BlockEngine: it draws what the engine asks, straight into
// its areas with a synchronous repaint, and hands the participant's keys (arriving
// as commands through the accelerator target slot) to the engine.

#include <QColor>
#include <QPainter>
#include <QFont>
#include <QWidget>

#include <memory>
#include <optional>

#include "common/ui/accelerator_slot.h"
#include "common/ui/template_dialog.h"
#include "task/block_engine.h"

// One drawing area: a rectangle filled with the background, its text drawn at the
// horizontal centre and the top, clipped to the rectangle.
class TaskArea : public QWidget {
    Q_OBJECT
public:
    TaskArea(QWidget* parent, const QFont& font, QColor background);
    // Sets the text and colour and repaints at once.
    void draw(const QString& text, QColor colour);
    // Sets the text and colour that a repaint draws, without repainting: for a picture
    // of them shown otherwise (presented), so that an expose draws the same.
    void setContent(const QString& text, QColor colour);
    // Draws text in colour over the background as the area shows it, on painter (the
    // area's size).
    void paintContent(QPainter& painter, const QString& text, QColor colour) const;
    const QString& text() const { return text_; }
    QColor colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QColor colour_;
    QColor background_;
};

// The run's font: the sans-serif face at the pixel size whose average character
// width is closest to averageCharWidth, normal weight.
QFont makeTaskFont(int averageCharWidth = 10);

class TaskWindow : public TemplateDialog, public TaskView {
    Q_OBJECT
public:
    enum ControlId {
        InstructionId = 1008,
        UpperLeftId = 1012,
        UpperRightId = 1014,
        LowerLeftId = 1013,
        LowerRightId = 1015,
        WordId = 1011,
        FeedbackId = 1078,
        StartId = 1052,
        LeftId = 7,
        RightId = 6,
    };

    static const QColor background;
    static const QColor pair1Text;
    static const QColor pair2Text;
    static const QColor correctFeedback;
    static const QColor errorFeedback;

    TaskWindow(AcceleratorSlot& slot, Pointer& pointer, Clock& clock, const QFont& taskFont, QWidget* parent = nullptr);
    ~TaskWindow() override;

    static const DialogTemplate& dialogTemplate();

    BlockEngine& engine() { return *engine_; }
    // The clock the last block's key stamps were found on (natively on Wayland);
    // nothing where they were not, or elsewhere.
    std::optional<KeyClock> keyClock() const { return keyClock_; }
    // Why the words are not presented at refreshes (empty when they are, or before the
    // first block).
    const std::string& presenterWhy() const { return presenterWhy_; }

    // Shows the window for one block, conducts it (recording in results, none for a
    // tutorial part) and returns when it closes, completed or ended early with Alt+K.
    // Enter, Escape and the close command do not end a block.
    BlockRun runBlock(const BlockSettings& settings, TrialResults* results);

    TaskArea* area(int id) const { return control<TaskArea>(id); }

    // TaskView
    OnsetSource onsetSource() override;
    const RefreshClock* refreshClock() override;
    std::string keyClockName() override;
    std::int64_t presentationLead() override;
    void prepareWords(const std::vector<PlannedWord>& words) override;
    Presentation presentWord(int index, Refresh target) override;
    void clearAreas() override;
    void showInstruction(std::string_view text) override;
    void drawLabels(const std::array<std::string, 4>& labels) override;
    void drawWord(std::string_view word, TextColour colour) override;
    void drawFeedback(bool correct) override;
    WindowGeometry windowGeometry() override;
    void closeWindow(BlockEnd end) override;

public slots:
    // Does nothing: Alt+K is the one way to end a block early.
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Shows the window with its outer frame centred on the primary monitor.
    void showCentred();
    // Opens the word area's presenter with the first block, and learns the display's
    // refreshes at every block; without them the block's words are drawn.
    void openPresenter();

    AcceleratorSlot& slot_;
    CRandomGenerator random_;
    SystemCalendarTime calendar_;
    std::unique_ptr<BlockEngine> engine_;
    // The X server's round trips, under the X11 platform; opened with the first block.
    std::unique_ptr<ServerClock> serverClock_;
    bool serverClockOpened_ = false;
    // Natively on Wayland the key stamps' clock is found from the block's keys.
    bool findingKeyClock_ = false;
    std::optional<KeyClock> keyClock_;
    bool running_ = false;
    Clock& clock_;
    // The word area presented at refreshes (where the display reports them).
    std::unique_ptr<WordPresenter> presenter_;
    bool presenterOpened_ = false;
    std::string presenterWhy_;  // why there is none
    RefreshClock refreshes_;
    std::vector<PlannedWord> prepared_;
    std::vector<QString> preparedTexts_;  // converted before the first word
};
