#pragma once
// The window of truv-results: the table of a study's runs, the charts of the run
// selected and of the whole study, the problems found, and the exports. Data files
// are read on a worker thread, with the progress in the status bar, so that the
// window stays responsive while a long file is read.

#include <QMainWindow>

#include <string>
#include <vector>

#include "results/participants.h"
#include "results/results_exports.h"
#include "results/results_options.h"
#include "results/results_scores.h"
#include "results/study_results.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QScrollArea;
class QTabWidget;
class QTableWidget;
class QThread;
class QChartView;

class ResultsWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ResultsWindow(QWidget* parent = nullptr);
    ~ResultsWindow() override;

    // Reads the data files on a worker thread; the study read then replaces the one
    // shown, read as options say (the list files' folder, whether the subject logs are
    // pooled); files opened later from the window are read pooled or not alike.
    // Ignored while another reading is under way.
    void openDataFiles(const std::vector<std::string>& paths, const ResultsOptions& options = {});
    // Shows a study already read, its first run selected, without the runs of the
    // subjects left out (leaveOutSubjects).
    void showStudy(StudyResults study);
    // Leaves the runs of the subjects listed (parseSubjectList; blank: none) out of the
    // study shown and of every study read after, as the window's "Leave out subjects"
    // field does; false, with the reason in error, for a list it cannot read.
    bool leaveOutSubjects(const QString& list, QString& error);

    bool isReading() const { return reader_ != nullptr; }
    const StudyResults& study() const { return study_; }
    // The index in study().runs of the run whose charts are shown; -1 none.
    int shownRun() const { return shownRun_; }

    using Export = ResultsExport;
    // Writes the export to path (the Psych-DS dataset: a folder); false, with the reason
    // in error, when it could not. warnings, when given, gets what an export written
    // all the same lacks.
    bool exportTo(Export kind, const QString& path, QString& error, QStringList* warnings = nullptr) const;

signals:
    // A study was read (or handed over) and shown.
    void studyShown();

private:
    // The window's parts, as the constructor builds them.
    void buildMenus();
    QWidget* buildCentralWidget();
    void buildRunsTable();
    void buildTabs();
    void buildStatusBar();
    QWidget* buildLeaveOutBar();

    void chooseDataFiles();
    void chooseExport(Export kind);
    void readingFinished();
    void fillTable();
    void fillSummary();
    void fillProblems();
    void showStudyCharts();
    void showStudyParts();
    void showRun(int runIndex);
    void updateActions();

    StudyResults study_;
    StudySummary summary_;
    bool poolLogs_ = false;  // as the last reading was told
    SubjectList subjectsLeftOut_;
    int shownRun_ = -1;

    QLabel* summaryLabel_ = nullptr;
    QLineEdit* leaveOutEdit_ = nullptr;
    QTableWidget* runsTable_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QScrollArea* runArea_ = nullptr;
    QChartView* scoresView_ = nullptr;
    QChartView* errorRatesView_ = nullptr;
    QListWidget* problemsList_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* exportTrialsAction_ = nullptr;
    QAction* exportSummaryAction_ = nullptr;
    QAction* exportHtmlAction_ = nullptr;
    QAction* exportParticipantsAction_ = nullptr;
    QAction* exportPsychDsAction_ = nullptr;

    QThread* reader_ = nullptr;
    StudyResults readStudy_;  // written by the reader thread until it finishes
};
