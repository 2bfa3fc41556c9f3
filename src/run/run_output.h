#pragma once
// One output file of a run (the data file or the subject log) and the appends that
// no file has taken yet.
//
// Every append is held in memory, in order, until a file takes it: the output file
// until one append has gone to the rescue file, the rescue file from then on, so
// that the rescue file is one ordered tail of the run (appended to the output file
// without its header, it restores the run in order). An append that neither file
// takes stays held and is tried again, with everything held after it, at the next
// write; nothing is dropped unless the caller gives it up.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "common/file_io.h"

// The lines of one append and what they are ("block 4", "the subject log line").
struct HeldAppend {
    std::string what;
    std::vector<std::string> lines;
};

// A file the last write tried, and why it did not take the lines.
struct WriteAttempt {
    std::string path;
    std::string error;    // "cannot write <path>: <reason>"
    int errorNumber = 0;  // ENOSPC for a full disk; 0 when unknown
};

class RunOutput {
public:
    // what names the file in messages ("data file"); the rescue file is made in
    // rescueDirectory only when the output file first refuses an append.
    RunOutput(std::string what, std::string path, std::string header, std::string rescuePath,
              std::string rescueDirectory);

    // Makes the output file, with its header, when it is new. A failure holds
    // nothing: the first append writes the header itself.
    void prepare();

    // Holds the lines behind whatever is held already and writes what it can.
    // Returns true when these lines went to the output file itself.
    bool append(std::string what, std::vector<std::string> lines);

    // Writes the held appends, in order, to the file that took the run's last lines;
    // stops at the first that no file takes. Returns true when nothing is held.
    bool write();

    bool holding() const { return !held_.empty(); }
    const std::deque<HeldAppend>& held() const { return held_; }
    // The bytes of the held lines, and of the header a new file would need first.
    std::uint64_t heldBytes() const;
    // Takes the held appends away: saved elsewhere by the caller, or given up.
    std::deque<HeldAppend> release();

    const std::string& what() const { return what_; }
    const std::string& path() const { return path_; }
    const std::string& header() const { return header_; }
    const std::string& rescuePath() const { return rescuePath_; }
    // True once an append has gone to the rescue file: later ones go there too.
    bool rescued() const { return rescued_; }
    // The files the last write tried without success, in the order tried.
    const std::vector<WriteAttempt>& attempts() const { return attempts_; }
    // "data file, block 4: cannot write ...": the first refusal of the output file.
    const std::vector<std::string>& failures() const { return failures_; }

private:
    bool writeOne(const HeldAppend& append, bool& toOutputFile);

    std::string what_;
    std::string path_;
    std::string header_;
    std::string rescuePath_;
    std::string rescueDirectory_;
    bool rescued_ = false;
    bool lastToOutputFile_ = false;
    std::deque<HeldAppend> held_;
    std::vector<WriteAttempt> attempts_;
    std::vector<std::string> failures_;
};

// The message of the screen that stops the run while no file takes its lines: the
// first line "Please call the experimenter.", then what is held, each disk tried with
// its free space and the space the held lines need, every file tried with its
// reason, and what the two choices do.
std::string outputTroubleText(const std::vector<const RunOutput*>& outputs);

// What the run holds that no file took, for the question where to save it.
std::string heldLinesText(const std::vector<const RunOutput*>& outputs);

// A size as the experimenter reads it: bytes, KiB or MiB.
std::string sizeText(std::uint64_t bytes);
