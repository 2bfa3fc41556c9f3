#include "results/block_assembly.h"

#include <algorithm>

#include "common/file_io.h"
#include "run/block_sequence.h"

namespace {

bool presented(const DataLine& line) { return !line.unrun || line.pair != 9; }

const char* roleText(BlockRole role)
{
    switch (role) {
    case BlockRole::PairOnePractice:
        return "pair 1 practice";
    case BlockRole::PairTwoPractice:
        return "pair 2 practice";
    case BlockRole::CombinedPractice:
        return "combined practice";
    case BlockRole::CombinedRecorded:
        return "combined recorded";
    case BlockRole::Unknown:
        break;
    }
    return "unknown";
}

// The number of the run's first block with lines, when a block of these settings is
// in the run's first session: block 1, or a later one when the first blocks have no
// trials (nPrac 0 writes no lines for the practice blocks). 1 for a later session.
int firstBlockWithLines(const SessionLineSettings& settings)
{
    if (settings.session != 1)
        return 1;
    const SessionSequence sequence = sessionSequence({settings.Cat1p, settings.Cat2p, settings.Catsw, true, {}, {}});
    int number = 0;
    for (int half = 0; half < 2; ++half)
        for (int b = 0; b < blocksPerHalf; ++b)
            if (sequence.runs[half][b]) {
                ++number;
                if ((b == recordedBlock ? settings.nReal : settings.nPrac) > 0)
                    return number;
            }
    return 1;
}

}  // namespace

// A block's place in the run's sequence of blocks.
struct BlockAssembly::Expected {
    int session = 0;
    int half = 0;  // 1 or 2
    BlockRole role = BlockRole::Unknown;
    std::array<int, 2> left{0, 0};
    int trials = 0;
};

int KeyRuns::runFor(int blockNumber, int firstBlock) const
{
    if (blockNumber <= firstBlock)
        return -1;
    auto below = byLastBlock_.lower_bound(blockNumber);
    if (below == byLastBlock_.begin())
        return -1;
    return *(--below)->second.rbegin();
}

void KeyRuns::take(int run, int blockNumber)
{
    const auto [last, started] = lastBlock_.try_emplace(run, blockNumber);
    if (started) {
        latest_ = std::max(latest_, run);
    } else {
        const auto bucket = byLastBlock_.find(last->second);
        bucket->second.erase(run);
        if (bucket->second.empty())
            byLastBlock_.erase(bucket);
        last->second = blockNumber;
    }
    byLastBlock_[blockNumber].insert(run);
}

BlockAssembly::BlockAssembly(std::vector<std::string>& studyProblems) : studyProblems_(studyProblems) {}

BlockAssembly::~BlockAssembly() = default;

void BlockAssembly::addLine(const DataLine& line, int lineNumber, const std::string& path)
{
    // A block's lines were appended together: the line goes on the open block when
    // it has the same head, room is left and its trial number follows.
    const bool continues = pending_.open && line.head == pending_.head && pending_.trials.size() < pending_.capacity &&
                           !(presented(line) && (!pending_.lastPresented || line.trial <= pending_.lastTrial));
    if (!continues) {
        endBlock(path);
        startBlock(line, lineNumber);
    }
    addTrial(line, lineNumber);
}

std::vector<RunRecord> BlockAssembly::takeRuns()
{
    std::vector<RunRecord> runs;
    runs.reserve(drafts_.size());
    for (auto& draft : drafts_)
        assemble(*draft);
    for (auto& draft : drafts_)
        runs.push_back(std::move(draft->run));
    drafts_.clear();
    runsOfKey_.clear();
    return runs;
}

void BlockAssembly::startBlock(const DataLine& line, int lineNumber)
{
    PendingBlock& p = pending_;
    p.open = true;
    p.head.assign(line.head);
    p.key.assign(line.inputFile);
    p.key += '\t';
    p.key += std::to_string(line.subject);
    p.key += '\t';
    p.key.append(line.sex);
    p.key += '\t';
    p.key.append(line.other);
    p.number = line.block;
    p.firstLine = lineNumber;
    p.capacity = static_cast<std::size_t>(std::max({line.nPrac, line.nReal, 1}));
    p.lastTrial = 0;
    p.lastPresented = false;
    p.subject = line.subject;
    p.inputFile = decodedText(line.inputFile);
    p.sex = std::string(line.sex);
    p.other = decodedText(line.other);
    p.settings = {line.session,
                  decodedText(line.Cat1),
                  decodedText(line.Cat2),
                  line.Cat1p,
                  line.Cat2p,
                  line.Catsw,
                  line.Delay,
                  line.nPrac,
                  line.nReal};
    p.trials.clear();
    p.trials.reserve(p.capacity);
}

void BlockAssembly::addTrial(const DataLine& line, int lineNumber)
{
    TrialRecord t;
    t.lineNumber = lineNumber;
    t.trial = line.trial;
    t.pair = line.pair;
    t.category = line.category;
    t.itemNumber = line.item;
    t.word = decodedText(line.word);
    t.latency = line.latency;
    t.errors = line.errors;
    t.key.assign(line.key);
    t.unrun = line.unrun;
    pending_.trials.push_back(std::move(t));
    pending_.lastPresented = presented(line);
    if (pending_.lastPresented)
        pending_.lastTrial = line.trial;
}

void BlockAssembly::endBlock(const std::string& path)
{
    if (!pending_.open)
        return;
    const int index = placeBlock(path);
    DraftRun& draft = *drafts_[static_cast<std::size_t>(index)];
    runsOfKey_[pending_.key].take(index, pending_.number);
    DraftBlock block;
    block.block.number = pending_.number;
    block.block.dataFile = path;
    block.block.trials = std::move(pending_.trials);
    block.settings = std::move(pending_.settings);
    draft.blocks.push_back(std::move(block));
    draft.lastBlock = pending_.number;
    draft.lastFile = path;
    pending_.trials = {};
    pending_.open = false;
}

// The run a block goes to. The run's first block with lines (block 1, or the first
// recorded block when the practice blocks have no trials) starts a run. Another block
// goes on the run of its key whose last block is the highest below its number (of
// equals, the one started last). A run that takes a block after a later run of its key
// has written to the same file ran at the same time as that one: their blocks
// alternate. A run that goes on in another file (a rescue file) after a later run
// started did not. A block no run can take starts a run of its own, which is not yet
// a sign of two runs at once: only blocks that alternate are.
int BlockAssembly::placeBlock(const std::string& path)
{
    const KeyRuns& runs = runsOfKey_[pending_.key];
    const int firstBlock = firstBlockWithLines(pending_.settings);
    if (const int chosen = runs.runFor(pending_.number, firstBlock); chosen >= 0) {
        DraftRun& latest = *drafts_[static_cast<std::size_t>(runs.latest())];
        if (chosen != runs.latest() && latest.lastFile == path)
            flagConcurrent(*drafts_[static_cast<std::size_t>(chosen)], latest, path);
        return chosen;
    }

    auto draft = std::make_unique<DraftRun>();
    RunRecord& run = draft->run;
    run.id = static_cast<int>(drafts_.size()) + 1;
    run.dataFile = path;
    run.firstLine = pending_.firstLine;
    run.inputFile = pending_.inputFile;
    run.subject = pending_.subject;
    run.sex = pending_.sex;
    run.other = pending_.other;
    if (pending_.number > firstBlock) {
        const std::string first = "block " + std::to_string(firstBlock);
        if (runs.latest() < 0) {
            run.problems.push_back("the run's first block is block " + std::to_string(pending_.number) + ", not " +
                                   first + ": its earlier blocks are in no data file read");
        } else {
            const DraftRun& latest = *drafts_[static_cast<std::size_t>(runs.latest())];
            run.problems.push_back("block " + std::to_string(pending_.number) + " (" + fileNameOf(path) + " line " +
                                   std::to_string(pending_.firstLine) + ") follows block " +
                                   std::to_string(latest.lastBlock) + " of run " + std::to_string(latest.run.id) +
                                   " of the same subject without a " + first +
                                   " between them: it starts a run of its own");
        }
    }
    drafts_.push_back(std::move(draft));
    return static_cast<int>(drafts_.size()) - 1;
}

void BlockAssembly::flagConcurrent(DraftRun& a, DraftRun& b, const std::string& path)
{
    if (&a == &b || a.concurrentWith.count(b.run.id) != 0)
        return;
    a.concurrentWith.insert(b.run.id);
    b.concurrentWith.insert(a.run.id);
    a.run.sameSubjectAtOnce = b.run.sameSubjectAtOnce = true;
    const auto text = [&](const DraftRun& other) {
        return "the blocks of this run and of run " + std::to_string(other.run.id) +
               " (the same subject, sex, other code and input file) alternate in " + fileNameOf(path) +
               ": two runs at the same time, whose blocks may be mixed up";
    };
    a.run.problems.push_back(text(b));
    b.run.problems.push_back(text(a));
    const int first = std::min(a.run.id, b.run.id);
    const int second = std::max(a.run.id, b.run.id);
    studyProblems_.push_back("runs " + std::to_string(first) + " and " + std::to_string(second) + " (" +
                             runSubjectText(a.run.subject, a.run.sex, a.run.other, a.run.inputFile) +
                             ") were at the same time: their blocks alternate in " + fileNameOf(path) +
                             " and may be mixed up");
}

// Sorts the run's blocks into sessions and gives each its role.
void BlockAssembly::assemble(DraftRun& draft)
{
    RunRecord& run = draft.run;
    std::map<int, std::size_t> sessionIndex;
    for (const DraftBlock& block : draft.blocks)
        sessionIndex.emplace(block.settings.session, 0);
    for (auto& [session, index] : sessionIndex) {
        index = run.sessions.size();
        run.sessions.emplace_back();
        run.sessions.back().settings.session = 0;  // set by the session's first block
    }
    std::set<int> changed;
    for (const DraftBlock& block : draft.blocks) {
        SessionRecord& session = run.sessions[sessionIndex[block.settings.session]];
        if (session.settings.session == 0)
            session.settings = block.settings;
        else if (!(session.settings == block.settings) && changed.insert(block.settings.session).second) {
            run.settingsChanged = true;
            run.problems.push_back("session " + std::to_string(block.settings.session) +
                                   ": the settings on the lines (Cat1 to nReal) change within the session, at block " +
                                   std::to_string(block.block.number) + "; the session's first ones are used");
        }
    }

    const std::vector<Expected> expected = expectedBlocks(run);
    for (DraftBlock& block : draft.blocks)
        giveRole(run, block, expected);

    // Blocks that took a number and should have lines but have none.
    std::set<int> present;
    for (const DraftBlock& block : draft.blocks)
        present.insert(block.block.number);
    std::vector<std::string> missing;
    for (int b = 1; b <= draft.lastBlock && b < static_cast<int>(expected.size()); ++b)
        if (expected[static_cast<std::size_t>(b)].trials > 0 && present.count(b) == 0)
            missing.push_back(std::to_string(b));
    // A run that stopped before the end of its last session has fewer blocks too; it
    // says so by having no subject log line.
    int lastWithLines = 0;
    for (std::size_t b = 1; b < expected.size(); ++b)
        if (expected[b].trials > 0)
            lastWithLines = static_cast<int>(b);
    run.linesMissing = !missing.empty() || draft.lastBlock < lastWithLines;
    if (!missing.empty()) {
        std::string list;
        for (const std::string& b : missing)
            list += (list.empty() ? "" : ", ") + b;
        run.problems.push_back((missing.size() == 1 ? "block " : "blocks ") + list +
                               (missing.size() == 1 ? " of the run has" : " of the run have") +
                               " no lines in the data files read");
    }

    for (DraftBlock& block : draft.blocks)
        run.sessions[sessionIndex[block.settings.session]].blocks.push_back(std::move(block.block));
    draft.blocks.clear();
}

// The run's blocks in the order its sessions run them (run/block_sequence.h), numbered
// from 1 (entry 0 is none).
std::vector<BlockAssembly::Expected> BlockAssembly::expectedBlocks(RunRecord& run)
{
    std::vector<Expected> expected(1);
    std::array<int, 2> finishedLeft{0, 0};
    const SessionLineSettings* previous = nullptr;
    // The sessions are in session order.
    const int lastSession = run.sessions.empty() ? 0 : run.sessions.back().settings.session;
    for (int s = 1; s <= lastSession; ++s) {
        const auto found = std::find_if(run.sessions.begin(), run.sessions.end(),
                                        [&](const SessionRecord& r) { return r.settings.session == s; });
        if (found == run.sessions.end()) {
            run.problems.push_back("session " + std::to_string(s) +
                                   " has no lines: the roles of the later sessions' blocks cannot be worked out");
            break;
        }
        const SessionLineSettings& settings = found->settings;
        SessionSequenceInput input{settings.Cat1p, settings.Cat2p, settings.Catsw, previous == nullptr, {},
                                   finishedLeft};
        if (previous)
            input.sameListAsPrevious = {settings.Cat1 == previous->Cat1, settings.Cat2 == previous->Cat2};
        const SessionSequence sequence = sessionSequence(input);
        for (int half = 0; half < 2; ++half)
            for (int b = 0; b < blocksPerHalf; ++b)
                if (sequence.runs[half][b])
                    expected.push_back({s, half + 1, static_cast<BlockRole>(b), sequence.left[half],
                                        b == recordedBlock ? settings.nReal : settings.nPrac});
        finishedLeft = sequence.finishedLeft;
        previous = &settings;
    }
    return expected;
}

// The data block takes the role of its number in the run's sequence.
void BlockAssembly::giveRole(RunRecord& run, DraftBlock& d, const std::vector<Expected>& expected)
{
    BlockRecord& block = d.block;
    const int b = block.number;
    if (b >= static_cast<int>(expected.size()) || expected[static_cast<std::size_t>(b)].session != d.settings.session) {
        const std::string where = b < static_cast<int>(expected.size())
                                      ? "is block " + std::to_string(b) + " of session " +
                                            std::to_string(expected[static_cast<std::size_t>(b)].session)
                                      : "has no block " + std::to_string(b);
        run.problems.push_back("block " + std::to_string(b) + " (session " + std::to_string(d.settings.session) +
                               ") does not fit the run's sequence of blocks, which " + where + ": its role is unknown");
        return;
    }
    const Expected& e = expected[static_cast<std::size_t>(b)];
    block.role = e.role;
    block.half = e.half;
    block.left = e.left;
    const std::string name = "block " + std::to_string(b) + " (session " + std::to_string(e.session) + ", half " +
                             std::to_string(e.half) + ", " + roleText(e.role) + ")";
    if (static_cast<int>(block.trials.size()) < e.trials)
        run.linesMissing = true;
    if (static_cast<int>(block.trials.size()) != e.trials)
        run.problems.push_back(name + " has " + countedText(block.trials.size(), "line", "lines") + ", " +
                               std::to_string(e.trials) + " are expected");
    // The key of an answered trial is the side of its category in the block's
    // arrangement: answers on the other side mean the role or the sides are wrong.
    int otherSide = 0;
    for (const TrialRecord& t : block.trials)
        if (!t.unrun && (t.key == "l") != (t.category == block.left[static_cast<std::size_t>(t.pair)]))
            ++otherSide;
    if (otherSide > 0)
        run.problems.push_back(name + ": " +
                               countedText(static_cast<std::size_t>(otherSide), "answer is", "answers are") +
                               " on the side the block's arrangement does not give its category");
    bool gap = false;
    for (const TrialRecord& t : block.trials) {
        if (t.unrun)
            gap = true;
        else if (gap) {
            run.problems.push_back(name + ": an answered trial follows a slot without a response (line " +
                                   std::to_string(t.lineNumber) + ")");
            break;
        }
    }
}
