#pragma once
// Putting a study's data lines together into runs (results_reading.h gives the rule).
// Consecutive lines with the same head whose trial numbers rise are one block; each
// block goes to the run of its key whose block numbers it continues, and block 1
// starts a run. Once every file is read, each run's blocks are sorted into sessions
// and take the roles of the run's own block sequence (run/block_sequence.h); what
// does not fit is a problem of the run, two runs of one key at the same time also a
// problem of the study.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "results/results_lines.h"
#include "results/study_results.h"

// The runs of one key (input file, subject, sex and other code) as their blocks come,
// by the runs' own numbers (rising as they start): a block goes on the run whose last
// block is the highest below its number (of equals, the one started last); a run's
// first block (firstBlock, or one before it), or a block no run can take, starts a
// run. The data lines' blocks and the timing record's rows are put into runs by this
// one rule.
class KeyRuns {
public:
    // The run that takes a block of this number; -1: the block starts a run.
    // firstBlock: the number of a run's first block with lines.
    int runFor(int blockNumber, int firstBlock = 1) const;
    // The run now ends with the block (a run not seen before has started with it).
    void take(int run, int blockNumber);
    // The run started last; -1 none.
    int latest() const { return latest_; }

private:
    std::map<int, std::set<int>> byLastBlock_;  // runs by their last block number
    std::map<int, int> lastBlock_;              // of each run
    int latest_ = -1;
};

class BlockAssembly {
public:
    // studyProblems: where the problems of the study go.
    explicit BlockAssembly(std::vector<std::string>& studyProblems);
    ~BlockAssembly();

    // A data line of the file at path: it goes on the block being collected when it
    // continues it, else it starts a block.
    void addLine(const DataLine& line, int lineNumber, const std::string& path);
    // Ends the block being collected: at a header line (files joined) and at a file's end.
    void endBlock(const std::string& path);
    // The runs in order of first appearance, their blocks sorted into sessions with
    // their roles. The assembly starts empty again.
    std::vector<RunRecord> takeRuns();

private:
    struct DraftBlock {
        BlockRecord block;
        SessionLineSettings settings;
    };
    // A run while its lines are read.
    struct DraftRun {
        RunRecord run;
        std::vector<DraftBlock> blocks;
        int lastBlock = 0;
        std::string lastFile;
        std::set<int> concurrentWith;  // ids of runs of the same key whose blocks lie between this run's
    };
    // The lines of the block being collected.
    struct PendingBlock {
        bool open = false;
        std::string head;  // fields 1 to 14 as bytes
        std::string key;   // input file, subject, sex and other code as bytes
        int number = 0;
        int firstLine = 0;
        std::size_t capacity = 0;  // the longest block of these settings
        int lastTrial = 0;
        bool lastPresented = false;
        int subject = 0;
        std::string inputFile, sex, other;
        SessionLineSettings settings;
        std::vector<TrialRecord> trials;
    };
    struct Expected;

    void startBlock(const DataLine& line, int lineNumber);
    void addTrial(const DataLine& line, int lineNumber);
    int placeBlock(const std::string& path);
    void flagConcurrent(DraftRun& a, DraftRun& b, const std::string& path);
    void assemble(DraftRun& draft);
    static std::vector<Expected> expectedBlocks(RunRecord& run);
    static void giveRole(RunRecord& run, DraftBlock& d, const std::vector<Expected>& expected);

    std::vector<std::string>& studyProblems_;
    PendingBlock pending_;
    std::vector<std::unique_ptr<DraftRun>> drafts_;
    std::unordered_map<std::string, KeyRuns> runsOfKey_;  // by the lines' bytes; runs by draft index
};
