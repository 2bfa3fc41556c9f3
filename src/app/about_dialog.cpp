#include "app/about_dialog.h"

#include <QPushButton>

const DialogTemplate& AboutDialog::dialogTemplate()
{
    static const DialogTemplate t{
        "About QAV",
        220,
        112,
        8,
        {
            {ControlKind::Static, NameId, "TRUV for Windows 2.3", {10, 8, 200, 10}, AlignCenter},
            {ControlKind::Static,
             TitleId,
             "Timed Response Categorization Task for word stimuli",
             {10, 22, 200, 10},
             AlignCenter},
            {ControlKind::Static, YearId, "2026", {10, 34, 200, 10}, AlignCenter},
            {ControlKind::Static, CreditsId, "Written by the TRUV developers.", {10, 46, 200, 10}, AlignCenter},
            {ControlKind::Static,
             NoticeId,
             "For research use: run it only with participants who have given their informed consent.",
             {10, 60, 200, 20},
             AlignCenter},
            {ControlKind::DefaultButton, OkId, "OK", {85, 90, 50, 14}},
        }};
    return t;
}

AboutDialog::AboutDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &QDialog::accept);
}
