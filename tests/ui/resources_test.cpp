#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "resources/dialog_templates.h"
#include "resources/product.h"
#include "resources/program_icon.h"

namespace {

const ControlTemplate* FindControl(const DialogTemplate& t, int id) {
  for (const ControlTemplate& c : t.controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

struct Placed {
  int id;
  const char* text;
  int x, y, width, height;
};

void ExpectPlaced(const DialogTemplate& t, const Placed& p, ControlKind kind) {
  const ControlTemplate* c = FindControl(t, p.id);
  ASSERT_NE(c, nullptr) << p.id;
  EXPECT_EQ(c->kind, kind) << p.id;
  EXPECT_STREQ(c->text, p.text) << p.id;
  EXPECT_EQ(c->x, p.x) << p.id;
  EXPECT_EQ(c->y, p.y) << p.id;
  EXPECT_EQ(c->width, p.width) << p.id;
  EXPECT_EQ(c->height, p.height) << p.id;
}

}  // namespace

TEST(Product, Texts) {
  EXPECT_STREQ(PRODUCT_TITLE, "Morvane 1.0");
  EXPECT_STREQ(PRODUCT_VERSION, "version 1.0");
  EXPECT_STREQ(ERROR_CAPTION, "error");
}

TEST(DialogTemplates, EveryTemplateIsFoundWithItsCaptionSizeAndFont) {
  struct Case {
    int id;
    const char* caption;
    int width, height;
    bool systemMenu;
  } const cases[] = {
      {100, "About", 275, 51, true},
      {140, "Control Panel", 367, 193, true},
      {141, "Morvane 1.0", 462, 349, true},
      {171, "Upgrade Receiver Software", 301, 65, false},
      {172, "Read Receiver Software", 301, 65, false},
      {175, "Communication Setup", 195, 99, false},
      {176, "Connect to the receiver", 182, 43, false},
  };
  for (const Case& c : cases) {
    const DialogTemplate* t = FindDialogTemplate(c.id);
    ASSERT_NE(t, nullptr) << c.id;
    EXPECT_STREQ(t->caption, c.caption);
    EXPECT_EQ(t->width, c.width) << c.id;
    EXPECT_EQ(t->height, c.height) << c.id;
    EXPECT_EQ((t->style & DLG_SYSTEM_MENU) != 0, c.systemMenu) << c.id;
    EXPECT_STREQ(t->fontName, "宋体");
    EXPECT_EQ(t->fontPointSize, 9);
    for (const ControlTemplate& control : t->controls) {
      EXPECT_GE(control.x, 0) << c.id << "/" << control.id;
      EXPECT_LE(control.x + control.width, t->width) << c.id << "/" << control.id;
      EXPECT_LE(control.y + control.height, t->height) << c.id << "/" << control.id;
    }
  }
  EXPECT_EQ(AllDialogTemplates().size(), 7u);
  EXPECT_EQ(FindDialogTemplate(0), nullptr);
  EXPECT_EQ(FindDialogTemplate(173), nullptr);
}

TEST(DialogTemplates, RemoteKeypadKeyButtons) {
  const Placed keys[] = {
      {1089, "MUTE", 380, 84, 30, 14},    {1083, "TEXT", 326, 36, 30, 14},
      {1090, "CH▲", 326, 101, 30, 14},    {1096, "EXIT", 380, 176, 30, 14},
      {1099, "SAT/TV", 372, 206, 40, 14}, {1092, "VOL-->", 380, 126, 30, 14},
      {1091, "OK", 326, 126, 30, 14},     {1093, "<--VOL", 270, 126, 30, 14},
      {1097, "RECALL", 270, 206, 40, 14}, {1082, "PAUSE", 270, 36, 30, 14},
      {1094, "CH▼", 326, 151, 30, 14},    {1084, "UHF", 380, 36, 30, 14},
      {1086, "FAV▼", 326, 60, 30, 14},    {1085, "FAV▲", 270, 60, 30, 14},
      {1110, "0", 322, 308, 40, 14},      {1108, "9", 372, 282, 40, 14},
      {1107, "8", 322, 282, 40, 14},      {1106, "&7", 270, 282, 40, 14},
      {1105, "6", 372, 256, 40, 14},      {1104, "5", 322, 256, 40, 14},
      {1103, "4", 270, 256, 40, 14},      {1102, "3", 372, 232, 40, 14},
      {1101, "2", 322, 232, 40, 14},      {1100, "1", 270, 232, 40, 14},
      {1080, "POWER⊙", 270, 14, 30, 14},  {1098, "TV/RADIO", 322, 206, 40, 14},
      {1088, "AUDIO", 270, 84, 30, 14},   {1081, "INFO", 380, 14, 30, 14},
      {1087, "FAV", 380, 60, 30, 14},     {1095, "MENU", 270, 176, 30, 14},
      {1111, "EPG", 372, 308, 40, 14},    {1109, "P/N/S", 270, 308, 40, 14},
  };
  const DialogTemplate& t = *FindDialogTemplate(DIALOG_REMOTE_KEYPAD);
  std::set<int> ids;
  for (const Placed& key : keys) {
    ExpectPlaced(t, key, ControlKind::PushButton);
    ids.insert(key.id);
  }
  EXPECT_EQ(ids.size(), 32u);
  ExpectPlaced(t, {2, "close", 20, 10, 50, 14}, ControlKind::PushButton);
  ExpectPlaced(t, {1070, "Com 1", 32, 48, 36, 10}, ControlKind::AutoRadioButton);
  ExpectPlaced(t, {1071, "Com 2", 32, 62, 36, 10}, ControlKind::AutoRadioButton);
  ExpectPlaced(t, {1074, "Com 3", 32, 77, 36, 10}, ControlKind::AutoRadioButton);
  ExpectPlaced(t, {1075, "Com 4", 32, 91, 36, 10}, ControlKind::AutoRadioButton);
  ExpectPlaced(t, {1076, "", 20, 120, 205, 170}, ControlKind::Edit);
  const unsigned editStyle = FindControl(t, 1076)->style;
  for (unsigned flag : {CTL_TAB_STOP, CTL_MULTI_LINE, CTL_READ_ONLY, CTL_WANT_RETURN, CTL_AUTO_HSCROLL, CTL_BORDER}) {
    EXPECT_NE(editStyle & flag, 0u) << flag;
  }
  // The capture edit is the first tab stop, so it has the focus at the start.
  for (const ControlTemplate& c : t.controls) {
    if (c.style & CTL_TAB_STOP) {
      EXPECT_EQ(c.id, 1076);
      break;
    }
  }
  const auto group = std::find_if(t.controls.begin(), t.controls.end(),
                                  [](const ControlTemplate& c) { return c.kind == ControlKind::GroupBox; });
  ASSERT_NE(group, t.controls.end());
  EXPECT_STREQ(group->text, "Comport");
  EXPECT_EQ(group->x, 20);
  EXPECT_EQ(group->y, 35);
  EXPECT_EQ(group->width, 80);
  EXPECT_EQ(group->height, 70);
}

TEST(DialogTemplates, ControlPanelButtonGridInTabOrder) {
  const DialogTemplate& t = *FindDialogTemplate(DIALOG_CONTROL_PANEL);
  const Placed buttons[] = {
      {1106, "&Setup Comm", 51, 54, 72, 26},      {1078, "&Keyboard Control", 51, 102, 72, 26},
      {1108, "&Read Software", 144, 54, 72, 26},  {1107, "&Upgrade Software", 235, 54, 72, 26},
      {2, "&Exit", 235, 102, 72, 26},             {3, "&About", 144, 102, 72, 26},
  };
  std::vector<int> tabOrder;
  for (const ControlTemplate& c : t.controls) {
    if (c.style & CTL_TAB_STOP) tabOrder.push_back(c.id);
    EXPECT_NE(c.kind, ControlKind::DefaultPushButton);
  }
  EXPECT_THAT(tabOrder, testing::ElementsAre(1106, 1078, 1108, 1107, 2, 3));
  for (const Placed& b : buttons) ExpectPlaced(t, b, ControlKind::PushButton);
  ExpectPlaced(t, {1111, "Control Panel", 23, 21, 323, 136}, ControlKind::GroupBox);
  EXPECT_EQ(t.controls[0].kind, ControlKind::RaisedFrame);
  EXPECT_EQ(t.controls[0].x, 15);
  EXPECT_EQ(t.controls[0].y, 13);
  EXPECT_EQ(t.controls[0].width, 337);
  EXPECT_EQ(t.controls[0].height, 162);
}

TEST(DialogTemplates, OperationAndAboutControls) {
  struct Case {
    int dialog;
    ControlKind kind;
    Placed control;
    unsigned style;
  } const cases[] = {
      {172, ControlKind::Edit, {1087, "", 15, 5, 57, 12},
       CTL_READ_ONLY | CTL_CENTER | CTL_AUTO_HSCROLL | CTL_DISABLED},
      {172, ControlKind::ProgressBar, {1057, "", 11, 20, 274, 11}, CTL_BORDER},
      {172, ControlKind::PushButton, {2, "Cancel", 122, 44, 50, 14}, CTL_TAB_STOP},
      {171, ControlKind::Edit, {1087, "", 15, 5, 57, 12}, CTL_CENTER | CTL_READ_ONLY | CTL_DISABLED},
      {171, ControlKind::ProgressBar, {1057, "", 11, 20, 274, 11}, 0},
      {171, ControlKind::StaticText,
       {1093, "Dont' power off during Saving Data.... The Receiver will Auto Reboot！", 10, 20, 282, 15},
       CTL_CENTER | CTL_HIDDEN},
      {171, ControlKind::PushButton, {2, "Cancel", 122, 44, 50, 14}, CTL_TAB_STOP},
      {100, ControlKind::StaticText, {1085, "Morvane 1.0", 40, 10, 180, 8}, CTL_NO_PREFIX},
      {100, ControlKind::StaticText, {1086, "", 40, 25, 165, 8}, 0},
      {100, ControlKind::DefaultPushButton, {1, "OK", 218, 25, 50, 14}, 0},
  };
  for (const Case& c : cases) {
    const DialogTemplate& t = *FindDialogTemplate(c.dialog);
    ExpectPlaced(t, c.control, c.kind);
    EXPECT_EQ(FindControl(t, c.control.id)->style & c.style, c.style) << c.dialog << "/" << c.control.id;
  }
  const ControlTemplate& icon = FindDialogTemplate(100)->controls[0];
  EXPECT_EQ(icon.kind, ControlKind::Icon);
  EXPECT_STREQ(icon.text, "128");
  EXPECT_EQ(icon.x, 11);
  EXPECT_EQ(icon.y, 12);
}

TEST(DialogTemplates, PortSetupAndConnect) {
  const DialogTemplate& setup = *FindDialogTemplate(DIALOG_COMM_SETUP);
  std::vector<std::string> kinds;
  std::vector<int> radios;
  for (const ControlTemplate& c : setup.controls) {
    if (c.kind == ControlKind::AutoRadioButton) radios.push_back(c.id);
  }
  EXPECT_THAT(radios, testing::ElementsAre(1070, 1071, 1074, 1075));
  EXPECT_STREQ(setup.controls[0].text, "Select a port");
  EXPECT_EQ(FindControl(setup, 1)->kind, ControlKind::DefaultPushButton);
  EXPECT_STREQ(FindControl(setup, 2)->text, "Cancel");
  EXPECT_NE(FindControl(setup, 1070)->style & CTL_GROUP, 0u);
  const DialogTemplate& connect = *FindDialogTemplate(DIALOG_CONNECT);
  ASSERT_EQ(connect.controls.size(), 2u);
  EXPECT_EQ(connect.controls[0].id, 1057);
  EXPECT_EQ(connect.controls[0].kind, ControlKind::ProgressBar);
  EXPECT_STREQ(connect.controls[1].text, "Connecting .....");
}

TEST(ProgramIcon, ThirtyTwoSquareInAtMostSixteenColours) {
  EXPECT_EQ(FindIconXpm(PROGRAM_ICON_ID).size(), static_cast<std::size_t>(PROGRAM_ICON_XPM_LINES));
  EXPECT_TRUE(FindIconXpm(129).empty());
  const std::vector<std::uint32_t> pixels = DecodeProgramIcon();
  ASSERT_EQ(pixels.size(), 32u * 32u);
  const std::set<std::uint32_t> colours(pixels.begin(), pixels.end());
  EXPECT_LE(colours.size(), 16u);
  EXPECT_GE(colours.size(), 4u);
  EXPECT_TRUE(colours.count(0u));  // transparent corners
  EXPECT_EQ(pixels[0], 0u);
}
