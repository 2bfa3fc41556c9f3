#pragma once
// Before the participant sees anything, the run makes sure that its output files (the
// data file, the subject log and the timing record) can really take the run's data:
// none may be one of the study's own files (nor may two of them be one file), and the file systems that hold them must
// have room for everything the run can write. Nothing is created or changed.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "run/study_files.h"
#include "run/subject_record.h"

inline constexpr const char* unwritableDataFileMessage =
    "Error:  Program cannot continue because the data file cannot be written:";
inline constexpr const char* unwritableSubjectLogMessage =
    "Error:  Program cannot continue because the subject log cannot be written:";
inline constexpr const char* unwritableTimingRecordMessage =
    "Error:  Program cannot continue because the timing record cannot be written:";
inline constexpr const char* noRoomMessage =
    "Error:  Program cannot continue because there is not enough free disk space for this run's output:";

// The file system that holds a path: an identity and the bytes an ordinary writer
// may still use, in blocks of blockSize.
struct FileSystemSpace {
    std::uint64_t device = 0;
    std::uint64_t availableBytes = 0;
    std::uint64_t blockSize = 1;
};
using SpaceProbe = std::function<std::optional<FileSystemSpace>(const std::string& directory)>;

// statvfs on the directory: nothing when it cannot be read or the file system
// reports no size (the appends will tell).
std::optional<FileSystemSpace> diskSpace(const std::string& directory);

// The study's own file (input, instruction or list file) that path is, by device and
// inode, or nothing.
std::optional<std::string> studyFileAt(const std::string& path, const StudyFiles& study);

// The folder where the file system holding path is mounted ("/" at worst): how a
// disk is named to the experimenter.
std::string mountPointOf(const std::string& path);

// The most bytes one run of the study can append: to the data file every block of
// every session at its largest trial count, each line at its longest, with the
// header; to the subject log its header and its line at their longest. Both allow
// for the line end an append puts before lines when a file ends inside a line.
std::uint64_t mostDataBytes(const SubjectRecord& subject, const StudyFiles& study);
std::uint64_t mostSubjectLogBytes(const SubjectRecord& subject, const StudyFiles& study);
// The timing record: its header and a row per block at its widest.
std::uint64_t mostTimingBytes(const SubjectRecord& subject, const StudyFiles& study);

// Why the run's output files cannot take its data, or nothing. Called once the study
// is loaded, after canAppendTo has accepted the three files.
std::optional<Refusal> outputRefusal(const SubjectRecord& subject, const StudyFiles& study,
                                     const SpaceProbe& space = diskSpace);
