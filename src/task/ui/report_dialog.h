#pragma once
// The results report at the end of a run: the subject number and, per session, the
// combinations sorted in each half beside their mean latency, error rate and N.
// Closes on OK, Enter or Escape.

#include <string_view>

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

    // Shows the finished table's report modally until OK.
    static void showReport(int subjectNumber, const ScoreTable& scores, QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();
};
