// The dialog layer's rules, checked with small test dialogs over the real templates.

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/dialog_templates.h"
#include "ui/application.h"
#include "ui/dialog.h"
#include "ui/qt_bridge.h"
#include "ui/wait_cursor.h"
#include "uitest/dialog_driver.h"
#include "uitest/scripted_prompts.h"

using testing::ElementsAre;
using testing::IsEmpty;
using namespace uitest;

namespace {

constexpr int ENDED_BY_TEST = 99;

// Records what reaches the handlers; OK and Cancel keep their base behaviour
// unless told otherwise.
class ProbeDialog : public Dialog {
 public:
  explicit ProbeDialog(int templateId, Dialog* owner = nullptr) : Dialog(templateId, owner) {}

  bool OnInitDialog() override {
    Dialog::OnInitDialog();
    if (onInit) onInit(*this);
    return focusFirst;
  }
  void OnOK() override {
    calls.push_back("OnOK");
    if (!okDoesNothing) Dialog::OnOK();
  }
  void OnCancel() override {
    calls.push_back("OnCancel");
    Dialog::OnCancel();
  }
  void OnCommand(int id) override {
    commands.push_back(id);
    Dialog::OnCommand(id);
  }
  void OnTimer(int id) override {
    ticks.push_back(id);
    if (onTimer) onTimer(*this, id);
  }
  void DoDataExchange(DataExchange& exchange) override {
    if (radioFirstId != 0) exchange.Radio(radioFirstId, radioIndex);
  }

  std::function<void(ProbeDialog&)> onInit;
  std::function<void(ProbeDialog&, int)> onTimer;
  bool focusFirst = true;
  bool okDoesNothing = false;
  int radioFirstId = 0;
  int radioIndex = -1;
  std::vector<std::string> calls;
  std::vector<int> commands;
  std::vector<int> ticks;
};

// Counts Show events of top-level windows.
class ShowCounter : public QObject {
 public:
  ShowCounter() { qApp->installEventFilter(this); }
  ~ShowCounter() override { qApp->removeEventFilter(this); }
  int shown = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
      ++shown;
    }
    return false;
  }
};

TEST(DialogModalRun, InitialisationThatEndsTheDialogNeverShowsItAndReturnsItsResult) {
  ScriptedPrompts prompts;
  ShowCounter counter;
  ProbeDialog dialog(DIALOG_READ);
  dialog.onInit = [](ProbeDialog& d) {
    d.MessageBox("open port3 error!");  // shown while the dialog is still invisible
    d.EndDialog(77);
  };
  bool ranInside = false;
  EXPECT_EQ(RunModal(dialog, [&] { ranInside = true; }), 77);
  EXPECT_FALSE(ranInside);
  EXPECT_EQ(counter.shown, 0);
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].owner, &dialog);
  EXPECT_FALSE(prompts.Messages()[0].ownerVisible);
  EXPECT_FALSE(dialog.HasWindow());
}

TEST(DialogModalRun, WindowExistsOnlyDuringTheRunAndARunCanBeRepeated) {
  ProbeDialog dialog(DIALOG_ABOUT);
  EXPECT_FALSE(dialog.HasWindow());
  for (int run = 0; run < 2; ++run) {
    bool inside = false;
    EXPECT_EQ(RunModal(dialog, [&] {
                inside = true;
                EXPECT_TRUE(dialog.HasWindow());
                EXPECT_TRUE(IsWindowShown(dialog));
                EXPECT_EQ(dialog.Caption(), "About");
                Click(dialog, IDOK);
              }),
              IDOK);
    EXPECT_TRUE(inside);
    EXPECT_FALSE(dialog.HasWindow());
  }
}

TEST(DialogModalRun, UnknownTemplateFailsWithoutAWindow) {
  ProbeDialog dialog(999);
  EXPECT_EQ(dialog.DoModal(), -1);
}

TEST(DialogKeys, EscapeAndCloseBoxLeadToOnCancel) {
  for (bool closeBox : {false, true}) {
    ProbeDialog dialog(DIALOG_CONTROL_PANEL);
    EXPECT_EQ(RunModal(dialog, [&] { closeBox ? ClickCloseBox(dialog) : PressKey(dialog, VK_ESCAPE); }), IDCANCEL)
        << closeBox;
    EXPECT_THAT(dialog.calls, ElementsAre("OnCancel")) << closeBox;
  }
}

struct EnterCase {
  const char* name;
  int templateId;
  int focusId;  // 0: leave the focus where the dialog put it
  std::vector<int> commands;
  std::vector<std::string> calls;
};

TEST(DialogKeys, EnterPressesTheFocusedOrDefaultButtonElseOk) {
  const EnterCase cases[] = {
      {"default button while a radio has the focus", DIALOG_COMM_SETUP, 0, {IDOK}, {"OnOK"}},
      {"focused push button wins over the default", DIALOG_COMM_SETUP, IDCANCEL, {IDCANCEL}, {"OnCancel"}},
      {"focused button of a panel without default", DIALOG_CONTROL_PANEL, 0, {1106}, {}},
      {"focused Exit button", DIALOG_CONTROL_PANEL, IDCANCEL, {IDCANCEL}, {"OnCancel"}},
      {"no button at all: OK", DIALOG_CONNECT, 0, {IDOK}, {"OnOK"}},
      {"multi-line want-return edit keeps Enter", DIALOG_REMOTE_KEYPAD, 1076, {}, {}},
  };
  for (const EnterCase& c : cases) {
    ProbeDialog dialog(c.templateId);
    dialog.okDoesNothing = true;
    RunModal(dialog, [&] {
      if (c.focusId != 0) {
        dialog.SetControlFocus(c.focusId);
        EXPECT_EQ(FocusedId(dialog), c.focusId) << c.name;
      }
      PressKey(dialog, VK_RETURN);
      if (dialog.IsRunningModal()) dialog.EndDialog(ENDED_BY_TEST);
    });
    EXPECT_EQ(dialog.commands, c.commands) << c.name;
    EXPECT_EQ(dialog.calls, c.calls) << c.name;
  }
}

TEST(DialogKeys, FocusStartsOnTheFirstTabStopAndF1DoesNothing) {
  ProbeDialog panel(DIALOG_CONTROL_PANEL);
  RunModal(panel, [&] {
    EXPECT_EQ(FocusedId(panel), 1106);
    PressKey(panel, VK_F1);
    EXPECT_TRUE(panel.IsRunningModal());
    panel.EndDialog(ENDED_BY_TEST);
  });
  EXPECT_THAT(panel.commands, IsEmpty());
  ProbeDialog keypad(DIALOG_REMOTE_KEYPAD);
  RunModal(keypad, [&] {
    EXPECT_EQ(FocusedId(keypad), 1076);
    keypad.EndDialog(ENDED_BY_TEST);
  });
}

// An edit with key hooks, like a key-capturing field.
class HookedEdit : public Edit {
 public:
  void OnKeyDown(unsigned virtualKey, unsigned repeatCount, unsigned flags) override {
    keyDowns.push_back({virtualKey, repeatCount, flags});
  }
  bool PreTranslateKeyDown(unsigned virtualKey) override {
    preTranslated.push_back(virtualKey);
    return virtualKey == VK_RETURN || virtualKey == VK_ESCAPE;
  }
  struct KeyDown {
    unsigned key, repeat, flags;
    bool operator==(const KeyDown&) const = default;
  };
  std::vector<KeyDown> keyDowns;
  std::vector<unsigned> preTranslated;
};

class KeypadProbe : public ProbeDialog {
 public:
  KeypadProbe() : ProbeDialog(DIALOG_REMOTE_KEYPAD) {}
  void DoDataExchange(DataExchange& exchange) override { exchange.Control(1076, edit); }
  HookedEdit edit;
};

TEST(DialogKeys, EditHooksSeeKeysBeforeTheDialogAndAfterTheirOwnProcessing) {
  KeypadProbe dialog;
  RunModal(dialog, [&] {
    PressKey(dialog, VK_ESCAPE);  // handled by the edit: the dialog stays open
    PressKey(dialog, VK_RETURN);  // handled by the edit: no button pressed
    EXPECT_TRUE(dialog.IsRunningModal());
    PressKey(dialog, VK_UP);
    PressKey(dialog, VK_UP, true);
    PressKey(dialog, VK_NUMPAD_0 + 5);
    PressKey(dialog, VK_DIGIT_0 + 5);
    PressKeyOn(dialog, IDCANCEL, VK_ESCAPE);  // outside the edit Esc closes
  });
  using K = HookedEdit::KeyDown;
  EXPECT_THAT(dialog.edit.preTranslated, ElementsAre(VK_ESCAPE, VK_RETURN, VK_UP, VK_UP, 0x65u, 0x35u));
  EXPECT_THAT(dialog.edit.keyDowns,
              ElementsAre(K{VK_UP, 1, 0}, K{VK_UP, 1, KEY_FLAG_REPEAT}, K{0x65, 1, 0}, K{0x35, 1, 0}));
  EXPECT_THAT(dialog.commands, IsEmpty());
  EXPECT_THAT(dialog.calls, ElementsAre("OnCancel"));
}

TEST(DialogKeys, EditWithoutHooksStillLetsEscapeCloseTheDialog) {
  ProbeDialog dialog(DIALOG_REMOTE_KEYPAD);
  EXPECT_EQ(RunModal(dialog, [&] { PressKey(dialog, VK_ESCAPE); }), IDCANCEL);
}

TEST(DialogCommands, ButtonAndRadioClicksArriveWithTheirIds) {
  ProbeDialog dialog(DIALOG_REMOTE_KEYPAD);
  RunModal(dialog, [&] {
    EXPECT_TRUE(Click(dialog, 1106));  // "&7"
    EXPECT_TRUE(Click(dialog, 1071));  // "Com 2"
    EXPECT_TRUE(Click(dialog, 1071));  // again, although already checked
    EXPECT_TRUE(Click(dialog, IDCANCEL));
  });
  EXPECT_THAT(dialog.commands, ElementsAre(1106, 1071, 1071, IDCANCEL));
}

struct RadioCase {
  int templateId;
  int index;
  std::vector<bool> checked;  // 1070, 1071, 1074, 1075
};

TEST(DataExchangeRadio, TowardsTheControlsChecksTheIndexAndClearsTheOthers) {
  const RadioCase cases[] = {
      {DIALOG_COMM_SETUP, 0, {true, false, false, false}},
      {DIALOG_COMM_SETUP, 2, {false, false, true, false}},
      {DIALOG_COMM_SETUP, 3, {false, false, false, true}},
      {DIALOG_COMM_SETUP, -1, {false, false, false, false}},
      {DIALOG_COMM_SETUP, 4, {false, false, false, false}},
      {DIALOG_COMM_SETUP, 7, {false, false, false, false}},
      {DIALOG_REMOTE_KEYPAD, 3, {false, false, false, true}},
      {DIALOG_REMOTE_KEYPAD, 4, {false, false, false, false}},  // key buttons are no radio buttons
  };
  for (const RadioCase& c : cases) {
    ProbeDialog dialog(c.templateId);
    dialog.radioFirstId = 1070;
    RunModal(dialog, [&] {
      dialog.radioIndex = 1;
      dialog.UpdateData(false);  // something checked before, so clearing shows
      dialog.radioIndex = c.index;
      dialog.UpdateData(false);
      std::vector<bool> checked;
      for (int id : {1070, 1071, 1074, 1075}) checked.push_back(IsChecked(dialog, id));
      EXPECT_EQ(checked, c.checked) << c.templateId << " index " << c.index;
      dialog.UpdateData(true);
      EXPECT_EQ(dialog.radioIndex, (c.index >= 0 && c.index <= 3) ? c.index : -1);
      dialog.EndDialog(ENDED_BY_TEST);
    });
  }
}

TEST(DataExchangeRadio, FromTheControlsGivesTheClickedIndexOrMinusOne) {
  ProbeDialog dialog(DIALOG_COMM_SETUP);
  dialog.radioFirstId = 1070;
  dialog.radioIndex = -1;
  RunModal(dialog, [&] {
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.radioIndex, -1);  // nothing checked at the start
    Click(dialog, 1074);
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.radioIndex, 2);
    Click(dialog, 1070);
    EXPECT_FALSE(IsChecked(dialog, 1074));  // one group: a click clears the others
    Click(dialog, IDOK);  // base OnOK exchanges from the controls once more
  });
  EXPECT_EQ(dialog.radioIndex, 0);
}

TEST(DialogTimers, RestartKillAndRunningIds) {
  ProbeDialog dialog(DIALOG_READ);
  EXPECT_FALSE(dialog.SetTimer(1, 50));  // no window yet
  RunModal(dialog, [&] {
    dialog.KillTimer(5);  // never started: harmless
    EXPECT_TRUE(dialog.SetTimer(2, 60000));
    EXPECT_TRUE(dialog.SetTimer(1, 60000));
    EXPECT_THAT(dialog.RunningTimers(), ElementsAre(1, 2));
    EXPECT_TRUE(dialog.SetTimer(2, 1));  // restarts with the new period
    dialog.KillTimer(1);
    dialog.KillTimer(1);
    EXPECT_FALSE(dialog.IsTimerRunning(1));
    EXPECT_TRUE(dialog.IsTimerRunning(2));
    ProcessEventsFor(100);
    dialog.KillTimer(2);
    dialog.EndDialog(ENDED_BY_TEST);
  });
  EXPECT_FALSE(dialog.ticks.empty());
  EXPECT_THAT(std::vector<int>(dialog.ticks.begin(), dialog.ticks.end()), testing::Each(2));
  EXPECT_THAT(dialog.RunningTimers(), IsEmpty());
}

TEST(DialogTimers, TimersDieWithTheWindow) {
  ProbeDialog dialog(DIALOG_READ);
  RunModal(dialog, [&] {
    dialog.SetTimer(1, 60000);
    dialog.EndDialog(ENDED_BY_TEST);
  });
  EXPECT_FALSE(dialog.IsTimerRunning(1));
  EXPECT_THAT(dialog.RunningTimers(), IsEmpty());
}

// The failure order of the operation dialogs: a tick ends the dialog and shows
// a message. Whether the timers were stopped first decides whether ticks keep
// arriving while the message box's nested loop runs.
TEST(DialogTimers, TicksKeepArrivingWhileAMessageBoxIsOpenUnlessKilledFirst) {
  for (bool killFirst : {false, true}) {
    ScriptedPrompts prompts;
    prompts.KeepMessagesOpenFor(150);
    ProbeDialog dialog(DIALOG_READ);
    int ticksDuringMessage = 0;
    bool inMessage = false;
    dialog.onTimer = [&](ProbeDialog& d, int) {
      if (inMessage) {
        ++ticksDuringMessage;
        return;
      }
      if (killFirst) d.KillTimer(1);
      d.EndDialog(IDCANCEL);
      inMessage = true;
      d.MessageBox("no answer2！");
      inMessage = false;
    };
    EXPECT_EQ(RunModal(dialog, [&] { dialog.SetTimer(1, 5); }), IDCANCEL);
    ASSERT_EQ(prompts.Messages().size(), 1u) << killFirst;
    const MessageRecord& m = prompts.Messages()[0];
    EXPECT_EQ(m.text, "no answer2！");
    EXPECT_EQ(m.caption, "Morvane 1.0");
    EXPECT_FALSE(m.ownerVisible);  // EndDialog hid the window at once
    if (killFirst) {
      EXPECT_THAT(m.ownerTimers, IsEmpty());
      EXPECT_EQ(ticksDuringMessage, 0);
    } else {
      EXPECT_THAT(m.ownerTimers, ElementsAre(1));
      EXPECT_GE(ticksDuringMessage, 3);
    }
  }
}

class TestApp : public Application {};

TEST(DialogOwners, OwnerlessDialogIsOwnedByTheMainWindowUnlessTheActiveOneHasNoWindow) {
  ScriptedPrompts prompts;
  TestApp app;
  ProbeDialog panel(DIALOG_CONTROL_PANEL);
  ProbeDialog about(DIALOG_ABOUT);
  ProbeDialog keypad(DIALOG_REMOTE_KEYPAD);
  ProbeDialog explicitChild(DIALOG_CONNECT, &about);
  app.SetMainWindow(&panel);
  bool checkedAbout = false;
  bool checkedKeypad = false;
  RunModal(panel, [&] {
    EXPECT_TRUE(StandsAlone(panel));  // the main window itself has no owner
    RunModal(about, [&] {
      EXPECT_TRUE(IsOwnedByWindowOf(about, panel));
      EXPECT_TRUE(IsBlockedByModal(panel));
      RunModal(explicitChild, [&] {
        EXPECT_TRUE(IsOwnedByWindowOf(explicitChild, about));
        explicitChild.EndDialog(ENDED_BY_TEST);
      });
      checkedAbout = true;
      Click(about, IDOK);
    });
    panel.SetVisible(false);
    app.SetActiveMainWindow(&keypad);
    EXPECT_EQ(app.MainWindow(), &keypad);
    RunModal(keypad, [&] {
      EXPECT_TRUE(StandsAlone(keypad));
      checkedKeypad = true;
      Click(keypad, IDCANCEL);
    });
    app.SetActiveMainWindow(nullptr);
    panel.SetVisible(true);
    EXPECT_TRUE(IsWindowShown(panel));
    PressKey(panel, VK_ESCAPE);
  });
  EXPECT_TRUE(checkedAbout);
  EXPECT_TRUE(checkedKeypad);
}

TEST(DialogControls, WrappersActWhileTheWindowExistsAndAreHarmlessAfter) {
  class UpgradeProbe : public ProbeDialog {
   public:
    UpgradeProbe() : ProbeDialog(DIALOG_UPGRADE) {}
    void DoDataExchange(DataExchange& exchange) override {
      exchange.Control(IDCANCEL, cancel);
      exchange.Control(1093, warning);
      exchange.Control(1057, bar);
      exchange.Control(1087, blocks);
    }
    Button cancel;
    StaticText warning;
    ProgressBar bar;
    Edit blocks;
  } dialog;
  RunModal(dialog, [&] {
    EXPECT_TRUE(dialog.bar.IsAttached());
    EXPECT_FALSE(dialog.warning.IsVisible());
    EXPECT_FALSE(IsEnabled(dialog, 1087));
    dialog.blocks.SetText("3/256 blocks");
    dialog.bar.SetPos(50);
    dialog.bar.Repaint();
    dialog.bar.SetPos(140);
    EXPECT_EQ(dialog.bar.Pos(), 100);
    dialog.cancel.SetText("Close");
    dialog.warning.Show(true);
    dialog.InvalidateWindow();
    EXPECT_EQ(Text(dialog, 1087), "3/256 blocks");
    EXPECT_EQ(Text(dialog, IDCANCEL), "Close");
    EXPECT_TRUE(IsShown(dialog, 1093));
    EXPECT_EQ(ProgressPos(dialog, 1057), 100);
    dialog.EndDialog(ENDED_BY_TEST);
  });
  dialog.bar.SetPos(10);
  dialog.blocks.SetText("x");
  EXPECT_FALSE(dialog.bar.IsAttached());
  EXPECT_EQ(dialog.bar.Pos(), 0);
  EXPECT_EQ(dialog.blocks.Text(), "");
  EXPECT_FALSE(dialog.warning.IsVisible());
}

TEST(DialogControls, MultiLineEditKeepsCrLfLinesAndGroupBoxTakesText) {
  ProbeDialog keypad(DIALOG_REMOTE_KEYPAD);
  const std::string help = "Set the Focus on me！\r\nAnd then Press the key as follow：\r\n\r\nKEY 'Up'    equal 'CH up' key\r\n";
  RunModal(keypad, [&] {
    keypad.SetControlText(1076, help);
    EXPECT_EQ(keypad.ControlText(1076), help);
    keypad.EndDialog(ENDED_BY_TEST);
  });
  ProbeDialog panel(DIALOG_CONTROL_PANEL);
  RunModal(panel, [&] {
    panel.SetControlText(1111, "Morvane 1.0 Control Panel");
    EXPECT_EQ(Text(panel, 1111), "Morvane 1.0 Control Panel");
    EXPECT_EQ(Text(panel, 1106), "&Setup Comm");
    panel.EndDialog(ENDED_BY_TEST);
  });
}

TEST(DialogWindow, CaptionIconCentringAndSizeFromTheTemplate) {
  ProbeDialog panel(DIALOG_CONTROL_PANEL);
  RunModal(panel, [&] {
    panel.SetCaption("Morvane 1.0");
    panel.SetIcon(128, false);
    panel.SetIcon(128, true);
    panel.CenterWindow();
    EXPECT_EQ(panel.Caption(), "Morvane 1.0");
    QWidget* window = DialogAccess::Window(panel);
    EXPECT_FALSE(window->windowIcon().isNull());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(window->frameGeometry().center().x(), screen.center().x(), 2);
    EXPECT_NEAR(window->frameGeometry().center().y(), screen.center().y(), 2);
    // The close box and minimise box come from the template's style.
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    panel.EndDialog(ENDED_BY_TEST);
  });
  ProbeDialog read(DIALOG_READ);
  RunModal(read, [&] {
    EXPECT_FALSE(DialogAccess::Window(read)->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    read.EndDialog(ENDED_BY_TEST);
  });
}

TEST(WaitCursor, ShowsTheWaitCursorUntilRestoredOnce) {
  ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
  {
    WaitCursor wait;
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    wait.Restore();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    wait.Restore();
  }
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
