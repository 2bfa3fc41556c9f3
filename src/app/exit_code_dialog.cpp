#include "app/exit_code_dialog.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include <array>

const DialogTemplate& ExitCodeDialog::dialogTemplate()
{
    static const DialogTemplate t{"",
                                  180,
                                  56,
                                  8,
                                  {
                                      {ControlKind::Picture, TopBandId, "", {0, 0, 180, 8}},
                                      {ControlKind::Static, LabelId, "Experiment Exit Code:", {12, 24, 86, 8}, NoWrap},
                                      {ControlKind::Edit, CodeId, "", {102, 22, 66, 12}, StyleNone, codeCapacity},
                                      {ControlKind::Picture, BottomBandId, "", {0, 48, 180, 8}},
                                  }};
    return t;
}

ExitCodeDialog::ExitCodeDialog(QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent,
                     [](const ControlSpec& item, QWidget* p) { return new StripedBand(p, item.id == BottomBandId); })
{
    // No caption and no border: the bands are the window's edges.
    setWindowFlag(Qt::FramelessWindowHint, true);
    control(CodeId)->setFocus();
}

QString ExitCodeDialog::code() const { return control<QLineEdit>(CodeId)->text(); }

void ExitCodeDialog::keyPressEvent(QKeyEvent* event)
{
    // The box passes Enter on; without a button the dialog takes it as OK itself.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    TemplateDialog::keyPressEvent(event);
}

std::optional<QString> ExitCodeDialog::ask(QWidget* parent)
{
    ExitCodeDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.code();
}

StripedBand::StripedBand(QWidget* parent, bool bottom) : QWidget(parent), bottom_(bottom)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const QImage& StripedBand::tile(bool bottom)
{
    static const auto make = [](bool mirrored) {
        // Navy, teal, gold and brick red, four pixels each, on the diagonal.
        static constexpr std::array<QRgb, 4> colours{qRgb(20, 40, 110), qRgb(0, 128, 128), qRgb(235, 185, 30),
                                                     qRgb(170, 50, 40)};
        constexpr int size = 16;
        QImage image(size, size, QImage::Format_RGB32);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const int diagonal = mirrored ? x + (size - 1 - y) : x + y;
                image.setPixel(x, y, colours[(diagonal / 4) % colours.size()]);
            }
        }
        return image;
    };
    static const QImage top = make(false);
    static const QImage under = make(true);
    return bottom ? under : top;
}

void StripedBand::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QImage& image = tile(bottom_);
    // Tiles start at the window's left edge, so both bands line up.
    p.drawTiledPixmap(rect(), QPixmap::fromImage(image), QPoint(x() % image.width(), 0));
    p.setPen(QColor(40, 40, 40));
    const int rule = bottom_ ? 0 : height() - 1;
    p.drawLine(0, rule, width() - 1, rule);
}
