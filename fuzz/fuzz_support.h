#pragma once
// What the fuzz targets share: the input as single-byte text, a check that stops the
// process (a crash, for libFuzzer and for the replay) when a property of a reader
// fails, and comparisons of what the readers give.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "common/text_codec.h"
#include "files/input_file.h"
#include "files/word_list.h"
#include "instructions/instruction_pages.h"
#include "questionnaire/questionnaire_file.h"

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

[[noreturn]] inline void propertyFailed(const char* property, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, property);
    std::abort();
}

// Aborts, naming the property, when it does not hold.
#define FUZZ_REQUIRE(property) ((property) ? static_cast<void>(0) : propertyFailed(#property, __FILE__, __LINE__))

// --- what the readers give, field by field (problems and file names aside) ---

inline bool sameSession(const SessionSettings& a, const SessionSettings& b)
{
    return a.Cat1 == b.Cat1 && a.Cat2 == b.Cat2 && a.Cat1p == b.Cat1p && a.Cat2p == b.Cat2p && a.Catsw == b.Catsw &&
           a.Delay == b.Delay && a.nPrac == b.nPrac && a.nReal == b.nReal;
}

inline bool sameDefinition(const ExperimentDefinition& a, const ExperimentDefinition& b)
{
    if (!(a.instructionFileName == b.instructionFileName) || a.sessionCount != b.sessionCount ||
        a.tutorialIncluded != b.tutorialIncluded || a.editListsIncluded != b.editListsIncluded)
        return false;
    for (int s = 0; s < maxSessions; ++s)
        if (!sameSession(a.sessions[s], b.sessions[s]))
            return false;
    return true;
}

inline bool sameWordList(const WordList& a, const WordList& b)
{
    return a.entryCountA == b.entryCountA && a.entryCountB == b.entryCountB && a.entriesA == b.entriesA &&
           a.entriesB == b.entriesB;
}

inline bool samePage(const QuestionnairePage& a, const QuestionnairePage& b)
{
    return a.type == b.type && a.category == b.category && a.text == b.text && a.radioItems == b.radioItems &&
           a.choiceCount == b.choiceCount && a.choices == b.choices && a.experimenterItem == b.experimenterItem;
}

// Labels, page count and every page slot, those beyond the count included.
inline bool sameQuestionnaire(const QuestionnaireDocument& a, const QuestionnaireDocument& b)
{
    if (!(a.category1Label == b.category1Label) || !(a.category2Label == b.category2Label) ||
        a.pageCount != b.pageCount)
        return false;
    for (int i = 0; i < maxQuestionnairePages; ++i)
        if (!samePage(a.pages[i], b.pages[i]))
            return false;
    return true;
}

inline bool sameInstructions(const InstructionPages& a, const InstructionPages& b)
{
    return a.pageCount == b.pageCount && a.pageTexts == b.pageTexts;
}

// The libFuzzer entry point every target defines.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
