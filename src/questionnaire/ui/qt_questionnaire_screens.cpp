#include "questionnaire/ui/qt_questionnaire_screens.h"

#include "common/ui/warning_dialog.h"

QtQuestionnaireScreens::QtQuestionnaireScreens(QWidget* parent)
    : parent_(parent),
      text_(new TextQuestionDialog(parent)),
      radio_(new RadioQuestionDialog(parent)),
      list_(new ListQuestionDialog(parent))
{
}

QtQuestionnaireScreens::~QtQuestionnaireScreens()
{
    delete text_.data();
    delete radio_.data();
    delete list_.data();
}

TextReply QtQuestionnaireScreens::askText(std::string_view question) { return text_->ask(question); }

RadioReply QtQuestionnaireScreens::askRadio(std::string_view question, std::string_view first, std::string_view second)
{
    return radio_->ask(question, first, second);
}

ListReply QtQuestionnaireScreens::askList(std::string_view question, const std::vector<std::string>& choices)
{
    return list_->ask(question, choices);
}

void QtQuestionnaireScreens::showWarning(std::string_view message)
{
    WarningDialog::ask(fromSingleByte(message), parent_);
}
