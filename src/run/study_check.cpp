#include "run/study_check.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "common/file_existence.h"
#include "instructions/instruction_pages.h"
#include "questionnaire/questionnaire_file.h"
#include "questionnaire/questionnaire_runner.h"
#include "run/output_files.h"
#include "run/study_files.h"
#include "task/trial_plan.h"

namespace {

std::string lowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The text between double quotes, as it is.
std::string inDoubleQuotes(const std::string& text) { return "\"" + text + "\""; }

// The five bytes to which Windows-1252 gives no character.
bool undefinedInWindows1252(unsigned char byte)
{
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

std::string hexByte(unsigned char byte)
{
    constexpr const char* digits = "0123456789ABCDEF";
    return std::string("\\x") + digits[byte >> 4] + digits[byte & 0xF];
}

// The text with each control byte, and with undefined also each byte undefined in
// Windows-1252, written as \xHH, so that the printed report shows it.
std::string visible(std::string_view text, bool undefined)
{
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || (undefined && undefinedInWindows1252(byte)))
            shown += hexByte(byte);
        else
            shown += c;
    }
    return shown;
}

std::string quotedWord(std::string_view word) { return inDoubleQuotes(visible(word, true)); }

}  // namespace

namespace {

// Trials of one category that a block of the given type and length can show: the
// most over every starting row of the side table and both phases, as the trial plan
// would build them.
int countMostWordsOfOneCategory(BlockType type, int trials)
{
    class FixedRow final : public RandomGenerator {
    public:
        explicit FixedRow(int row) : row_(row) {}
        void seed(unsigned) override {}
        int next() override { return row_; }

    private:
        int row_;
    };
    class NoTime final : public CalendarTime {
    public:
        std::time_t secondsNow() override { return 0; }
    };

    int most = 0;
    NoTime calendar;
    for (int row = 0; row < sideTableRows; ++row) {
        for (int startPhase = 0; startPhase < 2; ++startPhase) {
            FixedRow random(row);
            int phase = startPhase;
            const TrialPlan plan = buildTrialPlan(type, maxEntries, {0, 0}, trials, phase, random, calendar);
            int shown[2][2] = {};
            for (int t = 0; t < plan.trials; ++t)
                most = std::max(most, ++shown[plan.pair[t]][plan.category[t]]);
        }
    }
    return most;
}

// The same, for the two kinds of block a session has, worked out once.
int mostWordsOfOneCategory(BlockType type, int trials)
{
    using Table = std::array<std::array<int, maxTrialsPerBlock + 1>, 2>;
    static const Table table = [] {
        Table t{};
        for (int n = 0; n <= maxTrialsPerBlock; ++n) {
            t[0][n] = countMostWordsOfOneCategory(BlockType::PairOneBlock, n);
            t[1][n] = countMostWordsOfOneCategory(BlockType::CombinedBlock, n);
        }
        return t;
    }();
    return table[type == BlockType::CombinedBlock ? 1 : 0][std::clamp(trials, 0, maxTrialsPerBlock)];
}

// A label or item of a list file, with where it stands: a word list names its line,
// a questionnaire the page that holds it.
struct Word {
    enum class Kind {
        ListLabel,           // a word list's label, which truv-results' CSV files record
        QuestionnaireLabel,  // shown on the screen only
        Item,                // a word a category gets whatever the participant answers
        Choice,              // a radio item or choice, a word only if the participant picks it
    };
    std::string_view text;
    std::string name;  // as a warning names it: "line 5: the word", "page 3: radio item 1"
    std::string unit;  // "line" or "page", for naming several places at once
    int number = 0;    // the line or page
    int category = 0;  // 0 the file's first category, 1 its second
    Kind kind = Kind::Item;
    bool label() const { return kind == Kind::ListLabel || kind == Kind::QuestionnaireLabel; }
};

// The checker's files: each is read from the source once, however many of the run's
// readers read it (the input file is read to see that it opens and then for its
// definition, a questionnaire by the catalogue for its labels and then whole).
class ReadOnceFiles final : public FileSource {
public:
    explicit ReadOnceFiles(const FileSource& source) : source_(source) {}

    bool exists(const std::string& path) const override { return source_.exists(path); }
    std::string absenceReason(const std::string& path) const override { return source_.absenceReason(path); }
    ReadOutcome read(const std::string& path) const override
    {
        const auto [held, first] = reads_.try_emplace(path);
        if (first)
            held->second = source_.read(path);
        return held->second;
    }
    StreamOutcome openStream(const std::string& path) const override { return source_.openStream(path); }
    std::string fileKey(const std::string& path) const override { return source_.fileKey(path); }
    std::string resolvedPath(const std::string& path) const override { return source_.resolvedPath(path); }
    std::vector<std::string> namesIn(const std::string& directory) const override { return source_.namesIn(directory); }

private:
    const FileSource& source_;
    mutable std::map<std::string, ReadOutcome> reads_;
};

class StudyChecker {
public:
    StudyChecker(const std::string& inputPath, const FileSource& source) : source_(source)
    {
        study_.inputPath = inputPath;
    }

    StudyReport run();

private:
    CheckedFile& fileNamed(const std::string& name);
    void add(const std::string& file, Finding::Kind kind, const std::string& text);
    void problem(const std::string& file, const std::string& text) { add(file, Finding::Kind::Problem, text); }
    void warning(const std::string& file, const std::string& text) { add(file, Finding::Kind::Warning, text); }

    void checkSessions();
    void checkInstructionFile();
    void checkLists();
    void checkQuestionnaire(int index, CategoryCounts& expected);
    void checkRepeats(const CategoryCounts& expected);
    void checkWords(const std::string& file, const std::vector<Word>& words, const std::string_view labels[2]);
    void checkWordList(const WordList& list);
    void checkQuestionnaireWords(const std::string& file, const QuestionnaireDocument& document);
    void checkNameCases();
    std::string missingHint(const std::string& name) const;
    std::string caseHint(const std::string& path) const;
    bool listUnusable(int index) const;

    const ReadOnceFiles source_;
    StudyFiles study_;
    std::string inputName_;
    StudyReport report_;
};

CheckedFile& StudyChecker::fileNamed(const std::string& name)
{
    for (CheckedFile& file : report_.files)
        if (file.name == name)
            return file;
    report_.files.push_back({name, {}});
    return report_.files.back();
}

// Two checks can come upon the same fault (a file named as the instruction file and
// as a list, a questionnaire's labels read by the catalogue and by the questionnaire
// reader): it is reported once.
void StudyChecker::add(const std::string& file, Finding::Kind kind, const std::string& text)
{
    CheckedFile& checked = fileNamed(file);
    for (const Finding& finding : checked.findings)
        if (finding.kind == kind && finding.text == text)
            return;
    checked.findings.push_back({kind, text});
    ++(kind == Finding::Kind::Problem ? report_.problems : report_.warnings);
}

StudyReport StudyChecker::run()
{
    inputName_ = study_.inputPath;
    fileNamed(inputName_);
    // The subject log holds the input file's path as typed on the subject page, which
    // takes it whole: a path given relative to the current folder is checked with it.
    std::error_code error;
    const std::filesystem::path whole = std::filesystem::absolute(study_.inputPath, error);
    const std::string wholePath = error ? study_.inputPath : whole.string();
    if (const std::optional<std::string> reason = lineBreakInPath(wholePath))
        warning(inputName_, *reason + (wholePath == study_.inputPath ? "" : " (" + visible(wholePath, false) + ")"));
    if (const ReadOutcome read = source_.read(study_.inputPath); !read.opened) {
        problem(inputName_, read.error + caseHint(study_.inputPath));
        return report_;
    }
    // The subject information page takes only an input file it can open for writing.
    if (!source_.exists(study_.inputPath)) {
        const std::string reason = source_.absenceReason(study_.inputPath);
        problem(inputName_, "the subject information page would refuse it with \"could not find specified input "
                            "file\"" +
                                (reason.empty() ? std::string() : " (" + reason + ")"));
    }
    if (const auto refusal = loadDefinition(study_, study_.inputPath, source_))
        for (const std::string& text : study_.definition.problems)
            problem(inputName_, text);

    checkSessions();
    checkInstructionFile();
    checkLists();
    checkNameCases();
    return report_;
}

void StudyChecker::checkSessions()
{
    for (int s = 0; s < study_.sessionCount; ++s) {
        const SessionSettings& session = study_.session(s);
        const std::string prefix = "session " + std::to_string(s + 1) + ": ";
        // Names the file did not supply are empty: its problems say why.
        if (session.Cat1 == session.Cat2.view() && !session.Cat1.empty())
            warning(inputName_, prefix + "both category pairs use " + session.Cat1.str() +
                                    "; the combined blocks show the same words under two pairs of keys");
        if (session.Catsw != 0 && session.Catsw != 1)
            warning(inputName_, prefix + "the switch value is " + std::to_string(session.Catsw) +
                                    ", neither 0 nor 1: no category changes sides at the midpoint, so the second "
                                    "half repeats the first");
        if (session.nPrac == 0)
            warning(inputName_, prefix + "practice blocks have 0 trials: the participant goes to the recorded "
                                         "blocks without practice");
        if (session.nReal == 0)
            warning(inputName_, prefix + "recorded blocks have 0 trials: the session records and scores nothing");
    }

    // The run reads the flags as written: the tutorial flag 1 shows the tutorial and 0
    // the page on the keys; the edit-lists flag 1 offers the review of the lists.
    const ExperimentDefinition& definition = study_.definition;
    if (definition.tutorialIncluded != 0 && definition.tutorialIncluded != 1)
        warning(inputName_, "the tutorial flag is " + std::to_string(definition.tutorialIncluded) +
                                ", neither 0 nor 1: the participant sees neither the tutorial (1) nor the page on "
                                "the keys (0)");
    if (definition.editListsIncluded != 0 && definition.editListsIncluded != 1)
        warning(inputName_, "the edit-lists flag is " + std::to_string(definition.editListsIncluded) +
                                ", neither 0 nor 1: as with 0, the participant is not offered the review of the "
                                "word lists (1 offers it)");
}

void StudyChecker::checkInstructionFile()
{
    const std::string name = study_.definition.instructionFileName.str();
    if (name.empty())
        return;  // the input file's problems say why
    if (!source_.exists(study_.instructionFilePath())) {
        problem(name, "missing: " + study_.instructionFilePath() + missingHint(name));
        return;
    }
    fileNamed(name);
    InstructionFileRun file = InstructionFileRun::open(study_.instructionFilePath(), source_);
    // The rest of the run's refusal; the pages of a refused file are not looked at.
    if (const Problems problems = instructionFileProblems(file, study_.instructionFilePath()); !problems.empty()) {
        for (const std::string& text : problems)
            problem(name, text);
        return;
    }
    // The run's own reader: a count larger than the pages the file holds shows
    // empty pages, one OK each.
    if (file.pageCount() == 0) {
        warning(name, "the file shows no page: its page count is 0, negative or not a number");
        return;
    }
    int held = 0;
    std::string page;
    while (held < file.pageCount() && !file.exhausted() && file.nextPage(page))
        ++held;
    if (held < file.pageCount())
        warning(name, "the page count is " + std::to_string(file.pageCount()) + " but the file holds " +
                          std::to_string(held) + " page" + (held == 1 ? "" : "s") + ": the participant would see " +
                          std::to_string(file.pageCount() - held) + " empty page" +
                          (file.pageCount() - held == 1 ? "" : "s"));
}

void StudyChecker::checkLists()
{
    loadStudyLists(study_, source_);
    const ListCatalog& catalog = study_.catalog;
    bool missing = false;
    for (int i = 0; i < catalog.fileCount; ++i) {
        const WordList& list = catalog.files[i];
        const std::string name = list.fileName.str();
        const std::string path = joinPath(study_.inputDirectory, name);
        if (name.empty()) {
            missing = true;  // the input file's problems say why
            continue;
        }
        if (std::find(catalog.missingPaths.begin(), catalog.missingPaths.end(), path) != catalog.missingPaths.end()) {
            problem(name, "missing: " + path + missingHint(name));
            missing = true;
            continue;
        }
        fileNamed(name);
        for (const std::string& text : list.problems)
            problem(name, text);
        if (!list.isQuestionnaire && list.problems.empty())
            checkWordList(list);
    }
    if (missing)
        return;  // the session pairs of a missing file have nothing to check

    // A list the reader had to cut or clamp is reported as such; what its counts
    // would cause is not reported beside it.
    for (const ItemShortage& shortage : itemShortages(study_, loadedCounts(study_), false))
        if (!listUnusable(catalog.indexOf(shortage.fileName)))
            problem(shortage.fileName, shortage.text);

    CategoryCounts expected = loadedCounts(study_);
    for (int i = 0; i < catalog.fileCount; ++i)
        if (catalog.files[i].isQuestionnaire)
            checkQuestionnaire(i, expected);
    checkRepeats(expected);
}

// The runner's reading and usability rule; the entry counts a full set of answers
// gives go into expected.
void StudyChecker::checkQuestionnaire(int index, CategoryCounts& expected)
{
    const WordList& list = study_.catalog.files[index];
    const std::string name = list.fileName.str();
    const QuestionnaireDocument document = readQuestionnaireFile(joinPath(study_.inputDirectory, name), source_);
    for (const std::string& text : document.problems)
        problem(name, text);
    const ItemCounts counts = itemCounts(document);
    if (!isUsable(counts))
        problem(name, std::string(unusableQuestionnaireMessage) + " (this file: " + std::to_string(counts.category1) +
                          " and " + std::to_string(counts.category2) + ")");
    if (!isUsable(document))
        return;
    checkQuestionnaireWords(name, document);

    const ItemCounts sure = guaranteedItems(document);
    const std::pair<int, const Entry*> categories[2] = {{sure.category1, &document.category1Label},
                                                        {sure.category2, &document.category2Label}};
    for (const auto& [items, label] : categories)
        if (items == 0)
            warning(name, "if the participant answers \"no answer\" to every question, category " +
                              inDoubleQuotes(label->str()) +
                              " gets no item and the run stops; an experimenter item of that category prevents it");

    for (int s = 0; s < study_.sessionCount; ++s)
        for (int p = 0; p < 2; ++p)
            if (study_.listIndex[s][p] == index)
                expected[s][p] = {1 + counts.category1, 1 + counts.category2};
}

namespace {

// "line 4", "lines 4 and 9", "lines 4, 6 and 9".
std::string placesOf(const std::string& unit, std::vector<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    std::string text = unit + (numbers.size() == 1 ? " " : "s ");
    for (std::size_t i = 0; i < numbers.size(); ++i)
        text += (i == 0 ? "" : i + 1 == numbers.size() ? " and " : ", ") + std::to_string(numbers[i]);
    return text;
}

}  // namespace

// Words as the data file records them, byte for byte; the program itself never
// compares two words (a block draws items by their place in the list, the review
// removes one by its place), so a word twice is two entries, shown as often as two.
void StudyChecker::checkWords(const std::string& file, const std::vector<Word>& words, const std::string_view labels[2])
{
    for (const Word& word : words) {
        const std::string what = word.name + " " + quotedWord(word.text);
        const std::size_t nul = word.text.find('\0');
        if (nul != std::string_view::npos && word.kind != Word::Kind::QuestionnaireLabel)
            warning(file, what + " holds a NUL byte: " +
                              (word.label() ? "truv-results' CSV files record it, and pandas reads the label"
                                            : "the data file records it, and pandas reads the word") +
                              " only up to it (" + quotedWord(word.text.substr(0, nul)) + ")");
        const auto undefined = std::find_if(word.text.begin(), word.text.end(), [](char c) {
            return undefinedInWindows1252(static_cast<unsigned char>(c));
        });
        if (undefined != word.text.end())
            warning(file, what + " holds the byte " + hexByte(static_cast<unsigned char>(*undefined)) +
                              ", which Windows-1252 leaves undefined: the screen has no character to show for it" +
                              (word.label() ? ""
                                            : ", and readers of the data file as Windows-1252 text (the user guide's "
                                              "R and Python code) stop at it"));
    }

    // Each item that stands more than once is named once, with all its places.
    std::vector<std::string_view> named;
    for (const Word& word : words) {
        if (word.kind != Word::Kind::Item || word.text.empty() ||
            std::find(named.begin(), named.end(), word.text) != named.end())
            continue;
        named.push_back(word.text);
        std::vector<int> places[2];
        for (const Word& other : words)
            if (other.kind == Word::Kind::Item && other.text == word.text)
                places[other.category].push_back(other.number);
        for (int c = 0; c < 2; ++c)
            if (places[c].size() > 1)
                warning(file, placesOf(word.unit, places[c]) + ": the word " + quotedWord(word.text) + " stands " +
                                  (places[c].size() == 2 ? std::string("twice")
                                                         : std::to_string(places[c].size()) + " times") +
                                  " in category " + quotedWord(labels[c]) +
                                  ": blocks show it more often than the other words");
        if (!places[0].empty() && !places[1].empty()) {
            places[0].insert(places[0].end(), places[1].begin(), places[1].end());
            warning(file, placesOf(word.unit, places[0]) + ": the word " + quotedWord(word.text) +
                              " stands in both categories, " + quotedWord(labels[0]) + " and " + quotedWord(labels[1]) +
                              ": the participant cannot know which key is right for it");
        }
    }
}

void StudyChecker::checkWordList(const WordList& list)
{
    std::vector<Word> words;
    for (int c = 0; c < 2; ++c) {
        const Entries& entries = c == 0 ? list.entriesA : list.entriesB;
        const auto& lines = c == 0 ? list.linesA : list.linesB;
        for (int i = 0; i < (c == 0 ? list.entryCountA : list.entryCountB); ++i)
            words.push_back({entries[i].view(),
                             "line " + std::to_string(lines[i]) + (i == 0 ? ": the label" : ": the word"), "line",
                             lines[i], c, i == 0 ? Word::Kind::ListLabel : Word::Kind::Item});
    }
    const std::string_view labels[2] = {list.entriesA[0].view(), list.entriesB[0].view()};
    const std::string name = list.fileName.str();
    checkWords(name, words, labels);
    if (labels[0] == labels[1])
        warning(name, placesOf("line", {list.linesA[0], list.linesB[0]}) + ": both categories have the label " +
                          quotedWord(labels[0]) + ": the screen shows the same label on both sides");
}

// The words the experimenter wrote into a questionnaire: its labels, its experimenter
// items (which the categories get whatever the answers) and the radio items and
// choices a participant may pick.
void StudyChecker::checkQuestionnaireWords(const std::string& file, const QuestionnaireDocument& document)
{
    std::vector<Word> words;
    words.push_back({document.category1Label.view(), "the first label", "", 0, 0, Word::Kind::QuestionnaireLabel});
    words.push_back({document.category2Label.view(), "the second label", "", 0, 1, Word::Kind::QuestionnaireLabel});
    for (int i = 0; i < document.pageCount; ++i) {
        const QuestionnairePage& page = document.pages[i];
        const std::string name = "page " + std::to_string(i + 1);
        const int category = page.category - 1;
        if (page.type == PageType::ExperimenterItem && (category == 0 || category == 1))
            words.push_back({page.experimenterItem.view(), name + ": the word", "page", i + 1, category,
                             Word::Kind::Item});
        if (page.type == PageType::RadioChoice)
            for (int r = 0; r < 2; ++r)
                words.push_back({page.radioItems[r].view(), name + ": radio item " + std::to_string(r + 1), "page",
                                 i + 1, 0, Word::Kind::Choice});
        if (page.type == PageType::ListOfChoices)
            for (int j = 0; j < page.choiceCount; ++j)
                words.push_back({page.choices[j].view(), name + ": choice " + std::to_string(j + 1), "page", i + 1, 0,
                                 Word::Kind::Choice});
    }
    const std::string_view labels[2] = {document.category1Label.view(), document.category2Label.view()};
    checkWords(file, words, labels);
    if (labels[0] == labels[1])
        warning(file, "both categories have the label " + quotedWord(labels[0]) +
                          ": the screen shows the same label on both sides");
}

// Each category of a pair has its own urn over the session's usable items; a block
// that shows more words of one category than there are items shows some twice.
void StudyChecker::checkRepeats(const CategoryCounts& expected)
{
    for (int s = 0; s < study_.sessionCount; ++s) {
        if (listUnusable(study_.listIndex[s][0]) || listUnusable(study_.listIndex[s][1]))
            continue;
        const SessionSettings& session = study_.session(s);
        int usable = maxEntries;
        std::string shortest;
        for (int p = 0; p < 2; ++p) {
            const WordList& file = study_.listOf(s, p);
            for (int c = 0; c < 2; ++c) {
                if (expected[s][p][c] < usable) {
                    usable = expected[s][p][c];
                    shortest = inDoubleQuotes((c == 0 ? file.entriesA : file.entriesB)[0].str()) + " of " +
                               file.fileName.str();
                }
            }
        }
        const int items = usable - 1;
        if (items < 1)
            continue;  // refused as a shortage
        const struct {
            BlockType type;
            int trials;
            const char* what;
        } blocks[] = {{BlockType::PairOneBlock, session.nPrac, "a single-pair practice block"},
                      {BlockType::CombinedBlock, session.nPrac, "a combined practice block"},
                      {BlockType::CombinedBlock, session.nReal, "the recorded block"}};
        for (const auto& block : blocks) {
            const int words = mostWordsOfOneCategory(block.type, block.trials);
            if (words > items) {
                warning(inputName_, "session " + std::to_string(s + 1) + ": blocks draw " + std::to_string(items) +
                                        " item" + (items == 1 ? "" : "s") + " from each category (the shortest, " +
                                        shortest + ", limits all four), but " + block.what + " of " +
                                        std::to_string(block.trials) + " trials shows up to " + std::to_string(words) +
                                        " words of one category: items repeat within it");
                break;
            }
        }
    }
}

// Names the study uses that differ only in case: one file on a system that ignores
// case (a study copied to a USB stick or a Windows share), two files here.
void StudyChecker::checkNameCases()
{
    std::vector<std::string> names;
    if (!study_.definition.instructionFileName.empty())
        names.push_back(study_.definition.instructionFileName.str());
    for (int i = 0; i < study_.catalog.fileCount; ++i)
        if (std::find(names.begin(), names.end(), study_.catalog.files[i].fileName.str()) == names.end())
            names.push_back(study_.catalog.files[i].fileName.str());
    const auto present = [&](const std::string& name) { return source_.exists(joinPath(study_.inputDirectory, name)); };
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t j = i + 1; j < names.size(); ++j)
            // When one of the two is missing, its problem names the other already.
            if (names[i] != names[j] && lowerAscii(names[i]) == lowerAscii(names[j]) &&
                present(names[i]) == present(names[j]))
                warning(inputName_, "the input file names both " + names[i] + " and " + names[j] +
                                        ", which differ only in case: a system that ignores case takes them for "
                                        "one file");

    const std::vector<std::string> held = source_.namesIn(study_.inputDirectory);
    for (const std::string& name : names) {
        if (!present(name))
            continue;
        for (const std::string& other : held)
            if (other != name && lowerAscii(other) == lowerAscii(name))
                warning(name, "the folder also holds " + other +
                                  ", whose name differs only in case: copied to a system that ignores case, one "
                                  "would replace the other");
    }
}

// For a file the run takes for missing: what is there instead, as the system says,
// or a file of the folder whose name differs only in case.
std::string StudyChecker::missingHint(const std::string& name) const
{
    const std::string path = joinPath(study_.inputDirectory, name);
    const std::string reason = source_.absenceReason(path);
    if (reason.starts_with("exists, but:"))
        return " (" + reason + "; the run takes only a file it can open for writing)";
    if (!reason.empty())
        return " (" + reason + ")";
    return caseHint(path);
}

std::string StudyChecker::caseHint(const std::string& path) const
{
    const std::string name = fileNameOf(path);
    for (const std::string& other : source_.namesIn(directoryOf(path)))
        if (other != name && lowerAscii(other) == lowerAscii(name))
            return " (the folder holds " + other + ": names differ in case)";
    return {};
}

// A list that is missing or that the reader had to cut or clamp: the run refuses it.
bool StudyChecker::listUnusable(int index) const
{
    const ListCatalog& catalog = study_.catalog;
    if (index < 0 || index >= catalog.fileCount)
        return true;
    const std::string path = joinPath(study_.inputDirectory, catalog.files[index].fileName.str());
    return !catalog.files[index].problems.empty() ||
           std::find(catalog.missingPaths.begin(), catalog.missingPaths.end(), path) != catalog.missingPaths.end();
}

}  // namespace

StudyReport checkStudy(const std::string& inputPath, const FileSource& source)
{
    return StudyChecker(inputPath, source).run();
}

std::string formatStudyReport(const StudyReport& report)
{
    std::string text;
    for (const CheckedFile& file : report.files) {
        text += visible(file.name, false) + "\n";
        if (file.findings.empty())
            text += "  ok\n";
        for (const Finding& finding : file.findings)
            text += std::string(finding.kind == Finding::Kind::Problem ? "  problem: " : "  warning: ") + finding.text +
                    "\n";
    }
    const auto count = [](int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); };
    if (report.runnable())
        text += "A run would go through (" + count(report.warnings, "warning") + ").\n";
    else
        text += "A run would stop: " + count(report.problems, "problem") + ", " + count(report.warnings, "warning") +
                ".\n";
    return text;
}
