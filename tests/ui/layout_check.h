#pragma once
// Checks that a dialog built from a table places every control at its rectangle.

#include <QWidget>

#include <gtest/gtest.h>

#include "common/template_dialog.h"

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
        EXPECT_EQ(w->geometry(), QRect(p.x, p.y, p.width, p.height)) << item.text;
    }
}
