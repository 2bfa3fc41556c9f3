#pragma once
#include <QFont>

#include "common/ui/accelerator_slot.h"
#include "task/tutorial.h"

// Runs each tutorial part in a task window of its own.
class QtTutorialScreens : public TutorialBlocks {
public:
    QtTutorialScreens(AcceleratorSlot& slot, Pointer& pointer, Clock& clock, const QFont& taskFont,
                      QWidget* parent = nullptr)
        : slot_(slot), pointer_(pointer), clock_(clock), font_(taskFont), parent_(parent)
    {
    }
    BlockEnd runTutorialPart(int part, const BlockSettings& settings) override;

private:
    AcceleratorSlot& slot_;
    Pointer& pointer_;
    Clock& clock_;
    QFont font_;
    QWidget* parent_;
};
