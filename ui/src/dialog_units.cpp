#include "ui/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QPixmap>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

#include "resources/program_icon.h"
#include "window_internal.h"

int MulDivRounded(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = std::llabs(c) / 2;
  const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
  return static_cast<int>(((product < 0) != (c < 0)) ? -magnitude : magnitude);
}

DialogBaseUnits BaseUnitsFromMetrics(int widthOf52Letters, int fontHeight) {
  // (width / 26 + 1) / 2: the average over 52 letters, rounded half up.
  return DialogBaseUnits{(widthOf52Letters / 26 + 1) / 2, fontHeight};
}

int DialogUnitsToPixelsX(int du, DialogBaseUnits base) { return MulDivRounded(du, base.x, 4); }
int DialogUnitsToPixelsY(int du, DialogBaseUnits base) { return MulDivRounded(du, base.y, 8); }

QFont DialogFont(const char* fontName, int pointSize) {
  QFont font;
  // Asked for by its own name first; the Song/Ming and CJK faces after it
  // also carry the full-width punctuation of the messages.
  font.setFamilies({QString::fromUtf8(fontName), QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"),
                    QStringLiteral("AR PL UMing TW"), QStringLiteral("Noto Serif CJK SC"),
                    QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")});
  font.setPointSize(pointSize);
  return font;
}

DialogBaseUnits MeasureDialogBaseUnits(const char* fontName, int pointSize) {
  const QFontMetrics metrics(DialogFont(fontName, pointSize));
  const int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return BaseUnitsFromMetrics(width, metrics.height());
}

QIcon ProgramIcon() {
  const std::span<const char* const> xpm = FindIconXpm(PROGRAM_ICON_ID);
  return QIcon(QPixmap(xpm.data()));
}
