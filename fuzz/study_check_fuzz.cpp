// The whole study check on a study held in memory. The input holds the input file
// and up to four more files, separated by the byte 0x1E: a.wls, b.wls, q.qls and
// i.bgi, in that order, all in /study/ beside the input file (a file the input does
// not reach is absent). The report counts its findings, and says a run would go
// through exactly when the checks a run makes before the participant sees anything
// (input file, list files, items, instruction file, questionnaires) all pass.

#include <array>

#include "run/study_check.h"
#include "run/study_files.h"
#include "fuzz_support.h"
#include "questionnaire/questionnaire_file.h"

namespace {

constexpr char separator = '\x1e';
const std::string inputPath = "/study/study.inp";
const std::array<std::string, 4> otherPaths = {"/study/a.wls", "/study/b.wls", "/study/q.qls", "/study/i.bgi"};

MemoryFiles studyFiles(std::string_view bytes)
{
    MemoryFiles files;
    std::size_t start = 0;
    // The last file takes the rest, separators included.
    for (std::size_t file = 0; file <= otherPaths.size() && start <= bytes.size(); ++file) {
        std::size_t end = bytes.find(separator, start);
        if (end == std::string_view::npos || file == otherPaths.size())
            end = bytes.size();
        files.add(file == 0 ? inputPath : otherPaths[file - 1], std::string(bytes.substr(start, end - start)));
        start = end + 1;
    }
    return files;
}

// The run's own checks, in its order, up to the first questionnaire page.
bool runWouldStart(const FileSource& files)
{
    StudyFiles study;
    if (loadDefinition(study, inputPath, files) || loadStudyLists(study, files) ||
        shortageRefusal(itemShortages(study, loadedCounts(study), false)) || instructionFileRefusal(study, files))
        return false;
    for (int i = 0; i < study.catalog.fileCount; ++i) {
        const WordList& list = study.catalog.files[i];
        if (list.isQuestionnaire &&
            !isUsable(readQuestionnaireFile(joinPath(study.inputDirectory, list.fileName.str()), files)))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const MemoryFiles files = studyFiles(bytesOf(data, size));
    const StudyReport report = checkStudy(inputPath, files);

    FUZZ_REQUIRE(!report.files.empty() && report.files.front().name == inputPath);
    int problems = 0;
    int warnings = 0;
    for (const CheckedFile& file : report.files)
        for (const Finding& finding : file.findings)
            ++(finding.kind == Finding::Kind::Problem ? problems : warnings);
    FUZZ_REQUIRE(problems == report.problems && warnings == report.warnings);
    FUZZ_REQUIRE(report.runnable() == runWouldStart(files));

    const std::string text = formatStudyReport(report);
    FUZZ_REQUIRE(text.starts_with(inputPath + "\n") && text.ends_with(".\n"));
    return 0;
}
