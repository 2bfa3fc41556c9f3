#include "run/run_output.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "run/output_check.h"
#include "run/output_files.h"

RunOutput::RunOutput(std::string what, std::string path, std::string header, std::string rescuePath,
                     std::string rescueDirectory)
    : what_(std::move(what)),
      path_(std::move(path)),
      header_(std::move(header)),
      rescuePath_(std::move(rescuePath)),
      rescueDirectory_(std::move(rescueDirectory))
{
}

void RunOutput::prepare() { appendLines(path_, header_, {}); }

bool RunOutput::append(std::string what, std::vector<std::string> lines)
{
    held_.push_back({std::move(what), std::move(lines)});
    // Written whole, the new lines are the last that went anywhere.
    return write() && lastToOutputFile_;
}

bool RunOutput::write()
{
    attempts_.clear();
    while (!held_.empty()) {
        if (!writeOne(held_.front(), lastToOutputFile_))
            return false;
        held_.pop_front();
    }
    return true;
}

bool RunOutput::writeOne(const HeldAppend& append, bool& toOutputFile)
{
    if (!rescued_) {
        const WriteOutcome written = appendLines(path_, header_, append.lines);
        if (written) {
            toOutputFile = true;
            return true;
        }
        attempts_.push_back({path_, written.error, written.errorNumber});
        if (failures_.empty())
            failures_.push_back(what_ + (append.what.empty() ? "" : ", " + append.what) + ": " + written.error);
    }
    if (rescueDirectory_.empty()) {
        attempts_.push_back({rescuePath_, "cannot keep the lines in a rescue file: no home folder was found", 0});
        return false;
    }
    if (const int error = makeDirectories(rescueDirectory_); error != 0) {
        attempts_.push_back({rescueDirectory_,
                             "cannot make the rescue folder " + rescueDirectory_ + ": " + std::strerror(error), error});
        return false;
    }
    const WriteOutcome rescued = appendLines(rescuePath_, header_, append.lines);
    if (!rescued) {
        attempts_.push_back({rescuePath_, rescued.error, rescued.errorNumber});
        return false;
    }
    rescued_ = true;
    toOutputFile = false;
    return true;
}

std::uint64_t RunOutput::heldBytes() const
{
    std::uint64_t bytes = held_.empty() ? 0 : header_.size();
    for (const HeldAppend& append : held_)
        for (const std::string& line : append.lines)
            bytes += line.size();
    return bytes;
}

std::deque<HeldAppend> RunOutput::release()
{
    std::deque<HeldAppend> released;
    released.swap(held_);
    return released;
}

std::string sizeText(std::uint64_t bytes)
{
    if (bytes < 10 * 1024)
        return std::to_string(bytes) + " bytes";
    if (bytes < 10 * 1024 * 1024)
        return std::to_string(bytes / 1024) + " KiB";
    return std::to_string(bytes / (1024 * 1024)) + " MiB";
}

namespace {

std::size_t lineCount(const std::deque<HeldAppend>& held)
{
    std::size_t lines = 0;
    for (const HeldAppend& append : held)
        lines += append.lines.size();
    return lines;
}

// "the data file's block 4 and block 5 (56 lines, 5 KiB)", one output a line.
std::string heldSummary(const std::vector<const RunOutput*>& outputs)
{
    std::string text;
    for (const RunOutput* output : outputs) {
        if (!output->holding())
            continue;
        std::string parts;
        for (std::size_t i = 0; i < output->held().size(); ++i) {
            const std::string& what = output->held()[i].what;
            parts += (i == 0                           ? ""
                      : i + 1 == output->held().size() ? " and "
                                                       : ", ") +
                     (what.empty() ? "its line" : what);
        }
        const std::size_t lines = lineCount(output->held());
        text += "- the " + output->what() + " " + output->path() + ": " + parts + " (" + std::to_string(lines) +
                (lines == 1 ? " line, " : " lines, ") + sizeText(output->heldBytes()) + ")\n";
    }
    return text;
}

}  // namespace

std::string outputTroubleText(const std::vector<const RunOutput*>& outputs)
{
    bool full = false;
    std::uint64_t needed = 0;
    // Each disk tried once, named by where it is mounted, with its room now.
    std::vector<std::string> mounts;
    std::string disks;
    std::string tried;
    for (const RunOutput* output : outputs) {
        if (!output->holding())
            continue;
        needed += output->heldBytes();
        for (const WriteAttempt& attempt : output->attempts()) {
            full = full || attempt.errorNumber == ENOSPC || attempt.errorNumber == EDQUOT;
            tried += "- " + attempt.error + "\n";
            const std::string mount = mountPointOf(attempt.path);
            if (std::find(mounts.begin(), mounts.end(), mount) != mounts.end())
                continue;
            mounts.push_back(mount);
            const auto space = diskSpace(mount);
            disks += "- the disk at " + mount + ": " +
                     (space ? sizeText(space->availableBytes) + " free" : std::string("free space unknown")) + "\n";
        }
    }
    std::string text = "Please call the experimenter.\n\n";
    text += full ? "The disk is full: this run's data cannot be written.\n" : "This run's data cannot be written.\n";
    text += "Held in memory, not yet in any file:\n" + heldSummary(outputs);
    text += "\nThe held lines need at least " + sizeText(needed) + " of free space on:\n" + disks;
    text += "\nWhere the program tried to write them:\n" + tried;
    text += "\nMake room on the disk, then choose \"Try again\": the run goes on once every held line is written. "
            "\"End the run\" skips the remaining blocks; the held lines can then be saved in a file of your choice.";
    return text;
}

std::string heldLinesText(const std::vector<const RunOutput*>& outputs)
{
    return "These lines of the run are in no file yet and are held in memory only:\n" + heldSummary(outputs) +
           "\nChoose a file to save them in, on a disk with room (a USB stick, say). The lines of the first file listed go "
           "into the file chosen, the others beside it: the subject log's line into the file of the same name ending in .slg, the timing "
           "record's rows into the one ending in .timing.tsv; a file that exists keeps its contents, and the lines "
           "are added at its end.";
}
