#include "task/ui/report_dialog.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>

#include "task/score_table.h"

const DialogTemplate& ReportDialog::dialogTemplate()
{
    // The two columns do not wrap: line k of the left column stands beside line k of
    // the right one, both in the dialog font from the same top.
    static const DialogTemplate t{
        "TRUV Report",
        393,
        247,
        8,
        {
            {ControlKind::DefaultButton, OkId, "OK", {325, 12, 50, 20}},
            {ControlKind::Static, SubjectCaptionId, "Subject:", {7, 7, 29, 8}},
            {ControlKind::Static, SubjectId, "", {37, 7, 28, 8}},
            {ControlKind::GroupBox, HeadingFrameId, "", {9, 20, 283, 31}},
            {ControlKind::Static, QavId, "QAV", {13, 31, 14, 8}},
            {ControlKind::Static, TaskNameId, "Category Judgment Task", {36, 31, 108, 10}},
            {ControlKind::Static, MeanLatencyId, "Mean Latency", {189, 30, 35, 17}, AlignCenter},
            {ControlKind::Static, ErrorRateId, "Error Rate", {227, 30, 20, 17}, AlignCenter},
            {ControlKind::Static, NId, "N", {260, 33, 8, 8}},
            {ControlKind::GroupBox, ColumnsFrameId, "", {7, 58, 286, 182}},
            {ControlKind::Static, LeftColumnId, "", {13, 68, 178, 166}, NoWrap},
            {ControlKind::Static, RightColumnId, "", {201, 68, 86, 166}, NoWrap},
            {ControlKind::Static,
             NoteId,
             "Note: Latencies greater than 3000 ms were recoded as 3000 ms, and latencies less than 300 ms were "
             "recoded as 300 ms.  First two trials of each block were excluded.  ",
             {303, 118, 72, 71}},
        }};
    return t;
}

ReportDialog::ReportDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &QDialog::accept);
    control(OkId)->setFocus();
    // The right column keeps its text and is drawn as cells.
    control(RightColumnId)->installEventFilter(this);
}

std::vector<ReportDialog::Cell> ReportDialog::rightColumnCells() const
{
    const auto* column = control<QLabel>(RightColumnId);
    const QFontMetrics metrics = column->fontMetrics();
    // The horizontal centre of a heading's text as its label draws it.
    const auto centreOf = [this](int id) {
        const auto* heading = control<QLabel>(id);
        const QRect box = heading->geometry();
        if (heading->alignment() & Qt::AlignHCenter)
            return box.x() + box.width() / 2;
        return box.x() + heading->fontMetrics().horizontalAdvance(heading->text()) / 2;
    };
    const int centres[] = {centreOf(MeanLatencyId), centreOf(ErrorRateId), centreOf(NId)};
    const QRect box = column->geometry();
    std::vector<Cell> cells;
    static const QRegularExpression spaces(QStringLiteral(" +"));
    const QStringList lines = column->text().split(QLatin1Char('\n'));
    // A row stands where the column's own text would put its line, beside the same
    // line of the left column.
    const auto topOf = [&](int row) {
        if (row == 0)
            return 0;
        const QString above = lines.mid(0, row).join(QLatin1Char('\n'));
        return metrics.boundingRect(QRect(0, 0, box.width(), 1 << 16), Qt::AlignLeft | Qt::AlignTop, above).height();
    };
    for (int row = 0; row < lines.size(); ++row) {
        const QStringList texts = lines[row].split(spaces, Qt::SkipEmptyParts);
        for (int k = 0; k < texts.size(); ++k) {
            const int width = metrics.horizontalAdvance(texts[k]);
            const int centre = centres[std::min<int>(k, std::size(centres) - 1)];
            const int x = std::clamp(centre - width / 2, box.x(), std::max(box.x(), box.x() + box.width() - width));
            cells.push_back({texts[k], QRect(x, box.y() + topOf(row), width, metrics.height())});
        }
    }
    return cells;
}

bool ReportDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* column = control<QLabel>(RightColumnId);
    if (watched != column || event->type() != QEvent::Paint)
        return TemplateDialog::eventFilter(watched, event);
    QPainter painter(column);
    painter.setFont(column->font());
    painter.setPen(column->palette().color(QPalette::WindowText));
    for (const Cell& cell : rightColumnCells())
        painter.drawText(cell.rect.translated(-column->pos()), Qt::AlignLeft | Qt::AlignTop, cell.text);
    return true;
}

void ReportDialog::setReport(int subjectNumber, std::string_view leftColumn, std::string_view rightColumn)
{
    setControlText(SubjectId, QString::number(subjectNumber));
    setControlText(LeftColumnId, fromSingleByte(leftColumn));
    setControlText(RightColumnId, fromSingleByte(rightColumn));
}

void ReportDialog::showReport(int subjectNumber, const ScoreTable& scores, QWidget* parent)
{
    ReportDialog dialog(parent);
    dialog.setReport(subjectNumber, scores.leftColumnText(), scores.rightColumnText());
    dialog.exec();
}
