#include "app/main_menu_dialog.h"

#include <QPainter>
#include <QPushButton>

#include "app/about_dialog.h"

const DialogTemplate& MainMenuDialog::dialogTemplate()
{
    static const DialogTemplate t{
        "TRUV for Windows 2.3",
        286,
        168,
        8,
        {
            {ControlKind::DefaultButton, RunId, "Run QAV", {10, 10, 136, 18}},
            {ControlKind::PushButton, CreateInputFileId, "Create New Input File", {10, 36, 136, 16}},
            {ControlKind::PushButton, EditQuestionnaireId, "Add/Edit QAV Items Questionnaire", {10, 56, 136, 16}},
            {ControlKind::PushButton, EditStimulusListsId, "Add/Edit Stimulus Lists", {10, 76, 136, 16}},
            {ControlKind::PushButton, EditInstructionsId, "Add/Edit Instructions", {10, 96, 136, 16}},
            {ControlKind::PushButton, WriteLogFileId, "Write Log File", {10, 116, 136, 16}},
            {ControlKind::PushButton, ExitId, "Exit", {10, 144, 64, 14}},
            {ControlKind::PushButton, AboutId, "About", {82, 144, 64, 14}},
            {ControlKind::Picture, PictureId, "", {156, 10, 120, 148}},
        }};
    return t;
}

MainMenuDialog::MainMenuDialog(MenuActivities activities, QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent, [](const ControlSpec&, QWidget* p) { return new MenuPicture(p); }),
      activities_(std::move(activities))
{
    auto onClick = [this](int id, auto slot) { connect(control<QPushButton>(id), &QPushButton::clicked, this, slot); };
    onClick(RunId, [this] { done(RunResult); });
    onClick(ExitId, [this] { done(ExitResult); });
    onClick(AboutId, [this] { AboutDialog(this).exec(); });
    onClick(CreateInputFileId, [this] { runActivity(MenuActivity::CreateInputFile); });
    onClick(EditQuestionnaireId, [this] { runActivity(MenuActivity::EditQuestionnaire); });
    onClick(EditStimulusListsId, [this] { runActivity(MenuActivity::EditStimulusLists); });
    onClick(EditInstructionsId, [this] { runActivity(MenuActivity::EditInstructions); });
    onClick(WriteLogFileId, [this] { runActivity(MenuActivity::WriteLogFile); });
    control(RunId)->setFocus();
}

void MainMenuDialog::reject() { done(ExitResult); }

void MainMenuDialog::runActivity(MenuActivity activity)
{
    const auto it = activities_.find(activity);
    if (it != activities_.end() && it->second)
        it->second(this);
}

void MenuPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    const qreal w = r.width();
    const qreal h = r.height();

    // The screen: a dark bezel around the light grey task area.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 64, 72));
    p.drawRoundedRect(r.adjusted(1, 1, -1, -h * 0.30), 6, 6);
    const QRectF screen = r.adjusted(w * 0.06, h * 0.05, -w * 0.06, -h * 0.34);
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(screen);

    // The two category labels at the top corners, the word in the middle and the
    // green "O" that answers a correct response.
    QFont f = font();
    f.setPixelSize(qMax(8, int(screen.height() * 0.12)));
    p.setFont(f);
    p.setPen(Qt::black);
    const QRectF labels = screen.adjusted(4, 4, -4, 0);
    p.drawText(labels, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Fruit"));
    p.drawText(labels, Qt::AlignRight | Qt::AlignTop, QStringLiteral("Tools"));
    f.setBold(true);
    p.setFont(f);
    p.drawText(screen.adjusted(0, screen.height() * 0.30, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
               QStringLiteral("cherry"));
    p.setPen(QPen(QColor(0, 160, 0), qMax(2.0, screen.height() * 0.03)));
    p.setBrush(Qt::NoBrush);
    const qreal d = screen.height() * 0.22;
    p.drawEllipse(QRectF(screen.center().x() - d / 2, screen.top() + screen.height() * 0.62, d, d));

    // The stand, and the two response keys below the screen.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 64, 72));
    p.drawRect(QRectF(w * 0.44, h * 0.70, w * 0.12, h * 0.05));
    const qreal key = qMin(w * 0.22, h * 0.16);
    const qreal keyTop = h * 0.80;
    const QRectF left(w * 0.18, keyTop, key, key);
    const QRectF right(w * 0.82 - key, keyTop, key, key);
    for (const auto& [box, text] : {std::pair{left, QStringLiteral("A")}, std::pair{right, QStringLiteral("5")}}) {
        p.setPen(QPen(QColor(20, 90, 20), 1.5));
        p.setBrush(QColor(110, 200, 110));
        p.drawRoundedRect(box, 4, 4);
        p.setPen(Qt::black);
        QFont kf = font();
        kf.setBold(true);
        kf.setPixelSize(int(key * 0.5));
        p.setFont(kf);
        p.drawText(box, Qt::AlignCenter, text);
    }
}
