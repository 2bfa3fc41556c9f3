#include "results/run_flags.h"
#include "results/ui/results_window.h"

#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include "common/file_source.h"
#include "results/html_report.h"
#include "results/ui/results_charts.h"
#include "results/results_exports.h"
#include "results/results_reading.h"
#include "results/timing_record.h"

namespace {

// The columns of the table of runs, one row per run and session.
enum Column {
    RunColumn,
    SubjectColumn,
    SexColumn,
    OtherColumn,
    InputColumn,
    SessionColumn,
    ScoreColumn,
    ExcludedColumn,
    CompleteColumn,
    ProblemsColumn,
    ColumnCount
};

// The runs table's Qt::UserRole of a run left out by the user: this minus its index
// in study.leftOut (that of a run is its index in study.runs).
constexpr int leftOutRow = -2;

const QColor excludedTint(0xFB, 0xEE, 0xEE);
const QColor incompleteTint(0xFD, 0xF3, 0xDF);

QString text(const std::string& s) { return QString::fromStdString(s); }

QString score(const std::optional<double>& value)
{
    return value ? QString::fromStdString(fixedNumber(*value, 2)) : QStringLiteral("–");
}

QTableWidgetItem* item(const QString& shown, bool numeric = false)
{
    auto* cell = new QTableWidgetItem(shown);
    cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (numeric)
        cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return cell;
}

QChartView* chartView(std::unique_ptr<QChart> chart, int minimumHeight = 300)
{
    auto* view = new QChartView(chart.release());
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(minimumHeight);
    view->setMinimumWidth(420);
    return view;
}

// A paragraph of lines for a label, the data's text escaped.
QString paragraph(const QString& heading, const std::vector<std::string>& lines)
{
    if (lines.empty())
        return {};
    QString html = QStringLiteral("<p><b>%1</b>").arg(heading.toHtmlEscaped());
    for (const std::string& line : lines)
        html += QStringLiteral("<br>") + text(line).toHtmlEscaped();
    return html + QStringLiteral("</p>");
}

}  // namespace

ResultsWindow::ResultsWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("TRUV Results"));
    buildMenus();
    setCentralWidget(buildCentralWidget());
    buildStatusBar();

    // As large as the charts want, on a small screen no larger than it.
    QSize size(1180, 860);
    if (const QScreen* shown = screen())
        size = size.boundedTo(shown->availableGeometry().size() * 0.95);
    resize(size);
    runsTable_->setFocus();
    showRun(-1);
    updateActions();
}

void ResultsWindow::buildMenus()
{
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    openAction_ = fileMenu->addAction(QStringLiteral("&Open data files..."), this, &ResultsWindow::chooseDataFiles);
    openAction_->setShortcut(QKeySequence::Open);
    fileMenu->addSeparator();
    QAction* quit = fileMenu->addAction(QStringLiteral("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);

    QMenu* exportMenu = menuBar()->addMenu(QStringLiteral("&Export"));
    exportTrialsAction_ = exportMenu->addAction(QStringLiteral("&Trials as CSV..."), this,
                                                [this] { chooseExport(Export::TrialsCsv); });
    exportSummaryAction_ = exportMenu->addAction(QStringLiteral("&Summary as CSV..."), this,
                                                 [this] { chooseExport(Export::SummaryCsv); });
    exportParticipantsAction_ = exportMenu->addAction(QStringLiteral("&Participants as CSV..."), this,
                                                      [this] { chooseExport(Export::ParticipantsCsv); });
    exportHtmlAction_ = exportMenu->addAction(QStringLiteral("&Report as HTML..."), this,
                                              [this] { chooseExport(Export::Html); });
    exportPsychDsAction_ = exportMenu->addAction(QStringLiteral("&Psych-DS dataset..."), this,
                                                 [this] { chooseExport(Export::PsychDs); });
}

// The study's summary line above the table of runs and, below it, the tabs.
QWidget* ResultsWindow::buildCentralWidget()
{
    summaryLabel_ = new QLabel(QStringLiteral("No study open: File > Open data files... reads a study's data files."));
    summaryLabel_->setWordWrap(true);
    summaryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    buildRunsTable();
    buildTabs();

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(runsTable_);
    splitter->addWidget(tabs_);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({280, 560});

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(summaryLabel_);
    layout->addWidget(buildLeaveOutBar());
    layout->addWidget(splitter, 1);
    return central;
}

// "Leave out subjects: [1-5, 9] Apply": the runs of the subjects listed go out of every
// summary, chart and export, without reading the files again.
QWidget* ResultsWindow::buildLeaveOutBar()
{
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("&Leave out subjects:"));
    leaveOutEdit_ = new QLineEdit;
    leaveOutEdit_->setObjectName(QStringLiteral("leaveOutSubjects"));
    leaveOutEdit_->setPlaceholderText(QStringLiteral("such as 1-5, 9"));
    leaveOutEdit_->setMaximumWidth(260);
    label->setBuddy(leaveOutEdit_);
    auto* apply = new QPushButton(QStringLiteral("Apply"));
    apply->setObjectName(QStringLiteral("applyLeaveOut"));
    const auto applyList = [this] {
        QString error;
        if (!leaveOutSubjects(leaveOutEdit_->text(), error))
            QMessageBox::warning(this, QStringLiteral("Leave out subjects"), error);
    };
    connect(apply, &QPushButton::clicked, this, applyList);
    connect(leaveOutEdit_, &QLineEdit::returnPressed, this, applyList);
    row->addWidget(label);
    row->addWidget(leaveOutEdit_);
    row->addWidget(apply);
    row->addStretch();
    return bar;
}

// One row per run and session; selecting a row shows its run's charts.
void ResultsWindow::buildRunsTable()
{
    runsTable_ = new QTableWidget(0, ColumnCount);
    runsTable_->setHorizontalHeaderLabels({"Run", "Subject", "Sex", "Other", "Input file", "Session", "Score",
                                           "Excluded", "Complete", "Problems"});
    runsTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    runsTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    runsTable_->verticalHeader()->setVisible(false);
    runsTable_->horizontalHeader()->setStretchLastSection(true);
    runsTable_->setWordWrap(false);
    connect(runsTable_, &QTableWidget::itemSelectionChanged, this, [this] {
        const auto rows = runsTable_->selectionModel()->selectedRows();
        if (!rows.isEmpty())
            showRun(runsTable_->item(rows.front().row(), RunColumn)->data(Qt::UserRole).toInt());
    });
}

// The selected run's charts, the whole study's and the problems found.
void ResultsWindow::buildTabs()
{
    runArea_ = new QScrollArea;
    runArea_->setObjectName(QStringLiteral("runCharts"));
    runArea_->setWidgetResizable(true);
    auto* studyPage = new QWidget;
    auto* studyLayout = new QVBoxLayout(studyPage);
    scoresView_ = chartView(scoresChart(study_, summary_));
    errorRatesView_ = chartView(errorRatesChart(study_));
    studyLayout->addWidget(scoresView_);
    studyLayout->addWidget(errorRatesView_);
    auto* studyArea = new QScrollArea;
    studyArea->setWidgetResizable(true);
    studyArea->setWidget(studyPage);
    problemsList_ = new QListWidget;
    problemsList_->setWordWrap(true);

    tabs_ = new QTabWidget;
    tabs_->addTab(runArea_, QStringLiteral("Run"));
    tabs_->addTab(studyArea, QStringLiteral("Study"));
    tabs_->addTab(problemsList_, QStringLiteral("Problems"));
}

// The progress of a reading, shown while it lasts.
void ResultsWindow::buildStatusBar()
{
    progressBar_ = new QProgressBar;
    progressBar_->setRange(0, 1000);
    progressBar_->setMaximumWidth(260);
    progressBar_->setVisible(false);
    statusBar()->addPermanentWidget(progressBar_);
}

ResultsWindow::~ResultsWindow()
{
    // The reader cannot be stopped halfway; it ends with its file.
    if (reader_ != nullptr) {
        reader_->wait();
        delete reader_;
    }
}

void ResultsWindow::openDataFiles(const std::vector<std::string>& paths, const ResultsOptions& options)
{
    if (reader_ != nullptr || paths.empty())
        return;
    progressBar_->setValue(0);
    progressBar_->setVisible(true);
    statusBar()->showMessage(paths.size() == 1 ? QStringLiteral("Reading %1...").arg(text(paths.front()))
                                               : QStringLiteral("Reading %1 data files...").arg(paths.size()));
    // Progress reaches the bar as queued calls, only when its shown value changes.
    ReadingProgress progress = [this, shown = -1](std::int64_t done, std::int64_t total) mutable {
        const int permille = total > 0 ? static_cast<int>(std::min<std::int64_t>(done, total) * 1000 / total) : 0;
        if (permille == shown)
            return;
        shown = permille;
        QMetaObject::invokeMethod(
            progressBar_, [bar = progressBar_, permille] { bar->setValue(permille); }, Qt::QueuedConnection);
    };
    poolLogs_ = options.poolLogs;
    reader_ = QThread::create([this, paths, options, progress] {
        readStudy_ = readStudy(paths, options, diskFiles(), progress);
    });
    connect(reader_, &QThread::finished, this, &ResultsWindow::readingFinished);
    reader_->start();
    updateActions();
}

void ResultsWindow::readingFinished()
{
    reader_->wait();
    reader_->deleteLater();
    reader_ = nullptr;
    progressBar_->setVisible(false);
    const auto problems = readStudy_.problems.size();
    statusBar()->showMessage(QStringLiteral("Read %1 lines: %2 runs, %3 problems with the files")
                                 .arg(readStudy_.linesRead)
                                 .arg(readStudy_.runs.size())
                                 .arg(problems),
                             10'000);
    showStudy(std::move(readStudy_));
    readStudy_ = {};
}

void ResultsWindow::showStudy(StudyResults study)
{
    study_ = std::move(study);
    showStudyParts();
    emit studyShown();
}

// The summary, the table, the problems and the charts of study_ without the subjects
// left out.
void ResultsWindow::showStudyParts()
{
    ::leaveOutSubjects(study_, subjectsLeftOut_);
    summary_ = summarizeStudy(study_);
    fillSummary();
    fillTable();
    fillProblems();
    showStudyCharts();
    if (runsTable_->rowCount() > 0)
        runsTable_->selectRow(0);
    else
        showRun(-1);
    updateActions();
}

bool ResultsWindow::leaveOutSubjects(const QString& list, QString& error)
{
    SubjectList subjects;
    if (!list.trimmed().isEmpty()) {
        std::string why;
        const std::optional<SubjectList> parsed = parseSubjectList(list.toStdString(), why);
        if (!parsed) {
            error = QStringLiteral("Leave out subjects: %1.").arg(text(why));
            return false;
        }
        subjects = *parsed;
    }
    leaveOutEdit_->setText(list.trimmed());
    if (subjects == subjectsLeftOut_)
        return true;
    subjectsLeftOut_ = subjects;
    showStudyParts();
    statusBar()->showMessage(subjects.empty()
                                 ? QStringLiteral("No subject is left out.")
                                 : text(countedText(study_.leftOut.size(), "run", "runs") + " left out by the user."),
                             10'000);
    return true;
}

void ResultsWindow::fillSummary()
{
    const auto count = [](std::size_t n, const char* one, const char* many) { return text(countedText(n, one, many)); };
    QString line = QStringLiteral("%1, %2 (%3 complete, %4 incomplete), %5")
                       .arg(count(study_.dataFiles.size(), "data file", "data files"),
                            count(static_cast<std::size_t>(summary_.runs), "run", "runs"))
                       .arg(summary_.runs - summary_.incompleteRuns)
                       .arg(summary_.incompleteRuns)
                       .arg(count(static_cast<std::size_t>(summary_.participants), "participant", "participants"));
    if (summary_.runsNotCounted > 0)
        line += QStringLiteral("; %1 of a participant not counted")
                    .arg(count(static_cast<std::size_t>(summary_.runsNotCounted), "further run", "further runs"));
    if (summary_.runsLeftOut > 0)
        line += QStringLiteral("; %1 left out by the user")
                    .arg(count(static_cast<std::size_t>(summary_.runsLeftOut), "run", "runs"));
    line += '.';
    const auto rate = [](const std::optional<double>& r) {
        return r ? QString::fromStdString(fixedNumber(*r, 1)) + QStringLiteral(" %") : QStringLiteral("–");
    };
    for (const SessionSummary& session : summary_.sessions) {
        line += QStringLiteral("\nSession %1: %2, %3 scored, %4 excluded")
                    .arg(session.session)
                    .arg(count(static_cast<std::size_t>(session.participants), "participant", "participants"))
                    .arg(session.scored)
                    .arg(session.excluded);
        if (session.meanScore) {
            line += QStringLiteral("; mean score %1").arg(score(session.meanScore));
            if (session.confidenceLow && session.confidenceHigh)
                line += QStringLiteral(" (95 % interval %1 to %2)")
                            .arg(score(session.confidenceLow), score(session.confidenceHigh));
        }
        if (session.meanErrorRate[0] || session.meanErrorRate[1])
            line += QStringLiteral("; mean error rate %1 before the switch, %2 after it")
                        .arg(rate(session.meanErrorRate[0]), rate(session.meanErrorRate[1]));
        line += '.';
    }
    summaryLabel_->setText(line);
}

void ResultsWindow::fillTable()
{
    runsTable_->clearSelection();
    runsTable_->setRowCount(0);
    for (std::size_t r = 0; r < study_.runs.size(); ++r) {
        const RunRecord& run = study_.runs[r];
        const std::size_t rows = std::max<std::size_t>(run.sessions.size(), 1);
        for (std::size_t s = 0; s < rows; ++s) {
            const SessionRecord* session = s < run.sessions.size() ? &run.sessions[s] : nullptr;
            const int row = runsTable_->rowCount();
            runsTable_->insertRow(row);
            auto* runItem = item(QString::number(run.id), true);
            runItem->setData(Qt::UserRole, static_cast<int>(r));
            runsTable_->setItem(row, RunColumn, runItem);
            runsTable_->setItem(row, SubjectColumn, item(QString::number(run.subject), true));
            runsTable_->setItem(row, SexColumn, item(text(run.sex)));
            runsTable_->setItem(row, OtherColumn, item(text(run.other)));
            runsTable_->setItem(row, InputColumn, item(text(run.inputFile)));
            runsTable_->setItem(row, SessionColumn,
                                item(session ? QString::number(session->settings.session) : QString(), true));
            QString excluded = QStringLiteral("no session");
            bool tinted = false;
            QStringList notes;
            for (const std::string& problem : runWarnings(run))
                notes << text(problem);
            if (session != nullptr) {
                const DifferenceScore& d = session->difference;
                runsTable_->setItem(row, ScoreColumn, item(score(d.score), true));
                QStringList reasons;
                for (const std::string& reason : d.exclusionReasons)
                    reasons << text(reason);
                excluded = d.excluded ? QStringLiteral("yes")
                           : d.score  ? QStringLiteral("no")
                                      : QStringLiteral("no score");
                if (!reasons.isEmpty())
                    excluded += QStringLiteral(": ") + reasons.join(QStringLiteral("; "));
                tinted = d.excluded;
                for (const std::string& difference : session->logDifferences)
                    notes << text(difference);
            } else {
                runsTable_->setItem(row, ScoreColumn, item(score({}), true));
            }
            auto* excludedItem = item(excluded);
            excludedItem->setToolTip(excluded);
            runsTable_->setItem(row, ExcludedColumn, excludedItem);
            runsTable_->setItem(row, CompleteColumn, item(run.complete ? QStringLiteral("yes") : QStringLiteral("no")));
            auto* notesItem = item(notes.join(QStringLiteral("; ")));
            notesItem->setToolTip(notes.join('\n'));
            runsTable_->setItem(row, ProblemsColumn, notesItem);
            if (tinted || !run.complete) {
                for (int c = 0; c < ColumnCount; ++c)
                    runsTable_->item(row, c)->setBackground(tinted ? excludedTint : incompleteTint);
            }
        }
    }
    // The runs left out by the user, last; selecting one shows that it is left out.
    for (std::size_t r = 0; r < study_.leftOut.size(); ++r) {
        const RunRecord& run = study_.leftOut[r];
        const int row = runsTable_->rowCount();
        runsTable_->insertRow(row);
        auto* runItem = item(QString::number(run.id), true);
        runItem->setData(Qt::UserRole, leftOutRow - static_cast<int>(r));
        runsTable_->setItem(row, RunColumn, runItem);
        runsTable_->setItem(row, SubjectColumn, item(QString::number(run.subject), true));
        runsTable_->setItem(row, SexColumn, item(text(run.sex)));
        runsTable_->setItem(row, OtherColumn, item(text(run.other)));
        runsTable_->setItem(row, InputColumn, item(text(run.inputFile)));
        runsTable_->setItem(row, SessionColumn, item(QString(), true));
        runsTable_->setItem(row, ScoreColumn, item(score({}), true));
        runsTable_->setItem(row, ExcludedColumn, item(QStringLiteral("yes: ") + QLatin1String(leftOutReason)));
        runsTable_->setItem(row, CompleteColumn, item(run.complete ? QStringLiteral("yes") : QStringLiteral("no")));
        runsTable_->setItem(row, ProblemsColumn, item(QString()));
        for (int c = 0; c < ColumnCount; ++c)
            runsTable_->item(row, c)->setBackground(excludedTint);
    }
    runsTable_->resizeColumnsToContents();
    // Long reasons and problems are cut in the cell and shown whole in its tool tip.
    for (int c = 0; c < ColumnCount; ++c)
        runsTable_->setColumnWidth(c, std::min(runsTable_->columnWidth(c), 320));
}

void ResultsWindow::fillProblems()
{
    problemsList_->clear();
    for (const std::string& problem : study_.problems)
        problemsList_->addItem(text(problem));
    for (const RunRecord& run : study_.runs) {
        for (const std::string& problem : runWarnings(run))
            problemsList_->addItem(QStringLiteral("Run %1: %2").arg(run.id).arg(text(problem)));
        for (const SessionRecord& session : run.sessions) {
            for (const std::string& reason : session.difference.exclusionReasons)
                problemsList_->addItem(QStringLiteral("Run %1, session %2: %3")
                                           .arg(run.id)
                                           .arg(session.settings.session)
                                           .arg(text(reason)));
        }
    }
    tabs_->setTabText(2, QStringLiteral("Problems (%1)").arg(problemsList_->count()));
}

void ResultsWindow::showStudyCharts()
{
    // A view owns its chart: the old one goes when the new one is set.
    scoresView_->setChart(scoresChart(study_, summary_).release());
    errorRatesView_->setChart(errorRatesChart(study_).release());
}

void ResultsWindow::showRun(int runIndex)
{
    shownRun_ = runIndex >= 0 && runIndex < static_cast<int>(study_.runs.size()) ? runIndex : -1;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    const int leftOut = leftOutRow - runIndex;
    if (shownRun_ < 0 && leftOut >= 0 && leftOut < static_cast<int>(study_.leftOut.size())) {
        const RunRecord& run = study_.leftOut[static_cast<std::size_t>(leftOut)];
        layout->addWidget(new QLabel(QStringLiteral("Run %1 (subject %2) is %3: it is in no summary, chart or export.")
                                         .arg(run.id)
                                         .arg(run.subject)
                                         .arg(QLatin1String(leftOutReason))));
        layout->addStretch();
        runArea_->setWidget(page);  // deletes the former page
        return;
    }
    if (shownRun_ < 0) {
        layout->addWidget(new QLabel(QStringLiteral("No run selected.")));
        layout->addStretch();
        runArea_->setWidget(page);  // deletes the former page
        return;
    }
    const RunRecord& run = study_.runs[shownRun_];
    QString about = QStringLiteral("<p><b>Run %1</b>: subject %2").arg(run.id).arg(run.subject);
    if (!run.sex.empty())
        about += QStringLiteral(", ") + text(run.sex).toHtmlEscaped();
    if (!run.other.empty())
        about += QStringLiteral(", other code ") + text(run.other).toHtmlEscaped();
    about += QStringLiteral("; %1, from line %2").arg(text(run.dataFile).toHtmlEscaped()).arg(run.firstLine);
    about += run.complete ? QStringLiteral("; complete.</p>")
                          : QStringLiteral("; <b>incomplete</b>: no subject log line.</p>");
    about += QStringLiteral("<p>") + text(timingLine(run)).toHtmlEscaped() + QStringLiteral("</p>");
    // The flags as the CSV exports name them, each with what it says.
    QStringList flags;
    for (const std::string& word : runFlags(run))
        flags << text(runFlagText(word)).toHtmlEscaped() + QStringLiteral(" (<code>") + text(word) +
                     QStringLiteral("</code>)");
    if (!flags.isEmpty())
        about += QStringLiteral("<p>Flags: ") + flags.join(QStringLiteral(", ")) + QStringLiteral(".</p>");
    about += paragraph(QStringLiteral("Problems"), runWarnings(run));
    for (const SessionRecord& session : run.sessions) {
        const QString name = QStringLiteral("Session %1").arg(session.settings.session);
        const DifferenceScore& d = session.difference;
        about += paragraph(name + (d.excluded ? QStringLiteral(": excluded")
                                   : d.score  ? QString()
                                              : QStringLiteral(": no score")),
                           d.exclusionReasons);
        about += paragraph(name + QStringLiteral(": differences from the subject log"), session.logDifferences);
    }
    auto* label = new QLabel(about);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label);
    for (const SessionRecord& session : run.sessions) {
        auto* row = new QHBoxLayout;
        row->addWidget(chartView(latencyByTrialChart(session)));
        row->addWidget(chartView(latencyDistributionChart(session)));
        layout->addLayout(row);
    }
    layout->addStretch();
    runArea_->setWidget(page);
}

void ResultsWindow::updateActions()
{
    const bool reading = reader_ != nullptr;
    const bool haveStudy = !study_.dataFiles.empty() || !study_.runs.empty();
    openAction_->setEnabled(!reading);
    for (QAction* action : {exportTrialsAction_, exportSummaryAction_, exportHtmlAction_, exportParticipantsAction_,
                            exportPsychDsAction_})
        action->setEnabled(!reading && haveStudy);
}

void ResultsWindow::chooseDataFiles()
{
    const QStringList chosen = QFileDialog::getOpenFileNames(this, QStringLiteral("Open data files"), QString(),
                                                             QStringLiteral("Data files (*.dat);;All files (*)"));
    std::vector<std::string> paths;
    for (const QString& path : chosen)
        paths.push_back(path.toStdString());
    // Files chosen here have their list files beside them.
    openDataFiles(paths, {.studyDirectory = {}, .poolLogs = poolLogs_});
}

bool ResultsWindow::exportTo(Export kind, const QString& path, QString& error, QStringList* warnings) const
{
    const ExportOutcome outcome = writeExports({{kind, path.toStdString()}}, study_, [this] {
                                      return reportHtml(study_, summary_);
                                  }).front();
    // The files read must survive a slip in the file dialog.
    if (!outcome.refused.empty()) {
        error = text(outcome.refused) + (kind == Export::PsychDs ? QStringLiteral("; choose another folder.")
                                                                 : QStringLiteral("; choose another name."));
        return false;
    }
    if (warnings != nullptr) {
        for (const std::string& warning : outcome.warnings)
            warnings->append(text(warning));
    }
    if (!outcome.written) {
        error = text(outcome.written.error);
        return false;
    }
    return true;
}

void ResultsWindow::chooseExport(Export kind)
{
    if (kind == Export::PsychDs) {
        const QString folder = study_.dataFiles.empty() ? QString()
                                                        : QFileInfo(text(study_.dataFiles.front())).absolutePath();
        const QString chosen = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Export a Psych-DS dataset into a new or empty folder"), folder);
        if (chosen.isEmpty())
            return;
        QString error;
        QStringList warnings;
        if (!exportTo(kind, chosen, error, &warnings)) {
            QMessageBox::warning(this, QStringLiteral("Export"), error);
            return;
        }
        if (!warnings.isEmpty())
            QMessageBox::warning(
                this, QStringLiteral("Export"),
                QStringLiteral("The dataset was written to %1, but:\n%2").arg(chosen, warnings.join('\n')));
        statusBar()->showMessage(QStringLiteral("Wrote the Psych-DS dataset to %1").arg(chosen), 10'000);
        return;
    }
    const bool html = kind == Export::Html;
    const QString caption = kind == Export::TrialsCsv         ? QStringLiteral("Export the trials as CSV")
                            : kind == Export::SummaryCsv      ? QStringLiteral("Export the summary as CSV")
                            : kind == Export::ParticipantsCsv ? QStringLiteral("Export the participants as CSV")
                                                              : QStringLiteral("Export the report as HTML");
    const QString suggested = kind == Export::TrialsCsv         ? QStringLiteral("trials.csv")
                              : kind == Export::SummaryCsv      ? QStringLiteral("summary.csv")
                              : kind == Export::ParticipantsCsv ? QStringLiteral("participants.csv")
                                                                : QStringLiteral("report.html");
    const QString folder = study_.dataFiles.empty() ? QString()
                                                    : QFileInfo(text(study_.dataFiles.front())).absolutePath() + '/';
    const QString path = QFileDialog::getSaveFileName(this, caption, folder + suggested,
                                                      html ? QStringLiteral("HTML files (*.html)")
                                                           : QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!exportTo(kind, path, error)) {
        QMessageBox::warning(this, QStringLiteral("Export"), error);
        return;
    }
    statusBar()->showMessage(QStringLiteral("Wrote %1").arg(path), 10'000);
}
