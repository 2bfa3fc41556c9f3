#pragma once
// The window of truv-results: the table of a study's runs, the charts of the run
// selected and of the whole study, the problems found, and the exports. Data files
// are read on a worker thread, with the progress in the status bar, so that the
// window stays responsive while a long file is read.

#include <QMainWindow>

#include <string>
#include <vector>

#include "results/results_exports.h"
#include "results/results_scores.h"
#include "results/study_results.h"

class QAction;
class QLabel;
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
    // shown. studyDirectory: where the list files are; empty, each data file's folder.
    // Ignored while another reading is under way.
    void openDataFiles(const std::vector<std::string>& paths, const std::string& studyDirectory = {});
    // Shows a study already read, its first run selected.
    void showStudy(StudyResults study);

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

    void chooseDataFiles();
    void chooseExport(Export kind);
    void readingFinished();
    void fillTable();
    void fillSummary();
    void fillProblems();
    void showStudyCharts();
    void showRun(int runIndex);
    void updateActions();

    StudyResults study_;
    StudySummary summary_;
    int shownRun_ = -1;

    QLabel* summaryLabel_ = nullptr;
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
    QAction* exportPsychDsAction_ = nullptr;

    QThread* reader_ = nullptr;
    StudyResults readStudy_;  // written by the reader thread until it finishes
};
