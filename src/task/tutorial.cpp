#include "task/tutorial.h"

const char* const tutorialPages[5] = {
    "THE CATEGORIZATION TASK:  INSTRUCTIONS\n\nFor the Categorization Task you will be shown a series, or block, "
    "of words, and for each word, you must decide as quickly as possible if it falls into a particular category.  "
    "Here is an example.  Imagine the categories are SNAKE and BIRD.  If the word \"cobra\" was flashed on the "
    "screen, your task would be to select the SNAKE category as quickly as possible.",
    "THE CATEGORIZATION TASK:  INSTRUCTIONS\n\nYour goal is to complete each block of words as quickly as "
    "possible.  We will record how long it takes you to complete each block, and report your total time to you at "
    "the end of each block.",
    "A brief tutorial for the Categorization Task will follow.  Watch for instructions at the top of the screen.",
    "So far, you have been categorizing words into one of two categories.  A \"cobra\" was either a SNAKE or a "
    "BIRD.  For most of the experiment you will be categorizing words into one of four categories.  For example, "
    "you might be asked to categorize a word as either a SNAKE or a BIRD, or as either RED or WHITE.  Press OK for "
    "a demonstration.",
    "You have now finished the tutorial.",
};

BlockSettings tutorialPartSettings(int part, unsigned delay)
{
    BlockSettings s;
    s.items = tutorialItemTable();
    s.usableItemCount = tutorialItemCount + 1;
    s.leftCategory = {0, 0};
    s.trials = tutorialTrials;
    s.delay = delay;
    if (part == 1) {
        s.type = BlockType::TutorialPairBlock;
        s.instruction = "This is the screen for the Categorization task.  You must press the SPACE BAR to start "
                        "the Categorization Task.  Do so now, and then look for additional instructions in this "
                        "location.";
        s.labels = {"", "", "snake", "bird"};
    } else {
        s.type = BlockType::TutorialCombinedBlock;
        s.instruction = "Press the SPACE BAR to start.";
        s.labels = {"red", "white", "snake", "bird"};
    }
    return s;
}

void runTutorial(PageScreens& pages, TutorialBlocks& blocks, unsigned delay)
{
    for (int page = 0; page < 3; ++page)
        pages.showPage(tutorialPages[page]);
    blocks.runTutorialPart(1, tutorialPartSettings(1, delay));
    pages.showPage(tutorialPages[3]);
    blocks.runTutorialPart(2, tutorialPartSettings(2, delay));
    pages.showPage(tutorialPages[4]);
}
