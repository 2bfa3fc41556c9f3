#pragma once
// Checks that a dialog built from a table places every control at its rectangle.

#include <QLabel>
#include <QWidget>

#include <algorithm>

#include <gtest/gtest.h>

#include "common/ui/template_dialog.h"

// Every control stands at its table rectangle converted with the dialog's font.
inline void expectLaidOutAsTable(const TemplateDialog& dialog, const DialogTemplate& t)
{
    const DialogBaseUnits base = dialog.baseUnits();
    ASSERT_GT(base.averageCharWidth, 0);
    ASSERT_GT(base.charHeight, 0);
    EXPECT_EQ(dialog.width(), dialogUnitsToPixelsX(t.width, base));
    EXPECT_EQ(dialog.height(), dialogUnitsToPixelsY(t.height, base));
    for (const ControlSpec& item : t.controls) {
        QWidget* w = dialog.control(item.id);
        ASSERT_NE(w, nullptr) << item.text;
        const PixelRect p = toPixels(item.place, base);
        // A fixed text may have grown to show all of itself, never beyond the dialog.
        const QRect g = w->geometry();
        EXPECT_EQ(g.topLeft(), QPoint(p.x, p.y)) << item.text;
        if (item.text.empty() || g.size() == QSize(p.width, p.height)) {
            EXPECT_EQ(g.size(), QSize(p.width, p.height)) << item.text;
        } else {
            EXPECT_GE(g.width(), p.width) << item.text;
            EXPECT_GE(g.height(), p.height) << item.text;
            EXPECT_TRUE(QRect(QPoint(0, 0), dialog.size()).contains(g)) << item.text;
        }
        // The program's own texts show whole where the dialog has room for them.
        if (auto* label = qobject_cast<QLabel*>(w); label && !item.text.empty() && label->wordWrap()) {
            const int room = dialog.height() - g.y();
            EXPECT_GE(g.height(), std::min(room, label->heightForWidth(g.width()))) << item.text;
            // A word cannot wrap, so the widest one fits the width.
            for (const QString& word : label->text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
                EXPECT_LE(std::min(label->fontMetrics().horizontalAdvance(word), dialog.width() - g.x()), g.width())
                    << item.text;
        }
        if (auto* label = qobject_cast<QLabel*>(w); label && !item.text.empty() && !label->wordWrap()) {
            EXPECT_LE(std::min(label->sizeHint().width(), dialog.width() - g.x()), g.width()) << item.text;
        }
    }
}
