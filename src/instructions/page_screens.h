#pragma once
// The screen that shows one text with OK: instruction pages, the run's own
// messages, a questionnaire's instruction pages. The Qt implementation shows the
// InstructionPageDialog; a scripted one records the texts.

#include <string_view>

class PageScreens {
public:
    virtual ~PageScreens() = default;
    // Shows the single-byte text modally; returns when the person has closed it
    // (OK, Enter or Escape alike).
    virtual void showPage(std::string_view text) = 0;
};
