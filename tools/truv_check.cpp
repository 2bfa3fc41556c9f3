// truv-check: checks a study before its first participant. Reads the input file and
// every file it names with the program's own readers and prints, file by file, what
// would stop a run and what deserves a second look.

#include <iostream>
#include <string>

#include "run/study_check.h"

namespace {

constexpr const char* usage =
    "Usage: truv-check STUDY.inp\n"
    "Checks the input file STUDY.inp and the list, questionnaire and instruction files it names, as a run\n"
    "would read them, and prints each file's problems (a run would stop) and warnings (a run would go\n"
    "through, but the study may not be what was meant).\n"
    "Exit status: 0 a run would go through, 1 a run would stop, 2 usage error.\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << usage;
        return 0;
    }
    if (argc != 2 || argv[1][0] == '\0' || (argv[1][0] == '-' && argv[1][1] != '\0')) {
        std::cerr << "truv-check: " << (argc == 2 ? "unknown option " + std::string(argv[1]) : "expects one input file")
                  << "\nTry 'truv-check --help'.\n";
        return 2;
    }
    const StudyReport report = checkStudy(argv[1]);
    std::cout << formatStudyReport(report);
    return report.runnable() ? 0 : 1;
}
