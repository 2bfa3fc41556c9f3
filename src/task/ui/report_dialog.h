#pragma once
// The results report at the end of a run: the subject number and, per session, the
// combinations sorted in each half beside their mean latency, error rate and N.
// Closes on OK, Enter or Escape.

#include <QRect>
#include <QString>

#include <string_view>
#include <vector>

#include "common/ui/template_dialog.h"

class ScoreTable;

class ReportDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId {
        OkId = 1,
        SubjectCaptionId = 2,
        HeadingFrameId = 3,
        QavId = 4,
        TaskNameId = 5,
        MeanLatencyId = 6,
        ErrorRateId = 7,
        NId = 8,
        ColumnsFrameId = 9,
        NoteId = 10,
        SubjectId = 1250,
        LeftColumnId = 1249,
        RightColumnId = 1251,
    };

    explicit ReportDialog(QWidget* parent = nullptr);

    // The columns are the finished score table's texts (single-byte).
    void setReport(int subjectNumber, std::string_view leftColumn, std::string_view rightColumn);

    // The right column as it is drawn: a row per line, a cell per text between runs
    // of spaces, each centred under its heading (Mean Latency, Error Rate, N) inside
    // the column, so that a column stands still whatever the widths beside it.
    struct Cell {
        QString text;
        QRect rect;  // the text's rectangle, in the dialog's coordinates
    };
    std::vector<Cell> rightColumnCells() const;

    // Shows the finished table's report modally until OK.
    static void showReport(int subjectNumber, const ScoreTable& scores, QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
