// The control panel: texts, focus, keys, the button grid, and what each
// button runs (through recording actions and a stand-in keypad).

#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/control_panel_dialog.h"
#include "resources/dialog_templates.h"
#include "ui/application.h"
#include "ui/qt_bridge.h"
#include "uitest/dialog_driver.h"
#include "uitest/scripted_prompts.h"

using namespace uitest;

namespace {

class StandInKeypad : public Dialog {
 public:
  explicit StandInKeypad(bool& destroyedFlag) : Dialog(DIALOG_REMOTE_KEYPAD), destroyed(destroyedFlag) {}
  ~StandInKeypad() override { destroyed = true; }
  bool& destroyed;
};

class RecordingActions : public PanelActions {
 public:
  void RunSetupComm(std::int32_t& port) override { Record("SetupComm", port); }
  std::unique_ptr<Dialog> MakeRemoteKeypad(std::int32_t& port) override {
    Record("MakeRemoteKeypad", port);
    if (!withKeypad) return nullptr;
    return std::make_unique<StandInKeypad>(keypadDestroyed);
  }
  void RunReadSoftware(std::int32_t& port) override { Record("ReadSoftware", port); }
  void RunUpgradeSoftware(const std::string& path, std::int32_t& port) override {
    Record("UpgradeSoftware " + path, port);
  }
  void RunAbout() override { calls.push_back("About"); }

  void Record(const std::string& call, std::int32_t& port) {
    calls.push_back(call);
    ports.push_back(&port);
  }

  bool withKeypad = false;
  bool keypadDestroyed = false;
  std::vector<std::string> calls;
  std::vector<std::int32_t*> ports;
};

class ControlPanelTest : public ::testing::Test {
 protected:
  void SetUp() override { app.SetMainWindow(&panel); }

  // Runs the panel, does what during() says, then closes it with Exit.
  int Run(const std::function<void()>& during) {
    return RunModal(panel, [&] {
      during();
      if (panel.IsRunningModal()) Click(panel, IDCANCEL);
    });
  }

  Application app;
  ScriptedPrompts prompts;
  std::int32_t portIndex = 0;
  RecordingActions actions;
  ControlPanelDialog panel{portIndex, actions};
};

TEST_F(ControlPanelTest, OpensTitledCentredWithIconAndFocusOnSetupComm) {
  Run([&] {
    EXPECT_EQ(panel.Caption(), "Morvane 1.0");
    EXPECT_EQ(Text(panel, IDC_PANEL_GROUP), "Morvane 1.0 Control Panel");
    EXPECT_EQ(FocusedId(panel), IDC_SETUP_COMM);
    QWidget* window = DialogAccess::Window(panel);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->windowIcon().isNull());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    const QPoint offset = window->frameGeometry().center() - screenCentre;
    EXPECT_LE(std::abs(offset.x()), 2);  // integer halves of odd sizes
    EXPECT_LE(std::abs(offset.y()), 2);
  });
}

TEST_F(ControlPanelTest, EnterPressesTheFocusedButtonAndNeverClosesThePanel) {
  Run([&] {
    ASSERT_TRUE(PressKey(panel, VK_RETURN));
    EXPECT_TRUE(panel.IsRunningModal());
    panel.OnCommand(IDOK);
    EXPECT_TRUE(panel.IsRunningModal());
  });
  EXPECT_EQ(actions.calls, std::vector<std::string>{"SetupComm"});
  ASSERT_EQ(actions.ports.size(), 1u);
  EXPECT_EQ(actions.ports[0], &portIndex);
}

TEST_F(ControlPanelTest, ExitEscapeAndCloseBoxEachEndItWithCancel) {
  const std::vector<std::function<bool()>> ways = {
      [&] { return Click(panel, IDCANCEL); },
      [&] { return PressKey(panel, VK_ESCAPE); },
      [&] { return ClickCloseBox(panel); },
  };
  for (std::size_t i = 0; i < ways.size(); ++i) {
    SCOPED_TRACE(i);
    bool done = false;
    EXPECT_EQ(RunModal(panel, [&] { done = ways[i](); }), IDCANCEL);
    EXPECT_TRUE(done);
  }
  EXPECT_TRUE(actions.calls.empty());
}

TEST_F(ControlPanelTest, EachButtonRunsItsOwnAction) {
  struct Case {
    int id;
    const char* call;
  };
  for (const Case& c : {Case{IDC_SETUP_COMM, "SetupComm"}, Case{IDC_READ_SOFTWARE, "ReadSoftware"},
                        Case{IDC_ABOUT, "About"}, Case{IDC_KEYBOARD_CONTROL, "MakeRemoteKeypad"}}) {
    SCOPED_TRACE(c.call);
    actions.calls.clear();
    Run([&] {
      EXPECT_TRUE(Click(panel, c.id));
      EXPECT_TRUE(panel.IsRunningModal());
    });
    EXPECT_EQ(actions.calls, std::vector<std::string>{c.call});
  }
}

TEST_F(ControlPanelTest, ButtonsStandInTwoRowsAndTabInTemplateOrder) {
  Run([&] {
    // Top row: Setup Comm, Read Software, Upgrade Software; below: Keyboard Control, About, Exit.
    const std::vector<std::vector<int>> rows = {{IDC_SETUP_COMM, IDC_READ_SOFTWARE, IDC_UPGRADE_SOFTWARE},
                                                {IDC_KEYBOARD_CONTROL, IDC_ABOUT, IDCANCEL}};
    for (std::size_t column = 0; column < 3; ++column) {
      const Rect top = ControlRect(panel, rows[0][column]);
      const Rect bottom = ControlRect(panel, rows[1][column]);
      EXPECT_EQ(top.x, bottom.x);
      EXPECT_LT(top.y + top.height, bottom.y);
      EXPECT_EQ(top.y, ControlRect(panel, rows[0][0]).y);
      EXPECT_EQ(bottom.y, ControlRect(panel, rows[1][0]).y);
      if (column > 0) {
        EXPECT_GT(top.x, ControlRect(panel, rows[0][column - 1]).x + top.width);
      }
    }
    const Rect group = ControlRect(panel, IDC_PANEL_GROUP);
    const Rect exit = ControlRect(panel, IDCANCEL);
    EXPECT_LT(exit.x + exit.width, group.x + group.width);
    EXPECT_LT(exit.y + exit.height, group.y + group.height);

    for (int id : {IDC_SETUP_COMM, IDC_KEYBOARD_CONTROL, IDC_READ_SOFTWARE, IDC_UPGRADE_SOFTWARE, IDCANCEL, IDC_ABOUT}) {
      auto* button = qobject_cast<QPushButton*>(DialogAccess::Control(panel, id));
      ASSERT_NE(button, nullptr);
      EXPECT_FALSE(button->isDefault()) << id;
    }

    std::vector<int> order = {FocusedId(panel)};
    for (int i = 0; i < 6; ++i) {
      PressKey(panel, VK_TAB);
      order.push_back(FocusedId(panel));
    }
    EXPECT_EQ(order, (std::vector<int>{IDC_SETUP_COMM, IDC_KEYBOARD_CONTROL, IDC_READ_SOFTWARE,
                                       IDC_UPGRADE_SOFTWARE, IDCANCEL, IDC_ABOUT, IDC_SETUP_COMM}));
  });
}

TEST_F(ControlPanelTest, UpgradeSoftwareAsksForAnExistingRomFileAndCancelRunsNothing) {
  prompts.QueueCancel();
  Run([&] { EXPECT_TRUE(Click(panel, IDC_UPGRADE_SOFTWARE)); });

  EXPECT_TRUE(actions.calls.empty());
  EXPECT_TRUE(prompts.Messages().empty());
  ASSERT_EQ(prompts.FileRequests().size(), 1u);
  const FileRequest& request = prompts.FileRequests()[0].request;
  EXPECT_EQ(request.kind, FileDialogKind::Open);
  EXPECT_EQ(request.title, "open rom(*.bin) file");
  EXPECT_EQ(request.filter, "rom image file(*.bin)|*.bin||");
  EXPECT_EQ(request.initialName, "rom.bin");
  EXPECT_EQ(request.defaultExtension, "");
  EXPECT_TRUE(request.fileMustExist);
  EXPECT_EQ(request.owner, &panel);
}

TEST_F(ControlPanelTest, UpgradeSoftwareRunsTheUpgradeWithTheChosenPath) {
  prompts.QueueFile("/media/usb/backups/rom.bin");
  Run([&] { EXPECT_TRUE(Click(panel, IDC_UPGRADE_SOFTWARE)); });
  EXPECT_EQ(actions.calls, std::vector<std::string>{"UpgradeSoftware /media/usb/backups/rom.bin"});
  ASSERT_EQ(actions.ports.size(), 1u);
  EXPECT_EQ(actions.ports[0], &portIndex);
}

TEST_F(ControlPanelTest, KeyboardControlHidesThePanelWhileTheKeypadStandsAlone) {
  actions.withKeypad = true;
  bool keypadRan = false;
  WhenModal(DIALOG_REMOTE_KEYPAD, [&](Dialog& keypad) {
    keypadRan = true;
    EXPECT_FALSE(IsWindowShown(panel));
    EXPECT_TRUE(StandsAlone(keypad));
    EXPECT_EQ(app.MainWindow(), &keypad);
    keypad.EndDialog(IDCANCEL);
  });
  Run([&] {
    EXPECT_TRUE(Click(panel, IDC_KEYBOARD_CONTROL));
    EXPECT_TRUE(keypadRan);
    EXPECT_TRUE(actions.keypadDestroyed);
    EXPECT_TRUE(IsWindowShown(panel));
    EXPECT_TRUE(panel.IsRunningModal());
    EXPECT_EQ(app.ActiveMainWindow(), nullptr);
    EXPECT_EQ(app.MainWindow(), &panel);
  });
  EXPECT_EQ(ClearPendingModalActions(), 0);
  ASSERT_EQ(actions.ports.size(), 1u);
  EXPECT_EQ(actions.ports[0], &portIndex);
}

TEST(ControlPanelAbout, AboutRunsAsTheBoxOfThePanel) {
  Application app;
  std::int32_t portIndex = 0;
  ControlPanelDialog panel(portIndex);  // the program's own actions
  app.SetMainWindow(&panel);
  bool aboutRan = false;
  WhenModal(DIALOG_ABOUT, [&](Dialog& about) {
    aboutRan = true;
    EXPECT_TRUE(IsOwnedByWindowOf(about, panel));
    EXPECT_TRUE(IsBlockedByModal(panel));
    PressKey(about, VK_ESCAPE);
  });
  RunModal(panel, [&] {
    EXPECT_TRUE(Click(panel, IDC_ABOUT));
    Click(panel, IDCANCEL);
  });
  EXPECT_TRUE(aboutRan);
}

}  // namespace
