#pragma once
// Dialog units to pixels. The horizontal base unit is the average width of
// the 52 letters A-Z a-z in the dialog font, rounded; the vertical one is the
// font's height. x px = du * baseX / 4 and y px = du * baseY / 8, rounded
// half away from zero.

struct DialogBaseUnits {
  int x;
  int y;
};

// a * b / c rounded half away from zero; -1 when c is 0.
int MulDivRounded(int a, int b, int c);
DialogBaseUnits BaseUnitsFromMetrics(int widthOf52Letters, int fontHeight);
int DialogUnitsToPixelsX(int du, DialogBaseUnits base);
int DialogUnitsToPixelsY(int du, DialogBaseUnits base);

// Base units of the dialog font of the given template's font name and size,
// measured with Qt (needs a Qt application).
DialogBaseUnits MeasureDialogBaseUnits(const char* fontName, int pointSize);
