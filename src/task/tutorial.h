#pragma once
// The tutorial: three pages about the task, a first part in the task window with
// one pair (snake and bird), a page, a second part with both pairs (red and white
// above, snake and bird below), and a closing page. Nothing of it is recorded.

#include <array>
#include <string>

#include "instructions/page_screens.h"
#include "task/block_engine.h"

inline constexpr int tutorialTrials = 20;

// The pages of the tutorial, in order: the three before the first part, the one
// between the parts and the closing one.
extern const char* const tutorialPages[5];

// Runs a tutorial part in a task window object of its own (each part has its own
// alternation phase) and says how it ended.
class TutorialBlocks {
public:
    virtual ~TutorialBlocks() = default;
    virtual BlockEnd runTutorialPart(int part, const BlockSettings& settings) = 0;
};

// The block settings of part 1 or 2 with the first session's delay.
BlockSettings tutorialPartSettings(int part, unsigned delay);

// The whole tutorial; returns when its last page is closed. A part ended early
// with the skip key goes on with the next page.
void runTutorial(PageScreens& pages, TutorialBlocks& blocks, unsigned delay);
