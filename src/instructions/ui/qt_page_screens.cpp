#include "instructions/ui/qt_page_screens.h"

#include "instructions/ui/instruction_page_dialog.h"

void QtPageScreens::showPage(std::string_view text) { InstructionPageDialog::showText(text, parent_); }
