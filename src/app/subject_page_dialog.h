#pragma once
// The subject information page: the first screen of every run. It stays open until
// its entries pass the checks of OK, or the experimenter cancels.

#include <functional>
#include <optional>

#include "run/subject_page.h"
#include "common/ui/template_dialog.h"

class SubjectPageDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId {
        InputLabelId = 1,
        InputPathId,
        InputBrowseId,
        DataLabelId,
        DataPathId,
        DataBrowseId,
        SubjectFrameId,
        NumberLabelId,
        NumberId,
        SexLabelId,
        MaleId,
        FemaleId,
        DateLabelId,
        DateId,
        TimeLabelId,
        TimeId,
        OtherLabelId,
        OtherId,
        MessageId,
        OkId,
        CancelId,
    };

    explicit SubjectPageDialog(const LocalDateTime& start, QWidget* parent = nullptr);
    static const DialogTemplate& dialogTemplate();

    // Shows the page until its entries are valid (the record) or it is cancelled.
    static std::optional<SubjectRecord> getSubject(const LocalDateTime& start, QWidget* parent = nullptr);

    SubjectPageEntries entries() const;
    void setEntries(const SubjectPageEntries& entries);
    QString message() const;
    const std::optional<SubjectRecord>& record() const { return record_; }

    // Seams for the tests: the file browsers, the existence test and its reason,
    // and the field check message box.
    // chooseFile(caption, filter, default suffix, whether the file must exist)
    std::function<QString(const QString&, const QString&, const QString&, bool)> chooseFile;
    std::function<bool(const std::string&)> exists;
    std::function<std::string(const std::string&)> absenceReason;
    std::function<void(const QString&)> showFieldMessage;

    // OK: the field checks, then the page's own checks.
    void confirm();

private:
    void browseInput();
    void browseData();
    SubjectPageErrors fittedToMessageLine(SubjectPageErrors errors) const;

    LocalDateTime start_;
    std::optional<SubjectRecord> record_;
};
