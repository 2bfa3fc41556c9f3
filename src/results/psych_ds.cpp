#include "results/psych_ds.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <set>

#include "common/text_codec.h"
#include "results/results_exports.h"
#include "results/results_lines.h"
#include "results/results_reading.h"
#include "run/codebook.h"

namespace {

constexpr const char* descriptionFile = "dataset_description.json";
constexpr const char* codebookFile = "codebook.txt";
// How the description begins; a folder whose description begins so holds a dataset
// truv-results wrote, which may be written over.
constexpr std::string_view descriptionStart =
    "The trial slots of the word categorization task, read by truv-results from ";

struct Column {
    const char* name;
    const char* meaning;
};

// The meaning of each column of the data files, in the trials CSV's order.
constexpr Column columns[] = {
    {"run", "the run's number in the study: 1, 2, ... in order of first appearance"},
    {"data_file", "the data file holding the trial's line"},
    {"line", "the line's number in its data file (1 is the header)"},
    {"subject", "the subject number"},
    {"sex", "the sex code: m, f or empty"},
    {"other", "the other code typed on the subject information page"},
    {"input_file", "the input file's name (the data file's InpFl)"},
    {"session", "the session, 1 to 9"},
    {"half", "1 before the switch of the categories' sides, 2 after it; empty for a block of unknown role"},
    {"block", "the block's number in the run (the data file's Block)"},
    {"block_role", "the block's role: pair1_practice, pair2_practice, combined_practice, combined_recorded or unknown"},
    {"slot", "the slot's place in its block, from 1"},
    {"trial", "the trial's number (the data file's Trial); empty for a slot the block never reached"},
    {"pair", "the category pair, 1 or 2 (the data file's Icat + 1)"},
    {"category", "the category of its pair, 1 or 2 (the data file's Iscat + 1; 1 is the list file's first)"},
    {"category_label", "the category's label"},
    {"item", "the item's number in its list (the data file's Inum)"},
    {"word", "the word shown"},
    {"correct_side", "the side of the correct response: left or right"},
    {"latency", "the latency in milliseconds, as recorded, correction of errors included; empty without a response"},
    {"errors", "the wrong responses before the correct one; empty without a response"},
    {"key", "the key of the correct response: l or r; empty without a response"},
    {"unrun", "TRUE when the slot holds no response: the block never reached it, or its word was on the screen when "
              "the block was closed"},
    {"excluded", "TRUE when the trial does not count in the session's difference score: its block is not a combined "
                 "one, it has no response, it is over 10,000 ms, or its session is excluded"},
    {"run_flags", "the run's flags, separated by \";\": no_log_line (no subject log line went to it), log_differs "
                  "(its subject log line's figures differ from its data lines'), missed_frames (its timing record "
                  "says frames were missed)"},
};
static_assert(std::size(columns) == trialsCsvColumns.size());

// The columns described are the trials CSV's, name by name: a column added to it stops
// the build until its meaning is here.
constexpr bool describesEveryColumn()
{
    for (std::size_t i = 0; i < trialsCsvColumns.size(); ++i)
        if (std::string_view(columns[i].name) != trialsCsvColumns[i])
            return false;
    return true;
}
static_assert(describesEveryColumn());

// The text with each byte that begins no well-formed UTF-8 character replaced by
// U+FFFD (a path may hold any bytes).
std::string wellFormedUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80                 ? 1
                                   : c >= 0xC2 && c <= 0xDF ? 2
                                   : c >= 0xE0 && c <= 0xEF ? 3
                                   : c >= 0xF0 && c <= 0xF4 ? 4
                                                            : 0;
        bool good = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; good && k < length; ++k)
            good = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (good && length >= 3) {
            // No overlong form, no surrogate, nothing past U+10FFFF.
            const auto second = static_cast<unsigned char>(text[i + 1]);
            good = !(c == 0xE0 && second < 0xA0) && !(c == 0xED && second >= 0xA0) && !(c == 0xF0 && second < 0x90) &&
                   !(c == 0xF4 && second >= 0x90);
        }
        if (good) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

// A JSON string: quoted, with quotes, backslashes and control characters escaped.
std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : wellFormedUtf8(text)) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

// The names of the input files the runs name, in order of first appearance.
std::vector<std::string> inputFileNames(const StudyResults& study)
{
    std::vector<std::string> names;
    for (const RunRecord& run : study.runs) {
        const std::string name(inputFileNameOf(run.inputFile));
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

std::string stemOf(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot));
}

// Whether an input file's name can be the name of its copy in materials/.
bool copiable(const std::string& name) { return !name.empty() && name != "." && name != ".." && name != codebookFile; }

std::string joined(const std::vector<std::string>& texts, const char* between)
{
    std::string all;
    for (const std::string& text : texts)
        all += (all.empty() ? "" : between) + text;
    return all;
}

bool ourDataset(const std::string& directory)
{
    const ReadOutcome description = readFileBytes(joinPath(directory, descriptionFile), 1 << 20);
    return description.opened &&
           description.bytes.find("\"description\": \"" + std::string(descriptionStart)) != std::string::npos;
}

// The file's bytes through the source, which opens regular files only and never blocks.
std::optional<std::string> readWhole(const std::string& path, const FileSource& files, std::string& error,
                                     bool& missing)
{
    const StreamOutcome opened = files.openStream(path);
    missing = opened.missing;
    if (!opened.stream) {
        error = opened.error;
        return std::nullopt;
    }
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        const std::int64_t n = opened.stream->read(buffer, sizeof buffer, error);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > maxReadBytes) {
            error = "cannot read " + path + ": it is larger than any input file";
            return std::nullopt;
        }
    }
}

// Where a run's input file may be, in the order looked at: the study folder, the run's
// data file's folder, the list files' folders, the path typed on the subject page.
std::vector<std::string> inputFilePlaces(const RunRecord& run, const std::string& name,
                                         const std::string& studyDirectory, const std::vector<std::string>& listFolders)
{
    std::vector<std::string> names{name};
    if (const auto single = utf8ToWindows1252(name); single && *single != name)
        names.push_back(*single);  // a file copied from Windows keeps the single-byte name
    std::vector<std::string> places;
    std::vector<std::string> allFolders;
    if (!studyDirectory.empty())
        allFolders.push_back(studyDirectory);
    allFolders.push_back(directoryOf(run.dataFile));
    allFolders.insert(allFolders.end(), listFolders.begin(), listFolders.end());
    for (const std::string& folder : allFolders)
        for (const std::string& n : names)
            if (const std::string place = joinPath(folder, n);
                std::find(places.begin(), places.end(), place) == places.end())
                places.push_back(place);
    // The path typed on the subject page, where it is a path of this system.
    if (run.log && run.log->inputPath.find('/') != std::string::npos &&
        run.log->inputPath.find('\\') == std::string::npos &&
        std::find(places.begin(), places.end(), run.log->inputPath) == places.end())
        places.push_back(run.log->inputPath);
    return places;
}

struct InputCopy {
    std::string path;  // where it was found
    std::string bytes;
};

// The input files the runs name, by name in order of first appearance, each from the
// first place it is found for a run that names it; what is not copied is a warning.
std::vector<std::pair<std::string, InputCopy>> inputFileCopies(const StudyResults& study,
                                                               const std::string& studyDirectory,
                                                               const FileSource& files,
                                                               std::vector<std::string>& warnings)
{
    std::vector<std::string> listFolders;
    for (const std::string& list : study.listFiles)
        if (std::find(listFolders.begin(), listFolders.end(), directoryOf(list)) == listFolders.end())
            listFolders.push_back(directoryOf(list));
    std::map<std::string, std::optional<std::string>> read;  // by place: its bytes, or none
    std::map<std::string, std::string> unreadable;           // by place: why it could not be read
    std::map<std::string, InputCopy> found;                  // by name
    std::map<std::string, std::vector<std::string>> lookedAt;
    std::set<std::string> differing;  // places warned of
    for (const RunRecord& run : study.runs) {
        const std::string name(inputFileNameOf(run.inputFile));
        if (!copiable(name))
            continue;
        for (const std::string& place : inputFilePlaces(run, name, studyDirectory, listFolders)) {
            auto cached = read.find(place);
            if (cached == read.end()) {
                std::string error;
                bool missing = false;
                cached = read.emplace(place, readWhole(place, files, error, missing)).first;
                if (!cached->second && !missing)
                    unreadable[place] = error;
            }
            std::vector<std::string>& looked = lookedAt[name];
            if (std::find(looked.begin(), looked.end(), place) == looked.end())
                looked.push_back(place);
            if (!cached->second)
                continue;
            const InputCopy& copy = found.try_emplace(name, InputCopy{place, *cached->second}).first->second;
            if (copy.path != place && copy.bytes != *cached->second && differing.insert(place).second)
                warnings.push_back("materials/" + name + " is a copy of " + copy.path + "; " + place +
                                   ", the input file of run " + std::to_string(run.id) +
                                   ", differs from it and is not in the dataset");
            break;
        }
    }
    std::vector<std::pair<std::string, InputCopy>> copies;
    for (const std::string& name : inputFileNames(study)) {
        const auto copy = found.find(name);
        if (copy != found.end()) {
            copies.emplace_back(name, std::move(copy->second));
            continue;
        }
        std::string why;
        for (const std::string& place : lookedAt[name])
            if (const auto reason = unreadable.find(place); reason != unreadable.end())
                why += "; " + reason->second;
        warnings.push_back(!copiable(name)
                               ? "the input file name \"" + name +
                                     "\" cannot be the name of a file: materials/ holds no copy of it"
                               : "the input file " + name + " was not found (looked for at " +
                                     joined(lookedAt[name], ", ") + ")" + why + ": materials/ holds no copy of it");
    }
    return copies;
}

WriteOutcome makeFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0777) == 0)
        return {true, {}, 0};
    const int error = errno;
    struct stat info {};
    if (error == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return {true, {}, 0};
    return {false, "cannot create the folder " + path + ": " + std::strerror(error == EEXIST ? ENOTDIR : error),
            error == EEXIST ? ENOTDIR : error};
}

}  // namespace

std::string psychDsValue(std::string_view text)
{
    std::string value;
    for (const char c : text)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            value += c;
    return value;
}

std::string psychDsStudyValue(std::string_view inputFile)
{
    const std::string value = psychDsValue(stemOf(inputFileNameOf(inputFile)));
    return value.empty() ? "study" : value;
}

std::vector<PsychDsDataFile> psychDsDataFiles(const StudyResults& study)
{
    std::vector<PsychDsDataFile> files;
    std::set<std::string> taken;
    for (std::size_t r = 0; r < study.runs.size(); ++r) {
        const RunRecord& run = study.runs[r];
        for (std::size_t s = 0; s < run.sessions.size(); ++s) {
            const std::string stem = "study-" + psychDsStudyValue(run.inputFile) + "_subject-" +
                                     std::to_string(run.subject) + "_session-" +
                                     std::to_string(run.sessions[s].settings.session);
            std::string name = stem + "_data.csv";
            if (!taken.insert(name).second) {
                name = stem + "_run-" + std::to_string(run.id) + "_data.csv";
                taken.insert(name);
            }
            files.push_back({r, s, std::move(name)});
        }
    }
    return files;
}

std::string psychDsDescription(const StudyResults& study)
{
    std::vector<std::string> stems;
    for (const std::string& name : inputFileNames(study))
        stems.push_back(stemOf(name));
    std::vector<std::string> dataFiles;
    for (const std::string& path : study.dataFiles)
        dataFiles.push_back(fileNameOf(path));
    const std::string description =
        std::string(descriptionStart) + (dataFiles.size() == 1 ? "the data file " : "the data files ") +
        (dataFiles.empty() ? "(none)" : joined(dataFiles, ", ")) +
        ": one CSV file per run and session in data/, one row per trial slot (a word shown, or a slot the block "
        "never reached) with the run's subject and session, the block and its role, the word and its category, the "
        "latency and the errors; the codebook and the input files in materials/.";
    std::string json = "{\n";
    json += "  \"@context\": \"https://schema.org\",\n";
    json += "  \"@type\": \"Dataset\",\n";
    json += "  \"name\": " + jsonString(stems.empty() ? "study" : joined(stems, ", ")) + ",\n";
    json += "  \"description\": " + jsonString(description) + ",\n";
    json += "  \"variableMeasured\": [\n";
    for (std::size_t i = 0; i < std::size(columns); ++i)
        json += "    {\"@type\": \"PropertyValue\", \"name\": " + jsonString(columns[i].name) +
                ", \"description\": " + jsonString(columns[i].meaning) + "}" +
                (i + 1 < std::size(columns) ? ",\n" : "\n");
    json += "  ]\n}\n";
    return json;
}

std::vector<std::string> psychDsPaths(const std::string& directory, const StudyResults& study)
{
    std::vector<std::string> paths{joinPath(directory, descriptionFile),
                                   joinPath(directory, std::string("materials/") + codebookFile)};
    for (const std::string& name : inputFileNames(study))
        if (copiable(name))
            paths.push_back(joinPath(directory, "materials/" + name));
    for (const PsychDsDataFile& file : psychDsDataFiles(study))
        paths.push_back(joinPath(directory, "data/" + file.name));
    return paths;
}

std::string psychDsRefusal(const std::string& directory, const StudyResults& study, const FileSource& files)
{
    if (std::string refused = outputOverwritesInput(directory, study, files); !refused.empty())
        return refused;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(directory, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_directory(status))
        return directory + " is not a folder: the Psych-DS dataset is a folder of its own";
    if (std::filesystem::is_directory(status) && !std::filesystem::is_empty(directory, error) && !ourDataset(directory))
        return directory +
               " holds other files and no dataset truv-results wrote: the Psych-DS dataset goes to a new or empty "
               "folder, or over one truv-results wrote before";
    for (const std::string& path : psychDsPaths(directory, study))
        if (std::string refused = outputOverwritesInput(path, study, files); !refused.empty())
            return refused;
    return {};
}

PsychDsOutcome writePsychDs(const std::string& directory, const StudyResults& study, const std::string& studyDirectory,
                            const FileSource& files)
{
    PsychDsOutcome outcome;
    if (!psychDsRefusal(directory, study, files).empty())
        return outcome;
    for (const std::string& folder : {directory, joinPath(directory, "data"), joinPath(directory, "materials")}) {
        outcome.written = makeFolder(folder);
        if (!outcome.written)
            return outcome;
    }
    std::vector<WriteOutcome> failures;
    const auto write = [&](const std::string& path, const std::string& bytes) {
        if (WriteOutcome written = writeFileAtomically(path, bytes); !written)
            failures.push_back(std::move(written));
    };
    // The description first: a folder it is in is one a later export may write over.
    write(joinPath(directory, descriptionFile), psychDsDescription(study));

    std::set<std::string> dataNames;
    for (const PsychDsDataFile& file : psychDsDataFiles(study)) {
        const RunRecord& run = study.runs[file.run];
        const SessionRecord& given = run.sessions[file.session];
        // A data file's path may hold bytes that are no UTF-8; its cells are made UTF-8.
        const bool wellFormed = std::all_of(given.blocks.begin(), given.blocks.end(), [](const BlockRecord& block) {
            return wellFormedUtf8(block.dataFile) == block.dataFile;
        });
        std::optional<SessionRecord> fixed;
        if (!wellFormed) {
            fixed = given;
            for (BlockRecord& block : fixed->blocks)
                block.dataFile = wellFormedUtf8(block.dataFile);
        }
        write(joinPath(directory, "data/" + file.name), sessionTrialsCsv(run, fixed ? *fixed : given, CsvTexts::Raw));
        dataNames.insert(file.name);
    }

    write(joinPath(directory, std::string("materials/") + codebookFile), codebookText());

    for (const auto& [name, copy] : inputFileCopies(study, studyDirectory, files, outcome.warnings)) {
        const std::string target = joinPath(directory, "materials/" + name);
        const std::string key = files.fileKey(copy.path);
        if (!key.empty() && key == files.fileKey(target))
            continue;  // the input file is its own copy already
        write(target, copy.bytes);
    }

    // Data files of an earlier export that this one has not written would mix another
    // study's sessions into this one.
    if (failures.empty()) {
        static const std::regex dataName("^study-[a-zA-Z0-9]+_subject-[a-zA-Z0-9]+_session-[a-zA-Z0-9]+(_run-[0-9]+)?_"
                                         "data\\.csv$");
        std::vector<std::filesystem::path> stale;
        std::error_code error;
        for (std::filesystem::directory_iterator entry(joinPath(directory, "data"), error), end; !error && entry != end;
             entry.increment(error)) {
            const std::string name = entry->path().filename().string();
            if (entry->is_regular_file(error) && std::regex_match(name, dataName) && !dataNames.contains(name))
                stale.push_back(entry->path());
        }
        for (const std::filesystem::path& path : stale)
            std::filesystem::remove(path, error);
    }

    outcome.written = {true, {}, 0};
    if (!failures.empty()) {
        outcome.written = failures.front();
        if (failures.size() > 1)
            outcome.written.error += " (and " + countedText(failures.size() - 1, "more file", "more files") +
                                     " not written)";
    }
    return outcome;
}
