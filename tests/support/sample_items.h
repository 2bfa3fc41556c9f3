#pragma once
// Item tables and block settings for the tests, the probe and the benchmark: two
// pairs of categories whose items are numbered ("f1", "f2", ... for Fruit).

#include <string>

#include "task/block_engine.h"

inline Entries numberedCategory(const std::string& label, const std::string& prefix)
{
    Entries e;
    e[0].assign(label);
    for (int i = 1; i < maxEntries; ++i)
        e[i].assign(prefix + std::to_string(i));
    return e;
}

// Pair 1 Fruit/Tools, pair 2 Mine/Theirs, 18 items each.
inline ItemTable sampleItemTable()
{
    return {{{numberedCategory("Fruit", "f"), numberedCategory("Tools", "t")},
             {numberedCategory("Mine", "m"), numberedCategory("Theirs", "h")}}};
}

// A combined block over the sample table.
inline BlockSettings sampleBlockSettings(int trials, unsigned delay, std::array<int, 2> leftCategory = {0, 0})
{
    BlockSettings s;
    s.type = BlockType::CombinedBlock;
    s.items = sampleItemTable();
    s.usableItemCount = 19;
    s.leftCategory = leftCategory;
    s.trials = trials;
    s.delay = delay;
    s.instruction = "Press the SPACE BAR to start.";
    const auto label = [&](int pair, int side) {
        const int category = side == 0 ? leftCategory[pair] : 1 - leftCategory[pair];
        return s.items[pair][category][0].str();
    };
    s.labels = {label(0, 0), label(0, 1), label(1, 0), label(1, 1)};
    return s;
}

// The run's unrun markers in every slot.
inline void fillPlaceholders(TrialResults& results)
{
    for (TrialResult& r : results) {
        r = {99, 9, 9, 99, {}, 99999, 99, "9"};
        r.word.assign("blank");
    }
}
