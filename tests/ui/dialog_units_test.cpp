#include <gtest/gtest.h>

#include "resources/dialog_templates.h"
#include "ui/dialog.h"
#include "ui/dialog_units.h"
#include "uitest/dialog_driver.h"

TEST(DialogUnits, MulDivRoundsHalfAwayFromZero) {
  struct Case {
    int a, b, c, expected;
  } const cases[] = {
      {367, 6, 4, 551},  // 550.5
      {193, 12, 8, 290}, // 289.5
      {10, 7, 4, 18},    // 17.5
      {9, 7, 4, 16},     // 15.75
      {1, 1, 4, 0},      // 0.25
      {2, 1, 4, 1},      // 0.5
      {-2, 1, 4, -1},    // -0.5
      {-367, 6, 4, -551},
      {5, 3, 0, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(MulDivRounded(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(DialogUnits, BaseUnitsAreTheRoundedLetterAverageAndTheFontHeight) {
  struct Case {
    int width52, height, x;
  } const cases[] = {
      {312, 12, 6},  // exactly 6.0
      {337, 16, 6},  // 6.48
      {338, 16, 7},  // 6.5 rounds up
      {364, 17, 7},
  };
  for (const Case& c : cases) {
    const DialogBaseUnits base = BaseUnitsFromMetrics(c.width52, c.height);
    EXPECT_EQ(base.x, c.x) << c.width52;
    EXPECT_EQ(base.y, c.height);
  }
}

TEST(DialogUnits, KnownMetricGivesTheClassicPixelSizes) {
  // A 9-point Song face at 96 dpi: letters average 6 px, height 12 px.
  const DialogBaseUnits base{6, 12};
  EXPECT_EQ(DialogUnitsToPixelsX(367, base), 551);
  EXPECT_EQ(DialogUnitsToPixelsY(193, base), 290);
  EXPECT_EQ(DialogUnitsToPixelsX(72, base), 108);
  EXPECT_EQ(DialogUnitsToPixelsY(26, base), 39);
  EXPECT_EQ(DialogUnitsToPixelsX(4, base), 6);
  EXPECT_EQ(DialogUnitsToPixelsY(8, base), 12);
}

TEST(DialogUnits, WindowAndControlsArePlacedInTheMeasuredUnits) {
  const DialogTemplate& t = *FindDialogTemplate(DIALOG_CONTROL_PANEL);
  const DialogBaseUnits base = MeasureDialogBaseUnits(t.fontName, t.fontPointSize);
  ASSERT_GT(base.x, 0);
  ASSERT_GT(base.y, 0);
  Dialog panel(DIALOG_CONTROL_PANEL);
  uitest::RunModal(panel, [&] {
    const uitest::Rect client = uitest::ClientSize(panel);
    EXPECT_EQ(client.width, DialogUnitsToPixelsX(367, base));
    EXPECT_EQ(client.height, DialogUnitsToPixelsY(193, base));
    const uitest::Rect exit = uitest::ControlRect(panel, IDCANCEL);
    EXPECT_EQ(exit.x, DialogUnitsToPixelsX(235, base));
    EXPECT_EQ(exit.y, DialogUnitsToPixelsY(102, base));
    EXPECT_EQ(exit.width, DialogUnitsToPixelsX(72, base));
    EXPECT_EQ(exit.height, DialogUnitsToPixelsY(26, base));
    panel.EndDialog(IDCANCEL);
  });
}
