#include "ui/window_image.h"

#include <QPixmap>
#include <QWidget>

#include "ui/qt_bridge.h"
#include "window_internal.h"

bool SaveWindowImage(const Dialog& dialog, const std::string& pngPath) {
  QWidget* window = DialogAccess::Window(dialog);
  if (window == nullptr) return false;
  return window->grab().save(ToQt(pngPath), "PNG");
}
