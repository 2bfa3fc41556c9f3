#pragma once
#include "common/ui/template_dialog.h"

// The About box: the program's name and version and a few lines about it.
class AboutDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId { NameId = 1, TitleId, YearId, CreditsId, NoticeId, OkId };
    explicit AboutDialog(QWidget* parent = nullptr);
    static const DialogTemplate& dialogTemplate();
};
