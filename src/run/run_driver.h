#pragma once
// The run of one experiment, from the subject information page to the exit code:
// the input file and its lists, instruction pages, questionnaires, tutorial, list
// review, every session's blocks with the data file written block by block, the
// subject log and the report.

#include <string>
#include <vector>

#include "run/run_screens.h"

inline constexpr const char* endCode = "zup";
inline constexpr const char* reportCode = "vandor";

struct RunOutcome {
    enum class Status {
        Cancelled,  // the subject page was cancelled
        Stopped,    // a file was missing or unusable, or a questionnaire unusable
        Completed,  // the exit code was given
    };
    Status status = Status::Cancelled;
    std::string reason;                      // why the run stopped
    std::vector<std::string> writeFailures;  // appends an output file refused
    std::vector<std::string> rescueFiles;    // where the refused lines were kept instead
    std::vector<std::string> savedFiles;     // where the experimenter saved lines no file took
    std::vector<std::string> lostOutput;     // lines the experimenter gave up
    bool endedEarly = false;                 // "End the run" while no file took the lines
    int blocksRun = 0;
    bool reportShown = false;
};

// What the experimenter is told at the end of a run whose output files refused
// lines: the failures, the rescue files that hold those lines, and what was lost.
std::string writeFailureText(const RunOutcome& outcome);

class RunDriver {
public:
    explicit RunDriver(RunScreens& screens) : screens_(screens) {}

    // Runs the experiment; start is the local date and time the run began.
    RunOutcome runExperiment(const LocalDateTime& start);

private:
    RunScreens& screens_;
};
