#pragma once
// The experimenter's exit code at the end of a run: a small window without caption
// or buttons, a striped band along its top and bottom edges, and one box for the
// code. Enter closes it as OK, Escape as cancel.

#include <optional>

#include <QImage>
#include <QWidget>

#include "common/ui/template_dialog.h"

class ExitCodeDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId { TopBandId = 1, LabelId, CodeId, BottomBandId };
    static constexpr int codeCapacity = 16;

    explicit ExitCodeDialog(QWidget* parent = nullptr);

    QString code() const;

    // Shows the screen with an empty box: the text typed when it is closed with
    // Enter, nothing when it is closed with Escape.
    static std::optional<QString> ask(QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The band: a small bitmap of diagonal coloured stripes, tiled along the edge, with
// a dark rule on the side that faces the window's inside.
class StripedBand : public QWidget {
    Q_OBJECT
public:
    // A band along the bottom edge runs its stripes the other way and has its rule
    // at the top.
    StripedBand(QWidget* parent, bool bottom);

    static const QImage& tile(bool bottom);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool bottom_;
};
