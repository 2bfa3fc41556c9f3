#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>

#include "sim/sim_options.h"
#include "sim/simulated_participant.h"
#include "run/block_sequence.h"
#include "common/temp_directory.h"
#include "files/input_file.h"
#include "files/word_list.h"
#include "instructions/instruction_pages.h"
#include "questionnaire/document_builder.h"
#include "support/sample_items.h"

namespace {

// --- the command line ---

std::optional<SimOptions> parse(const std::vector<std::string>& args)
{
    std::string error;
    auto options = parseSimOptions(args, error);
    EXPECT_EQ(options.has_value(), error.empty());
    return options;
}

TEST(SimOptions, DefaultsAndEveryOption)
{
    const auto d = parse({"study.inp", "--data", "out.dat"});
    ASSERT_TRUE(d);
    EXPECT_EQ(d->subjectNumber, "0");
    EXPECT_EQ(d->sexIndex, -1);
    EXPECT_FALSE(d->seed);
    EXPECT_EQ(std::tie(d->rtMean, d->rtSd, d->rtTau, d->errorRate), std::tuple(700.0, 100.0, 150.0, 0.05));
    EXPECT_FALSE(d->report);

    const auto o = parse({"--data=a b.dat", "--subject", "1000",         "--sex",     "f",          "--other",
                          "grpA",           "--seed",    "4294967295",   "--rt-mean", "520.5",      "--rt-sd=0",
                          "--rt-tau",       "0",         "--error-rate", "1",         "--skip",     "3:0",
                          "--skip=10:100",  "--report",  "--pace",       "0.25",      "--progress", "dir/x.inp",
                          "--effect",       "-50.5"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->inputPath, "dir/x.inp");
    EXPECT_EQ(o->dataPath, "a b.dat");
    EXPECT_EQ(o->subjectNumber, "1000");  // as typed: the subject page checks it
    EXPECT_EQ(o->sexIndex, 1);
    EXPECT_EQ(o->otherCode, "grpA");
    EXPECT_EQ(o->seed, 4294967295u);
    EXPECT_EQ(std::tie(o->rtMean, o->rtSd, o->rtTau, o->errorRate), std::tuple(520.5, 0.0, 0.0, 1.0));
    ASSERT_EQ(o->skips.size(), 2u);
    EXPECT_EQ(std::tie(o->skips[0].block, o->skips[0].trials), std::tuple(3, 0));
    EXPECT_EQ(std::tie(o->skips[1].block, o->skips[1].trials), std::tuple(10, 100));
    EXPECT_TRUE(o->report);
    EXPECT_EQ(o->pace, 0.25);
    EXPECT_TRUE(o->progress);
    EXPECT_EQ(o->effect, -50.5);
    EXPECT_EQ(d->pace, 0.0);
    EXPECT_EQ(d->effect, 0.0);
    EXPECT_FALSE(d->progress);
    EXPECT_TRUE(parse({"--help"})->help);
    EXPECT_TRUE(parse({"i.inp", "--data", "o.dat", "--rt-mean", "100", "--rt-tau", "100"}));
    // The mean after the switch, 700 - 550, may come down to the default tau of 150.
    EXPECT_EQ(parse({"i.inp", "--data", "o.dat", "--effect", "-550"})->effect, -550.0);
    EXPECT_EQ(parse({"i.inp", "--data", "o.dat", "--effect=1000"})->effect, 1000.0);
}

TEST(SimOptions, UsageErrors)
{
    const std::vector<std::vector<std::string>> incomplete = {
        {}, {"i.inp"}, {"--data", "o.dat"}, {"i.inp", "j.inp", "--data", "o.dat"}, {"i.inp", "--data"}};
    for (const auto& args : incomplete)
        EXPECT_FALSE(parse(args)) << args.size();

    const std::vector<std::vector<std::string>> bad = {
        {"--seed"},
        {"--speed", "3"},
        {"-x"},
        {"--report=yes"},
        {"--sex", "x"},
        {"--sex", "M"},
        {"--seed", "-1"},
        {"--seed", "4294967296"},
        {"--seed", "12x"},
        {"--seed", ""},
        {"--rt-mean", "0"},
        {"--rt-mean", "-700"},
        {"--rt-mean", "700ms"},
        {"--rt-mean", "nan"},
        {"--rt-mean", "inf"},
        {"--rt-sd", "-1"},
        {"--rt-tau", "701"},   // above the mean of 700
        {"--rt-mean", "100"},  // below the default tau of 150
        {"--error-rate", "1.01"},
        {"--error-rate", "-0.1"},
        {"--error-rate", "5%"},
        {"--skip", "3"},
        {"--skip", "0:5"},
        {"--skip", "3:101"},
        {"--skip", "3:-1"},
        {"--skip", ":4"},
        {"--skip", "3:4", "--skip", "3:2"},  // a block given twice
        {"--pace", "10.5"},
        {"--pace", "-1"},
        {"--progress=1"},
        {"--effect", "1000.5"},
        {"--effect", "-1001"},
        {"--effect", "+20"},
        {"--effect", "20ms"},
        {"--effect", "nan"},
        {"--effect", ""},
        {"--effect", "--"},
        {"--effect", "-551"},                     // the mean after the switch below tau
        {"--rt-tau", "700", "--effect", "-0.5"},  // the same at tau's upper end
    };
    for (const auto& extra : bad) {
        std::vector<std::string> args = {"i.inp", "--data", "o.dat"};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_FALSE(parse(args)) << extra[0] << " " << (extra.size() > 1 ? extra[1] : "");
    }
}

// --- latencies, clock and blocks ---

TEST(LatencyModel, MeanIsTheRequestedMeanAndNoDrawIsFasterThanTheFloor)
{
    struct Case {
        double mean, sd, tau;
    };
    for (const Case c : {Case{700, 100, 150}, Case{500, 50, 100}, Case{1200, 150, 500}, Case{160, 0, 150}}) {
        LatencyModel model(c.mean, c.sd, c.tau);
        std::mt19937 generator(42);
        const int n = 200'000;
        double sum = 0;
        double lowest = 1e9;
        for (int i = 0; i < n; ++i) {
            const double x = model.draw(generator);
            sum += x;
            lowest = std::min(lowest, x);
        }
        EXPECT_GE(lowest, LatencyModel::minimumLatency);
        if (c.mean - c.tau > 3 * c.sd + LatencyModel::minimumLatency) {  // the floor is out of reach
            EXPECT_NEAR(sum / n, c.mean, 0.005 * c.mean + 1) << c.mean;
        }
    }
}

SimOptions blockOptions(double errorRate, std::vector<SkipRequest> skips = {})
{
    SimOptions o;
    o.seed = 7;
    o.errorRate = errorRate;
    o.skips = std::move(skips);
    return o;
}

BlockRun runOne(SimulatedParticipant& participant, const BlockSettings& settings, TrialResults& results)
{
    fillPlaceholders(results);
    return participant.runBlock(settings, results);
}

TEST(SimulatedParticipant, LatenciesAreTheDrawsAndOnlyTheDelayAddsToTheVirtualTime)
{
    VirtualClock clock;
    clock.wait(5000);
    clock.markKey();
    EXPECT_EQ(clock.nowMicroseconds(), 5000);  // the first reading after a key is exact
    EXPECT_EQ(clock.nowMicroseconds(), 6000);  // readings in a loop move it on
    clock.wait(250);
    clock.markKey();
    EXPECT_EQ(clock.nowMicroseconds(), 6250);

    SimOptions o = blockOptions(0.5);
    o.rtMean = 400;
    o.rtSd = 0;
    o.rtTau = 0;
    SimulatedParticipant participant(o);
    TrialResults results;
    const std::int64_t before = participant.elapsedMicroseconds();
    EXPECT_EQ(runOne(participant, sampleBlockSettings(10, 250), results).end, BlockEnd::Completed);
    for (int t = 0; t < 10; ++t)
        EXPECT_EQ(results[t].latency, 400) << t;  // a wrong key first does not lengthen it
    const std::int64_t elapsed = participant.elapsedMicroseconds() - before;
    EXPECT_GE(elapsed, 10 * (400 + 250) * 1000LL);
    EXPECT_LE(elapsed, 10 * (400 + 260) * 1000LL);
}

TEST(SimulatedParticipant, KeepsTheAlternationPhaseFromBlockToBlockAndAnswersTheTutorialApart)
{
    // Three words leave the phase odd: the next combined block starts with the pair
    // the previous one would have shown next.
    SimulatedParticipant participant(blockOptions(0));
    TrialResults results;
    runOne(participant, sampleBlockSettings(3, 0), results);
    EXPECT_EQ(std::tuple(results[0].pair, results[1].pair, results[2].pair), std::tuple(1, 0, 1));
    runOne(participant, sampleBlockSettings(4, 0), results);
    EXPECT_EQ(results[0].pair, 0);

    // The tutorial parts are answered to their end whatever the error rate and skips
    // of the run, and are not blocks of the run: the first block after them is block 1.
    SimulatedParticipant tutored(blockOptions(1, {{1, 0}}));
    EXPECT_EQ(tutored.tutorial().runTutorialPart(1, tutorialPartSettings(1, 0)), BlockEnd::Completed);
    EXPECT_EQ(tutored.tutorial().runTutorialPart(2, tutorialPartSettings(2, 100)), BlockEnd::Completed);
    EXPECT_EQ(tutored.blocksRun(), 0);
    EXPECT_EQ(runOne(tutored, sampleBlockSettings(3, 0), results).end, BlockEnd::Skipped);
}

// --- whole runs ---

WordList makeList(const std::string& name, const std::string& labelA, const std::string& labelB, int items)
{
    WordList list;
    list.fileName.assign(name);
    list.entriesA = numberedCategory(labelA, labelA.substr(0, 1));
    list.entriesB = numberedCategory(labelB, labelB.substr(0, 1));
    for (int i = items + 1; i < maxEntries; ++i) {
        list.entriesA[i].clear();
        list.entriesB[i].clear();
    }
    list.entryCountA = list.entryCountB = items + 1;
    return list;
}

// One or more sessions over two word lists, or a word list and the questionnaire
// "own.qls", written with the program's own writers.
struct Study {
    TempDirectory dir;
    std::string input = dir.file("study.inp");

    explicit Study(int sessions = 1, int nPrac = 10, int nReal = 20, bool questionnaire = false)
    {
        EXPECT_TRUE(writeWordListFile(makeList("fruit.wls", "Fruit", "Tools", 8), dir.file("fruit.wls")));
        EXPECT_TRUE(writeWordListFile(makeList("mine.wls", "Mine", "Theirs", 6), dir.file("mine.wls")));
        InstructionPages pages;
        pages.pageTexts[0].assign("Welcome.");
        EXPECT_TRUE(writeInstructionFile(pages, dir.file("intro.bgi")));
        EXPECT_TRUE(writeQuestionnaireFile(ownWords(8), dir.file("own.qls")));

        ExperimentDefinition d;
        d.instructionFileName.assign("intro.bgi");
        d.sessionCount = sessions;
        for (int s = 0; s < sessions; ++s) {
            SessionSettings& x = d.sessions[s];
            x.Cat1.assign("fruit.wls");
            x.Cat2.assign(questionnaire ? "own.qls" : "mine.wls");
            x.Cat2p = 1;
            x.Delay = 100;
            x.nPrac = nPrac;
            x.nReal = nReal;
        }
        d.tutorialIncluded = 1;
        d.editListsIncluded = 1;
        EXPECT_TRUE(writeInputFile(d, input));
    }

    // Usable with all 8 pages; fewer leave too few items.
    static QuestionnaireDocument ownWords(int pages)
    {
        std::vector<QuestionnairePage> all = {instructionPage("About you."),
                                              textPage(1, "Your town?"),
                                              textPage(1, "Your street?"),
                                              textPage(2, "Another town?"),
                                              textPage(2, "A street?"),
                                              radioPage(1, "Which?", "tea", "coffee"),
                                              listPage(1, "Pick.", {"first", "second"}),
                                              itemPage(2, "elsewhere")};
        all.resize(static_cast<std::size_t>(pages));
        return makeDocument("Me", "Others", all);
    }

    SimOptions options(std::uint32_t seed = 11, const std::string& data = "out.dat") const
    {
        SimOptions o;
        o.inputPath = input;
        o.dataPath = dir.file(data);
        o.subjectNumber = "7";
        o.sexIndex = 1;
        o.otherCode = "grpA";
        o.seed = seed;
        return o;
    }

    // The data file's lines below the header, as fields.
    std::vector<std::vector<std::string>> rows(const std::string& data = "out.dat") const
    {
        return dataRows(dir.read(data));
    }

    static std::vector<std::vector<std::string>> dataRows(const std::string& text)
    {
        std::vector<std::vector<std::string>> rows;
        std::istringstream in(text);
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            std::istringstream cells(line);
            std::vector<std::string> fields;
            for (std::string field; std::getline(cells, field, '\t');)
                fields.push_back(field);
            rows.push_back(fields);
        }
        return rows;
    }
};

enum Column { Block = 13, Trial = 14, Icat = 15, Item = 18, Lat = 19, Error = 20, Key = 21 };

struct SimResult {
    int status = -1;
    std::string out;
    std::string err;
};

SimResult simulate(const SimOptions& options)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runSimulation(options, {2026, 3, 9, 14, 5, 0}, out, err);
    return {status, out.str(), err.str()};
}

TEST(SimulatedRun, SameSeedWritesTheSameFilesAndAnotherSeedDoesNot)
{
    Study study(2);
    ASSERT_EQ(simulate(study.options(11, "out.dat")).status, 0);
    ASSERT_EQ(simulate(study.options(11, "again.dat")).status, 0);
    ASSERT_EQ(simulate(study.options(12, "other.dat")).status, 0);
    EXPECT_EQ(study.rows().size(), (5u * 10 + 2 * 20) + (4u * 10 + 2 * 20));  // 7 blocks, then 6
    EXPECT_EQ(study.dir.read("out.dat"), study.dir.read("again.dat"));
    EXPECT_EQ(study.dir.read("out.slg"), study.dir.read("again.slg"));
    EXPECT_NE(study.dir.read("out.dat"), study.dir.read("other.dat"));
}

// With --progress each block is announced once its lines are in the data file, and
// its feedback screen after that.
TEST(SimulatedRun, ProgressAnnouncesEachBlockAfterItsLinesAndThenItsFeedback)
{
    Study study(1);
    SimOptions options = study.options(11, "out.dat");
    options.progress = true;
    const SimResult result = simulate(options);
    ASSERT_EQ(result.status, 0);
    std::string expected;
    for (int block = 1; block <= 7; ++block)
        expected += "block " + std::to_string(block) + " recorded\nblock " + std::to_string(block) + " feedback\n";
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(study.rows().size(), 5u * 10 + 2 * 20);
}

TEST(SimulatedRun, SkipWritesUnrunMarkersInThatBlockOnly)
{
    Study study(1, 10, 20);
    SimOptions o = study.options();
    o.skips = {{2, 3}, {4, 0}};
    ASSERT_EQ(simulate(o).status, 0);

    std::map<int, std::vector<std::vector<std::string>>> blocks;
    for (const auto& row : study.rows())
        blocks[std::stoi(row[Block])].push_back(row);
    ASSERT_EQ(blocks.size(), 7u);
    for (const auto& [number, rows] : blocks) {
        const std::size_t answered = number == 2 ? 3 : number == 4 ? 0 : rows.size();
        ASSERT_EQ(rows.size(), number == 4 || number == 7 ? 20u : 10u) << number;
        for (std::size_t t = 0; t < rows.size(); ++t) {
            const auto& row = rows[t];
            // The word after the last answer was shown and not answered; the rest never came.
            const std::string trial = t <= answered ? std::to_string(t + 1) : "99";
            EXPECT_EQ(row[Trial], trial) << number << " " << t;
            EXPECT_EQ(row[Lat] == "99999", t >= answered) << number << " " << t;
            if (t >= answered) {
                EXPECT_EQ(row[Error] + row[Key], "999") << number << " " << t;
            }
        }
    }
}

TEST(SimulatedRun, ErrorRateAndLatencyMeanShowInTheDataFile)
{
    Study study(1, 100, 100);
    SimOptions o = study.options();
    o.errorRate = 0.2;
    o.rtMean = 600;
    o.rtSd = 80;
    o.rtTau = 120;
    ASSERT_EQ(simulate(o).status, 0);
    o.errorRate = 0;
    o.dataPath = study.dir.file("careful.dat");
    ASSERT_EQ(simulate(o).status, 0);

    int wrong = 0;
    double latencies = 0;
    const auto rows = study.rows();
    ASSERT_EQ(rows.size(), 700u);
    for (const auto& row : rows) {
        wrong += std::stoi(row[Error]);
        latencies += std::stoi(row[Lat]);
    }
    EXPECT_NEAR(wrong / 700.0, 0.2, 0.05);
    EXPECT_NEAR(latencies / 700, 600, 25);
    for (const auto& row : study.rows("careful.dat"))
        EXPECT_EQ(row[Error], "0");
}

// The half (0 or 1) of every block of a data file, from each session's block
// sequence as the columns of its lines give it: a session's blocks run in order, its
// first half's first.
enum SessionColumn { Session = 1, Cat1 = 2, Cat1p = 4, Cat2p = 5, Catsw = 6 };

std::map<int, int> blockHalves(const std::vector<std::vector<std::string>>& rows)
{
    std::vector<std::vector<const std::vector<std::string>*>> sessions;  // first line of each block
    int lastBlock = 0;
    for (const auto& row : rows) {
        if (std::stoi(row[Block]) == lastBlock)
            continue;
        lastBlock = std::stoi(row[Block]);
        if (sessions.empty() || (*sessions.back().front())[Session] != row[Session])
            sessions.emplace_back();
        sessions.back().push_back(&row);
    }
    std::map<int, int> halves;
    std::array<int, 2> finishedLeft{0, 0};
    for (std::size_t s = 0; s < sessions.size(); ++s) {
        const auto& first = *sessions[s].front();
        SessionSequenceInput input{
            std::stoi(first[Cat1p]), std::stoi(first[Cat2p]), std::stoi(first[Catsw]), s == 0, {}, finishedLeft};
        for (int p = 0; s > 0 && p < 2; ++p)
            input.sameListAsPrevious[p] = first[Cat1 + p] == (*sessions[s - 1].front())[Cat1 + p];
        const SessionSequence sequence = sessionSequence(input);
        finishedLeft = sequence.finishedLeft;
        const auto firstHalf = std::count(sequence.runs[0].begin(), sequence.runs[0].end(), true);
        const auto all = firstHalf + std::count(sequence.runs[1].begin(), sequence.runs[1].end(), true);
        EXPECT_EQ(static_cast<long>(sessions[s].size()), all) << "session " << s + 1;
        for (std::size_t b = 0; b < sessions[s].size(); ++b)
            halves[std::stoi((*sessions[s][b])[Block])] = static_cast<long>(b) < firstHalf ? 0 : 1;
    }
    return halves;
}

// With an effect, the blocks after the switch are slower (or faster) by about it,
// in every session, and the blocks before it are not: the example study, two
// sessions, the second with a questionnaire.
TEST(SimulatedRun, EffectMovesTheLatenciesAfterTheSwitchOnly)
{
    TempDirectory dir;
    // Mean latency of the answered trials of each half.
    auto halfMeans = [&](double effect) {
        SimOptions o;
        o.inputPath = TRUV_EXAMPLES_DIR "/demo/demo-two-sessions.inp";
        o.dataPath = dir.file("effect.dat");
        o.seed = 5;
        o.effect = effect;
        std::filesystem::remove(o.dataPath);
        std::filesystem::remove(dir.file("effect.slg"));
        const SimResult r = simulate(o);
        EXPECT_EQ(r.status, 0) << r.err;
        const auto rows = Study::dataRows(dir.read("effect.dat"));
        const std::map<int, int> halves = blockHalves(rows);
        std::set<std::string> sessions;
        std::array<double, 2> sum{};
        std::array<int, 2> n{};
        for (const auto& row : rows) {
            sessions.insert(row[Session]);
            if (row[Lat] == "99999")
                continue;
            const int half = halves.at(std::stoi(row[Block]));
            sum[half] += std::stoi(row[Lat]);
            ++n[half];
        }
        EXPECT_EQ(sessions.size(), 2u);
        EXPECT_GT(n[0], 50);
        EXPECT_GT(n[1], 50);
        return std::array<double, 2>{sum[0] / n[0], sum[1] / n[1]};
    };

    const auto none = halfMeans(0);
    EXPECT_NEAR(none[1] - none[0], 0, 60);  // the same participant throughout
    for (const double effect : {150.0, -200.0, 400.0}) {
        const auto with = halfMeans(effect);
        EXPECT_NEAR(with[0], none[0], std::abs(effect) / 4) << effect;
        EXPECT_NEAR((with[1] - with[0]) - (none[1] - none[0]), effect, std::abs(effect) / 10) << effect;
    }
}

TEST(SimulatedRun, AnswersTheQuestionnaireAndPrintsTheReport)
{
    Study study(1, 10, 20, true);
    SimOptions o = study.options();
    o.report = true;
    const SimResult r = simulate(o);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Subject: 7\n1   Fruit+", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("%        18\n"), std::string::npos) << r.out;  // N of the recorded block

    // Pair 2 holds only typed answers ("w" and a number), the radio page's two items,
    // the list's first choice and the experimenter's item.
    std::set<std::string> pair2;
    for (const auto& row : study.rows())
        if (row[Icat] == "1")
            pair2.insert(row[Item]);
    EXPECT_GE(pair2.size(), 4u);
    for (const std::string& word : pair2) {
        const bool typed = word.size() >= 2 && word[0] == 'w' &&
                           word.find_first_not_of("0123456789", 1) == std::string::npos;
        EXPECT_TRUE(typed || word == "tea" || word == "coffee" || word == "first" || word == "elsewhere") << word;
    }
    EXPECT_NE(study.dir.read("out.slg").find("\r\n7\tf\tgrpA\t"), std::string::npos);
    EXPECT_EQ(simulate(study.options(11, "quiet.dat")).out, "");  // no report asked for
}

TEST(SimulatedRun, RefusalsStopWithTheReasonAndWriteNothing)
{
    struct Case {
        const char* what;
        std::function<void(Study&, SimOptions&)> change;
        const char* message;  // a part of what standard error says
    };
    const std::vector<Case> cases = {
        {"missing input", [](Study& s, SimOptions& o) { o.inputPath = s.dir.file("none.inp"); },
         "could not find specified input file"},
        {"no input", [](Study&, SimOptions& o) { o.inputPath = ""; }, "input file name"},
        {"data extension", [](Study& s, SimOptions& o) { o.dataPath = s.dir.file("out.txt"); }, "(*.dat)"},
        {"subject number", [](Study&, SimOptions& o) { o.subjectNumber = "1000"; }, "between 0 and 999"},
        {"other code", [](Study&, SimOptions& o) { o.otherCode = "ninechars"; }, "8"},
        {"missing list", [](Study& s, SimOptions&) { std::filesystem::remove(s.dir.file("mine.wls")); }, "mine.wls"},
        {"missing instructions", [](Study& s, SimOptions&) { std::filesystem::remove(s.dir.file("intro.bgi")); },
         "intro.bgi"},
        {"list with problems", [](Study& s, SimOptions&) { s.dir.write("mine.wls", "30 7\r\n"); }, "mine.wls"},
        {"unusable questionnaire",
         [](Study& s, SimOptions&) {
             EXPECT_TRUE(writeQuestionnaireFile(Study::ownWords(3), s.dir.file("own.qls")));
             ExperimentDefinition d = readInputFile(s.input);
             d.sessions[0].Cat2.assign("own.qls");
             EXPECT_TRUE(writeInputFile(d, s.input));
         },
         "qls"},
        {"data directory missing", [](Study& s, SimOptions& o) { o.dataPath = s.dir.file("gone/out.dat"); },
         "gone/out.dat"},
        // Something in a file's place: the path and the system's reason.
        {"input a directory",
         [](Study& s, SimOptions& o) {
             std::filesystem::create_directory(s.dir.file("dir.inp"));
             o.inputPath = s.dir.file("dir.inp");
         },
         "dir.inp (exists, but: Is a directory)"},
        {"list a directory",
         [](Study& s, SimOptions&) {
             std::filesystem::remove(s.dir.file("mine.wls"));
             std::filesystem::create_directory(s.dir.file("mine.wls"));
         },
         "mine.wls (exists, but: Is a directory)"},
        {"instructions a named pipe",
         [](Study& s, SimOptions&) {
             std::filesystem::remove(s.dir.file("intro.bgi"));
             EXPECT_EQ(::mkfifo(s.dir.file("intro.bgi").c_str(), 0644), 0);
         },
         "intro.bgi (exists, but: a named pipe (FIFO), not a regular file)"},
    };
    for (const Case& c : cases) {
        Study study;
        SimOptions o = study.options();
        c.change(study, o);
        std::vector<std::string> before = study.dir.entries();
        const SimResult r = simulate(o);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
        std::vector<std::string> after = study.dir.entries();
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(before, after) << c.what;
    }
}

}  // namespace
