#include "common/dialog_template.h"

namespace {
// a * b / c rounded to nearest, for non-negative and negative a alike.
int mulDivRound(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : -((-product + half) / c));
}
}  // namespace

int dialogUnitsToPixelsX(int units, DialogBaseUnits base) { return mulDivRound(units, base.averageCharWidth, 4); }
int dialogUnitsToPixelsY(int units, DialogBaseUnits base) { return mulDivRound(units, base.charHeight, 8); }

PixelRect toPixels(const DialogRect& rect, DialogBaseUnits base)
{
    return {dialogUnitsToPixelsX(rect.x, base), dialogUnitsToPixelsY(rect.y, base),
            dialogUnitsToPixelsX(rect.width, base), dialogUnitsToPixelsY(rect.height, base)};
}

int averageCharWidthFromAlphabet(int alphabetWidth) { return (alphabetWidth / 26 + 1) / 2; }
