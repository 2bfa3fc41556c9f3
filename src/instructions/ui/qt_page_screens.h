#pragma once
#include "instructions/page_screens.h"

class QWidget;

// Shows each page in an InstructionPageDialog over the given parent.
class QtPageScreens : public PageScreens {
public:
    explicit QtPageScreens(QWidget* parent = nullptr) : parent_(parent) {}
    void showPage(std::string_view text) override;

private:
    QWidget* parent_;
};
