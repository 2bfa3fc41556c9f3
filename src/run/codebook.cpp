#include "run/codebook.h"

#include "run/data_format.h"
#include "run/output_files.h"

#include <cerrno>
#include <optional>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/descriptor.h"
#include "common/text_stream.h"

namespace {

// One entry per line of the codebook, in order.
constexpr std::string_view codebookLines[] = {
    "INPUT FILE",
    "",
    "Input file information is in the following order, each item separated by a tab:",
    "",
    "Session",
    "Instructions file name",
    "The following eight items will be repeated for each session.",
    "File name for Category Pair 1",
    "File name for Category Pair 2",
    "Category 1 position",
    "    0 = in order as in list file (aa-bb)",
    "    1 = opposite of order in list file (bb-aa)",
    "Category 2 position",
    "    0 = in order as in list file (aa-bb)",
    "    1 = opposite of order in list file (bb-aa)",
    "CategoryToSwitch",
    "    0 = switch pair 1",
    "    1 = switch pair 2",
    "Inter-trial Delay, in milliseconds",
    "Number of trials in practice blocks",
    "Number of trials in real, or recorded blocks",
    "",
    "Tutorial included",
    "    0 = excluded",
    "    1 = included",
    "Option for subject to edit lists included",
    "    0 = excluded",
    "    1 = included",
    "",
    "",
    "",
    "",
    "OUTPUT SUBJECT LOG",
    "",
    "Output subject data is in the following order, each item separated by a tab (the variable name for each item is in quotation marks):",
    "",
    "\"Sub\"       Subject Number",
    "\"Sex\"       Subject Sex",
    "               0 = male",
    "               1 = female",
    "\"Other\"     Other, specified by experimenter",
    "\"InpFl\"     Input file name",
    "\"Month\"     Month",
    "\"Day\"       Day",
    "\"Year\"      Year",
    "\"Hour\"      Hour, 0 to 24",
    "\"Min\"       Minutes",
    "",
    "For each session, the following series of variables will be listed.  Different sessions are noted by the \"_#\" extension to the variable names.",
    "\"CatsL_#\"   Categories on left key, prior to switch",
    "\"CatsR_#\"    Categoryies on right key, prior to switch",
    "\"CatSw_#\"   Category that was switched",
    "                1 = switched 1st pair",
    "                2 = switched 2nd pair",
    "\"1stLat_#\"  Mean latency for first mixed category task",
    "\"1stErr_#\"  Error rate for first mixed category task",
    "\"1stN_#\"    N included in latency and error for first mixed category task",
    "\"2ndLat_#\"  Mean latency for second mixed category task, after switch",
    "\"2ndErr_#\"  Error rate for first mixed category task, after switch",
    "\"2ndN_#\"    N included in latency and error for second mixed category task",
    "",
    "",
    "",
    "OUTPUT DATA FILE",
    "",
    "Each line of output represents the information associated with each trial of the QAV.",
    "Output file data is in the following order, each item separated by a tab (the variable name for each item is in quotation marks):",
    "",
    "\"InpFl\"    Input file name",
    "\"Sess\"     Session",
    "\"Cat1\"     File for Category Pair 1",
    "\"Cat2\"     File for Category Pair 2",
    "\"Cat1p\"    Category 1 position",
    "               0 = in order as in file (aa-bb)",
    "               1 = opposite of order in file (bb-aa)",
    "\"Cat2p\"    Category 2 position",
    "               0 = in order as in file (aa-bb)",
    "               1 = opposite of order in file (bb-aa)",
    "\"Catsw\"    CategoryToSwitch",
    "               0 = switch pair 1",
    "               1 = switch pair 2",
    "\"Delay\"    Inter-trial Delay, in milliseconds",
    "\"nPrac\"    Number of trials in practice blocks",
    "\"nReal\"    Number of trials in real, or recorded blocks",
    "\"Sub\"      Subject Number",
    "\"Sex\"      Sex",
    "               0 = male",
    "               1 = female",
    "\"Other\"    Other:  Variable determined by experimenter",
    "\"Block\"    Block number",
    "\"Trial\"    Trial number",
    "\"Icat\"     Trial item category",
    "               0 = Category 1",
    "               1 = Category 2",
    "\"Iscat\"    Trial item subcategory",
    "               0 = 1st in order in file.",
    "               1 = 2nd in order in file.",
    "\"Inum\"     Trial item number",
    "\"Item\"     Trial item string (when me-items, labels printed)",
    "\"Lat\"      Latency of response in milliseconds",
    "\"Error\"    Error",
    "               0 = right",
    "               1 = wrong",
    "               2 or greater = # of times selected wrong item",
    "\"Key\"      Correct key",
    "               l = left key",
    "               r = right key",
    "",
    "",
};

// The codebook documents the files a run writes: a column added to the format, or
// moved, stops the build until the codebook describes it.
static_assert(describesTheColumns(codebookLines));

}  // namespace

std::string codebookText()
{
    std::string text;
    for (const std::string_view line : codebookLines) {
        text += line;
        text += '\n';
    }
    return text;
}

namespace {

// The first line of the file at path (without its line end), as far as its first
// 4 KiB go; nothing when it is missing or not a regular file.
std::optional<std::string> firstLineOf(const std::string& path)
{
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    std::string bytes(4096, '\0');
    const ssize_t n = ::read(fd.get(), bytes.data(), bytes.size());
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

std::string withoutLineEnd(std::string line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

}  // namespace

WriteOutcome writeCodebook(const std::string& path)
{
    // A data file or subject log chosen by mistake would take the codebook's lines as
    // malformed lines of its own.
    if (const auto first = firstLineOf(path)) {
        const char* kind = nullptr;
        if (*first == withoutLineEnd(dataFileHeader()))
            kind = "a data file";
        else if (first->starts_with(withoutLineEnd(subjectLogHeader(0))))
            kind = "a subject log";
        if (kind)
            return {false,
                    "cannot write " + path + ": it is " + kind +
                        " (its first line is the header of one); the codebook goes into a file of its own",
                    EINVAL};
    }
    // Appended under the file's lock like the data file: an existing file is never
    // overwritten or truncated, and every failure is reported.
    return appendLines(path, {}, {memoryToDiskText(codebookText())});
}
