#pragma once
// Test doubles for the block engine: a clock that advances as it is read, a view
// that records what was drawn, a scripted random generator and a fixed calendar.

#include <optional>
#include <string>
#include <vector>

#include "task/block_engine.h"

// Each reading advances the clock by step microseconds; advance() moves it on.
class SteppingClock : public Clock {
public:
    std::int64_t now = 1'000'000;
    std::int64_t step = 1;
    int reads = 0;
    std::int64_t nowMicroseconds() override
    {
        ++reads;
        now += step;
        return now;
    }
    void advanceMilliseconds(int ms) { now += std::int64_t(ms) * 1000; }
};

class RecordingView : public TaskView {
public:
    std::string instruction;
    std::vector<std::string> instructions;  // every text shown, in order
    std::array<std::string, 4> labels;
    std::string word;
    std::vector<std::string> words;  // every non-empty word drawn
    std::vector<TextColour> colours;
    int feedbackCount = 0;
    bool lastFeedbackCorrect = false;
    std::optional<BlockEnd> closedWith;
    // 400 x 300 centred on 1280 x 1024.
    WindowGeometry geometryGiven{{440, 362, 840, 662}, 10, {0, 0, 1280, 1024}};

    void clearAreas() override
    {
        labels = {};
        word.clear();
        feedbackCount = 0;
    }
    void showInstruction(std::string_view text) override
    {
        instruction = std::string(text);
        instructions.push_back(instruction);
    }
    void drawLabels(const std::array<std::string, 4>& l) override { labels = l; }
    void drawWord(std::string_view w, TextColour colour) override
    {
        word = std::string(w);
        if (!word.empty()) {
            words.push_back(word);
            colours.push_back(colour);
        }
    }
    void drawFeedback(bool correct) override
    {
        ++feedbackCount;
        lastFeedbackCorrect = correct;
    }
    WindowGeometry windowGeometry() override { return geometryGiven; }
    void closeWindow(BlockEnd end) override { closedWith = end; }
};

// Returns the values given, cyclically; records the seeds.
class ScriptedRandom : public RandomGenerator {
public:
    explicit ScriptedRandom(std::vector<int> values = {0}) : values_(std::move(values)) {}
    std::vector<unsigned> seeds;
    void seed(unsigned value) override { seeds.push_back(value); }
    int next() override { return values_[index_++ % values_.size()]; }

private:
    std::vector<int> values_;
    std::size_t index_ = 0;
};

class FixedCalendar : public CalendarTime {
public:
    std::time_t seconds = 1'700'000'000;
    std::time_t secondsNow() override { return seconds; }
};
