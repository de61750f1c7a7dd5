// The About box: caption, title line with four blanks, notice, icon, and the
// ways it closes.

#include <QFontMetrics>
#include <QLabel>
#include <QVariant>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/about_dialog.h"
#include "ui/qt_bridge.h"
#include "uitest/dialog_driver.h"

using namespace uitest;

namespace {

TEST(AboutDialog, ShowsTitleVersionNoticeAndIcon) {
  AboutDialog about;
  RunModal(about, [&] {
    EXPECT_EQ(about.Caption(), "About Morvane 1.0");
    EXPECT_EQ(Text(about, IDC_ABOUT_TITLE), "Morvane 1.0    version 1.0");
    EXPECT_EQ(Text(about, IDC_ABOUT_NOTICE), ABOUT_NOTICE);
    for (int id : {IDC_ABOUT_TITLE, IDC_ABOUT_NOTICE}) {
      QWidget* label = DialogAccess::Control(about, id);
      ASSERT_NE(label, nullptr);
      EXPECT_LE(label->fontMetrics().horizontalAdvance(label->property("text").toString()), label->width())
          << "does not fit on one line: " << Text(about, id);
    }
    EXPECT_EQ(FocusedId(about), IDOK);
    bool iconShown = false;
    for (QLabel* label : DialogAccess::Window(about)->findChildren<QLabel*>()) {
      if (!label->pixmap().isNull()) iconShown = label->geometry().x() < ControlRect(about, IDC_ABOUT_TITLE).x;
    }
    EXPECT_TRUE(iconShown);
    Click(about, IDOK);
  });
}

TEST(AboutDialog, OkEnterEscapeAndCloseBoxCloseIt) {
  struct Way {
    const char* name;
    std::function<bool(Dialog&)> act;
    int result;
  };
  const std::vector<Way> ways = {
      {"OK", [](Dialog& d) { return Click(d, IDOK); }, IDOK},
      {"Enter", [](Dialog& d) { return PressKey(d, VK_RETURN); }, IDOK},
      {"Escape", [](Dialog& d) { return PressKey(d, VK_ESCAPE); }, IDCANCEL},
      {"CloseBox", [](Dialog& d) { return ClickCloseBox(d); }, IDCANCEL},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    AboutDialog about;
    EXPECT_EQ(RunModal(about, [&] { EXPECT_TRUE(way.act(about)); }, 2000), way.result);
  }
}

}  // namespace
