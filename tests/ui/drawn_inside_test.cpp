// Every dialog of the program, built as the program builds it and filled with
// representative content, draws each control inside its own box: its text, indicator,
// bevel or title, placed as the style places them, lies inside the control's rectangle
// and inside the frame around it; controls side by side do not touch; texts of one
// row stand on one line. Where a table itself places controls otherwise, its case
// lists them, and a listed exception that no longer occurs fails as well.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>

#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/about_dialog.h"
#include "app/exit_code_dialog.h"
#include "app/file_error_dialog.h"
#include "app/main_menu_dialog.h"
#include "app/output_trouble_dialog.h"
#include "app/subject_page_dialog.h"
#include "common/paged_document.h"
#include "common/ui/warning_dialog.h"
#include "files/ui/input_file_dialog.h"
#include "files/ui/list_review_dialog.h"
#include "files/ui/session_settings_dialog.h"
#include "files/ui/stimulus_list_editor.h"
#include "instructions/ui/instruction_editor.h"
#include "instructions/ui/instruction_page_dialog.h"
#include "platform/platform.h"
#include "questionnaire/questionnaire_runner.h"
#include "questionnaire/ui/list_options_dialog.h"
#include "questionnaire/ui/list_question_dialog.h"
#include "questionnaire/ui/questionnaire_editor.h"
#include "questionnaire/ui/radio_question_dialog.h"
#include "questionnaire/ui/text_question_dialog.h"
#include "task/ui/block_feedback_dialog.h"
#include "task/ui/next_block_dialog.h"
#include "task/ui/report_dialog.h"
#include "task/ui/task_window.h"

namespace {

// InsideFrame: clear of the frame's line and title; ClearOfFrame: not even touching
// them (a free pixel between).
enum class Rule { InsideBox, InsideFrame, ClearOfFrame, Apart, OneLine };
const char* const ruleNames[] = {"inside its box", "inside its frame", "clear of its frame", "apart", "on one line"};

// A place where a table itself breaks a rule: the control (and the other one, for
// Apart and OneLine) by id.
struct Exception {
    Rule rule;
    int id;
    int other;
    const char* why;
};

struct DialogCase {
    const char* name;
    std::function<std::unique_ptr<TemplateDialog>()> make;
    const DialogTemplate& table;
    std::vector<Exception> exceptions;
};

QString q(const char* text) { return QString::fromUtf8(text); }

// A frame's style option, as the frame paints itself.
QStyleOptionGroupBox groupOption(const QGroupBox* frame)
{
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return option;
}

// The inside of a frame as its style gives it (below the title, inside the line), in
// the dialog's coordinates.
QRect frameInside(const QGroupBox* frame)
{
    const QStyleOptionGroupBox option = groupOption(frame);
    return frame->style()
        ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, frame)
        .translated(frame->pos());
}

// What a control draws, in its dialog's coordinates: the rectangles of its texts,
// indicator, bevel or title as its style and font place them (none for a control
// that draws nothing).
std::vector<QRect> drawnParts(const TemplateDialog& dialog, int id)
{
    QWidget* w = dialog.control(id);
    if (!w->isVisibleTo(&dialog))
        return {};
    const QStyle* style = w->style();
    const QFontMetrics metrics = w->fontMetrics();
    std::vector<QRect> parts;
    // A text's lines, each of the font's height (the bounding rectangle rounds a
    // line up by a pixel), placed in room as flags say.
    const auto text = [&](const QRect& room, int flags, const QString& s) {
        // Trailing spaces of a text drawn from the left draw nothing.
        const QString shown = flags & Qt::AlignHCenter || flags & Qt::AlignRight
                                  ? s
                                  : QString(s).replace(QRegularExpression(" +$"), "");
        if (shown.isEmpty())
            return;
        QRect r = metrics.boundingRect(room, flags, shown);
        const int lines = std::max(1, (r.height() + metrics.leading()) / metrics.lineSpacing());
        const int height = lines * metrics.lineSpacing() - metrics.leading();
        if (flags & Qt::AlignVCenter)
            r.moveTop(room.top() + (room.height() - height) / 2);
        else if (flags & Qt::AlignBottom)
            r.moveTop(room.bottom() + 1 - height);
        r.setHeight(height);
        parts.push_back(r);
    };
    if (auto* report = dynamic_cast<const ReportDialog*>(&dialog); report && id == ReportDialog::RightColumnId) {
        for (const ReportDialog::Cell& cell : report->rightColumnCells())
            parts.push_back(cell.rect.translated(-w->pos()));
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        text(label->contentsRect(), flags, label->text());
    } else if (auto* push = qobject_cast<QPushButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(push);
        option.text = push->text();
        option.features = push->isFlat() ? QStyleOptionButton::Flat : QStyleOptionButton::None;
        if (!push->isFlat())
            parts.push_back(style->subElementRect(QStyle::SE_PushButtonBevel, &option, push));
        text(style->subElementRect(QStyle::SE_PushButtonContents, &option, push),
             Qt::AlignCenter | Qt::TextShowMnemonic, push->text());
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        const bool radio = qobject_cast<QRadioButton*>(w) != nullptr;
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        parts.push_back(style->subElementRect(radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator,
                                              &option, button));
        text(style->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option,
                                   button),
             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, button->text());
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        const QStyleOptionGroupBox option = groupOption(group);
        if (!group->title().isEmpty())
            parts.push_back(style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group));
    } else if (auto* area = qobject_cast<TaskArea*>(w)) {
        // Centred at the top, as the area draws it.
        const int width = metrics.horizontalAdvance(area->text());
        if (!area->text().isEmpty())
            parts.push_back(QRect(area->width() / 2 - width / 2, 0, width, metrics.height()));
    } else {
        parts.push_back(w->rect());  // edit and list boxes, pictures: the whole box
    }
    for (QRect& part : parts)
        part.translate(w->pos());
    return parts;
}

QRect united(const std::vector<QRect>& parts)
{
    QRect all;
    for (const QRect& part : parts)
        all |= part;
    return all;
}

std::string describe(const QRect& r)
{
    std::ostringstream out;
    out << r.width() << "x" << r.height() << "+" << r.x() << "+" << r.y();
    return out.str();
}

// The rule breaches of a dialog: (rule, id, other id) with what was measured.
struct Breach {
    Rule rule;
    int id;
    int other;
    std::string detail;
};

std::vector<Breach> breaches(const TemplateDialog& dialog, const DialogTemplate& t)
{
    std::vector<Breach> found;
    const int n = static_cast<int>(t.controls.size());
    std::vector<std::vector<QRect>> parts(n);
    for (int i = 0; i < n; ++i)
        parts[i] = drawnParts(dialog, t.controls[i].id);
    const auto isFrame = [&](int i) { return t.controls[i].kind == ControlKind::GroupBox; };
    // The innermost frame whose table rectangle holds control i's, or -1.
    const auto frameOf = [&](int i) {
        const DialogRect& p = t.controls[i].place;
        int found = -1;
        for (int f = 0; f < n; ++f) {
            const DialogRect& r = t.controls[f].place;
            if (f != i && isFrame(f) && p.x >= r.x && p.y >= r.y && p.x + p.width <= r.x + r.width &&
                p.y + p.height <= r.y + r.height &&
                (found < 0 || r.width * r.height < t.controls[found].place.width * t.controls[found].place.height))
                found = f;
        }
        return found;
    };

    for (int i = 0; i < n; ++i) {
        const int id = t.controls[i].id;
        const QRect box = dialog.control(id)->geometry();
        const int f = frameOf(i);
        const QRect room = f >= 0 ? frameInside(dialog.control<QGroupBox>(t.controls[f].id)) : dialog.rect();
        for (const QRect& part : parts[i]) {
            if (!box.contains(part))
                found.push_back({Rule::InsideBox, id, 0, describe(part) + " in box " + describe(box)});
            const int frameId = f >= 0 ? t.controls[f].id : 0;
            if (!room.contains(part))
                found.push_back({Rule::InsideFrame, id, frameId, describe(part) + " in " + describe(room)});
            else if (f >= 0 && !room.adjusted(1, 1, -1, -1).contains(part))
                found.push_back({Rule::ClearOfFrame, id, frameId, describe(part) + " in " + describe(room)});
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (parts[i].empty() || parts[j].empty() || isFrame(i) || isFrame(j))
                continue;
            const QRect a = united(parts[i]);
            const QRect b = united(parts[j]);
            // Touching: no free pixel between them.
            if (a.adjusted(-1, -1, 1, 1).intersects(b))
                found.push_back({Rule::Apart, t.controls[i].id, t.controls[j].id, describe(a) + " and " + describe(b)});
            // Texts of one height side by side whose rows are at most one dialog unit
            // apart in the table are meant to stand on one line.
            const DialogRect& pa = t.controls[i].place;
            const DialogRect& pb = t.controls[j].place;
            const bool texts = t.controls[i].kind == t.controls[j].kind && (t.controls[i].kind == ControlKind::Static ||
                                                                            t.controls[i].kind == ControlKind::Picture);
            const bool sideBySide = pa.x + pa.width <= pb.x || pb.x + pb.width <= pa.x;
            if (texts && sideBySide && pa.height == pb.height && std::abs(pa.y - pb.y) <= 1 && a.top() != b.top())
                found.push_back({Rule::OneLine, t.controls[i].id, t.controls[j].id,
                                 describe(a) + " beside " + describe(b)});
        }
    }
    return found;
}

// ---- the dialogs with their content ----

Entries entries(const std::vector<std::string>& words)
{
    Entries e{};
    for (std::size_t i = 0; i < words.size(); ++i)
        e[i].assign(words[i]);
    return e;
}

const ListReviewState& reviewState()
{
    static const ListReviewState state(
        entries({"Vehicles", "car", "bus", "truck", "van", "tram", "train", "bicycle", "scooter"}), 9,
        entries({"Clothing", "shirt", "coat", "sock", "scarf", "glove", "hat", "dress"}), 8, wordingUnfamiliar);
    return state;
}

// A case of dialog D, made with args and filled by fill.
template <class D, class... Args>
DialogCase dialog(const char* name, std::function<void(D&)> fill, std::vector<Exception> exceptions = {}, Args... args)
{
    return {name,
            [=] {
                auto d = std::make_unique<D>(args...);
                if (fill)
                    fill(*d);
                return std::unique_ptr<TemplateDialog>(std::move(d));
            },
            D::dialogTemplate(), std::move(exceptions)};
}

const char* const pageText =
    "Welcome, and thank you for taking part.\n\nIn this study you will sort words into categories as quickly and as "
    "accurately as you can.";
const char* const path = "/home/lab/demo/own-words.qls";

std::vector<DialogCase> everyDialog()
{
    using Edit = QLineEdit;
    using Q = QuestionnaireEditorDialog;
    // The choice boxes stand 12 units apart and are 14 high: a column of boxes, each
    // one's lower edge over the next one's upper edge.
    std::vector<Exception> choiceBoxes;
    for (int id = ListOptionsDialog::FirstChoiceId; id < ListOptionsDialog::LastChoiceId; ++id)
        choiceBoxes.push_back({Rule::Apart, id, id + 1, "the choice boxes overlap by 2 units"});
    return {
        dialog<MainMenuDialog>("main menu", {}),
        dialog<AboutDialog>("about", {}),
        dialog<SubjectPageDialog>(
            "subject page",
            [](auto& d) {
                d.setEntries({"/home/lab/demo/demo-one-session.inp", "/home/lab/demo/output.dat", "1003", 1, "room2"});
                d.showFieldMessage = [](const QString&) {};
                d.exists = [](const std::string&) { return false; };
                d.confirm();  // the message line
            },
            {}, LocalDateTime{2026, 12, 7, 9, 30, 0}),
        dialog<FileErrorDialog>("file error",
                                [](auto& d) { d.setTexts("The word list file could not be read.", path); }),
        dialog<ExitCodeDialog>("exit code",
                               [](auto& d) { d.template control<Edit>(ExitCodeDialog::CodeId)->setText("end"); }),
        dialog<OutputTroubleDialog>(
            "output trouble", [](auto& d) { d.setMessage("The data file could not be written: no space left."); }),
        dialog<WarningDialog>("warning", {}, {}, q(unusableQuestionnaireMessage)),
        dialog<WarningDialog>("exit warning", {}, {}, q(exitWarning)),
        dialog<InputFileDialog>(
            "input file",
            [](auto& d) {
                d.template control<Edit>(InputFileDialog::InstructionPathId)->setText(path);
                d.setControlText(InputFileDialog::MessageId, "The number of sessions is 1 to 9.");
            },
            {}, q(path)),
        dialog<ListReviewDialog>("list review", {}, {}, reviewState()),
        dialog<SessionSettingsDialog>(
            "session settings",
            [](auto& d) {
                d.prepare(2);
                for (int list : {SessionSettingsDialog::Pair1ListId, SessionSettingsDialog::Pair2ListId})
                    d.template control<QListWidget>(list)->addItems({"Vehicles-Clothing", "Summer-Winter"});
                d.setControlText(SessionSettingsDialog::MessageId, "Choose a list for each pair.");
            },
            {}, std::string("/nonexistent")),
        dialog<StimulusListEditor>("stimulus lists",
                                   [](auto& d) {
                                       d.setControlText(StimulusListEditor::MessageId, path);
                                       d.template control<Edit>(StimulusListEditor::LabelAId)->setText("Vehicles");
                                   }),
        dialog<InstructionEditorDialog>("instruction editor",
                                        [](auto& d) {
                                            d.setControlText(InstructionEditorDialog::FileNameId, path);
                                            d.setControlText(InstructionEditorDialog::PageTextId, pageText);
                                        }),
        dialog<Q>("questionnaire editor",
                  [](auto& d) {
                      d.setControlText(Q::FileNameId, path);
                      for (auto [id, text] : {std::pair{Q::Category1LabelId, "Personal"},
                                              {Q::Category2LabelId, "Unfamiliar"},
                                              {Q::RadioItem1Id, "coffee"},
                                              {Q::RadioItem2Id, "tea"}})
                          d.template control<Edit>(id)->setText(text);
                      d.template control<QRadioButton>(Q::RadioTypeId)->setChecked(true);
                      d.setControlText(Q::PageTextId, "Which of these two drinks do you prefer?");
                  },
                  {{Rule::ClearOfFrame, Q::Category1LabelId, Q::CategoryFrameId,
                    "the first category box stands 8 units, the title's height, below the frame's top: right under "
                    "the title"}}),
        dialog<ListOptionsDialog>(
            "list options",
            [](auto& d) {
                d.setChoices({"morning", "evening"});
            },
            choiceBoxes),
        dialog<InstructionPageDialog>("instruction page", [](auto& d) { d.setText(pageText); }),
        dialog<TextQuestionDialog>("text question",
                                   [](auto& d) {
                                       d.setPage("Name a word you use every day.");
                                       d.setControlText(TextQuestionDialog::MessageId, "Type an answer.");
                                   }),
        dialog<RadioQuestionDialog>("radio question",
                                    [](auto& d) {
                                        d.setPage("Which of these two drinks do you prefer?", "coffee", "tea");
                                        d.setControlText(RadioQuestionDialog::MessageId, "Choose one.");
                                    }),
        dialog<ListQuestionDialog>("list question",
                                   [](auto& d) {
                                       d.setPage("When do you work best?", {"morning", "afternoon", "evening"});
                                       d.setControlText(ListQuestionDialog::MessageId, "Choose one.");
                                   },
                                   {{Rule::InsideFrame, ListQuestionDialog::MessageId, ListQuestionDialog::FrameId,
                                     "the message line's rectangle ends on the frame's bottom edge"}}),
        dialog<NextBlockDialog>("next block",
                                [](auto& d) {
                                    d.setTexts({"Vehicles", "Clothing", "and", "Summer", "or", "Winter", "real."});
                                }),
        dialog<BlockFeedbackDialog>("block feedback", [](auto& d) { d.setTexts("13.4", "100"); },
                                    {{Rule::InsideFrame, BlockFeedbackDialog::OkId, BlockFeedbackDialog::FrameId,
                                      "OK stands on the frame's lower right corner"}}),
        dialog<ReportDialog>("report",
                             [](auto& d) {
                                 d.setReport(3,
                                             "1   Vehicles+Winter  or  Clothing+Summer\n"
                                             "     Vehicles+Summer  or  Clothing+Winter\n\n",
                                             "716        27%        18\n3000        5%        1\n\n");
                             }),
        {"task window",
         [] {
             static AcceleratorSlot slot;
             static HeadlessPointer pointer{{1280, 1024}};
             static MonotonicClock clock;
             auto w = std::make_unique<TaskWindow>(slot, pointer, clock, makeTaskFont());
             w->drawLabels({"Vehicles", "Clothing", "Winter", "Summer"});
             w->drawWord("bicycle", TextColour::Pair1);
             w->drawFeedback(false);
             return std::unique_ptr<TemplateDialog>(std::move(w));
         },
         TaskWindow::dialogTemplate(),
         {{Rule::OneLine, TaskWindow::UpperLeftId, TaskWindow::UpperRightId,
           "the upper labels stand at 58 and 57 units"}}},
    };
}

TEST(DrawnInside, EveryDialogDrawsEachControlInsideItsBoxAndFrame)
{
    for (const DialogCase& c : everyDialog()) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<TemplateDialog> dialog = c.make();
        std::set<std::tuple<Rule, int, int>> allowed;
        for (const Exception& e : c.exceptions) {
            allowed.insert({e.rule, e.id, e.other});
            allowed.insert({e.rule, e.other, e.id});
        }
        std::set<std::tuple<Rule, int, int>> seen;
        for (const Breach& b : breaches(*dialog, c.table)) {
            const auto key = std::make_tuple(b.rule, b.id, b.other);
            seen.insert(key);
            seen.insert({b.rule, b.other, b.id});
            EXPECT_TRUE(allowed.count(key)) << "control " << b.id << (b.other ? " / " + std::to_string(b.other) : "")
                                            << " not " << ruleNames[int(b.rule)] << ": " << b.detail;
        }
        for (const Exception& e : c.exceptions)
            EXPECT_TRUE(seen.count({e.rule, e.id, e.other})) << "no longer so: " << e.why;
    }
}

}  // namespace
