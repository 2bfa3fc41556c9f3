#pragma once
// "Input File" for one session: the two category pairs, the pair that switches at
// the midpoint, the delay and the block sizes. One dialog serves every session of a
// new input file, so the list and switch choices carry over from one session to the
// next; the number boxes start at 150, 20 and 40 at every showing.

#include <functional>
#include <string>
#include <vector>

#include "common/ui/template_dialog.h"
#include "files/input_file_creation.h"

class SessionSettingsDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId {
        SessionLabelId = 1,
        SessionNumberId,
        Pair1LabelId,
        Pair1ListId,
        Pair2LabelId,
        Pair2ListId,
        SwitchLabelId,
        SwitchPair1Id,
        SwitchPair2Id,
        DelayLabelId,
        DelayId,
        TrialsLabelId,
        PracticeLabelId,
        PracticeId,
        RealLabelId,
        RealId,
        MessageId,
        OkId,
        CancelId,
    };

    // directory: where the input file goes (file-system bytes); its list files are
    // offered.
    explicit SessionSettingsDialog(std::string directory, QWidget* parent = nullptr);
    static const DialogTemplate& dialogTemplate();

    // Asks for session number (counted from 1) until its pairs come from two files
    // (true, the session filled in) or the experimenter cancels (false).
    bool askSession(int number, SessionSettings& session);

    // Before a showing: catalogues the directory anew, fills both lists, selects the
    // earlier choices again and sets the number boxes and the session number.
    void prepare(int number);

    QString message() const;
    const ListCatalog& catalog() const { return catalog_; }
    // What the last OK accepted.
    const SessionEntries& entries() const { return entries_; }

    // Seam for the tests: the field check message box.
    std::function<void(const QString&)> showFieldMessage;

    // OK: the field checks, then at least two list files.
    void confirm();

private:
    std::string directory_;
    ListCatalog catalog_;
    std::vector<std::string> lines_;
    SessionEntries entries_;
    bool shownBefore_ = false;
    // The lines chosen at the previous showing, to be found again by their text.
    int previousPosition1_ = noSelection;
    int previousPosition2_ = noSelection;
    std::string previousText1_;
    std::string previousText2_;
};
