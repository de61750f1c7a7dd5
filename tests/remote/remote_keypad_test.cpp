// The remote keypad against the receiver emulator over pseudo-terminals: what
// each button and PC key puts on the wire, how the keypad opens its port and
// how it ends.

#include <stdlib.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "emulator/receiver_emulator.h"
#include "link/serial_port.h"
#include "pty_pair.h"
#include "remote/remote_keypad_dialog.h"
#include "ui/qt_bridge.h"
#include "ui/virtual_keys.h"
#include "uitest/dialog_driver.h"
#include "uitest/scripted_prompts.h"

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int CLOSE_BUTTON = 2;
constexpr int MUTE_BUTTON = 1089;  // code 0
constexpr int OK_BUTTON = 1091;    // code 6
constexpr int EPG_BUTTON = 1111;   // code 30
constexpr std::array<int, 4> COM_RADIOS = {1070, 1071, 1074, 1075};

// "ZulaPeKo" 'G' code 'A' 'N', written out.
Bytes KeyFrames(const std::vector<int>& codes) {
  Bytes out;
  for (int code : codes) {
    const Bytes frame = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F,
                         0x47, static_cast<std::uint8_t>(code), 0x41, 0x4E};
    out.insert(out.end(), frame.begin(), frame.end());
  }
  return out;
}

const Bytes STOP_FRAME = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x00, 0x02, 0x00, 0x00};

// A keypad that records what reaches the dialog's own handlers.
class ProbeKeypad : public RemoteKeypadDialog {
 public:
  using RemoteKeypadDialog::RemoteKeypadDialog;
  void OnCommand(int id) override {
    commands.push_back(id);
    RemoteKeypadDialog::OnCommand(id);
  }
  void OnOK() override {
    ++okCalls;
    RemoteKeypadDialog::OnOK();
  }
  void OnCancel() override {
    ++cancelCalls;
    RemoteKeypadDialog::OnCancel();
  }
  std::vector<int> commands;
  int okCalls = 0;
  int cancelCalls = 0;
};

class RemoteKeypadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "remote-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    // Every port the keypad could reach points into the test's own directory,
    // never at a real serial device.
    for (int port = 0; port <= 5; ++port) PointAtNothing(port);
  }

  void TearDown() override {
    emulators.clear();
    for (const std::string& variable : variables) ::unsetenv(variable.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  void Bind(std::int64_t port, const std::string& path) {
    const std::string variable = "MORVANE_COM" + std::to_string(port);
    ::setenv(variable.c_str(), path.c_str(), 1);
    variables.push_back(variable);
  }

  void PointAtNothing(std::int64_t port) { Bind(port, (dir / ("absent-com" + std::to_string(port))).string()); }

  // Starts an emulated receiver and points each of `ports` at it.
  ReceiverEmulator& EmulatorOn(std::vector<std::int64_t> ports) {
    EmulatorOptions options;
    options.fast = true;
    options.linkPath = (dir / ("receiver" + std::to_string(emulators.size()))).string();
    auto emulator = std::make_unique<ReceiverEmulator>(options);
    std::string error;
    EXPECT_TRUE(emulator->Start(error)) << error;
    for (std::int64_t port : ports) Bind(port, options.linkPath);
    emulators.push_back(std::move(emulator));
    return *emulators.back();
  }

  // Everything the keypad sent to `emulator`, once it has released the port:
  // a frame sent afterwards through `port` marks the end of what arrived.
  static Bytes SentBytes(ReceiverEmulator& emulator, std::int64_t port) {
    SerialPort marker;
    EXPECT_TRUE(marker.Open(port, 115200)) << "the keypad still holds COM" << port;
    marker.Write(STOP_FRAME.data(), static_cast<std::uint32_t>(STOP_FRAME.size()));
    EXPECT_TRUE(emulator.WaitForEvent("frame CMD_STOP", 5s));
    Bytes bytes = emulator.ReceivedBytes();
    if (bytes.size() < STOP_FRAME.size() ||
        !std::equal(STOP_FRAME.begin(), STOP_FRAME.end(), bytes.end() - 12)) {
      ADD_FAILURE() << "the end marker did not arrive last";
      return bytes;
    }
    bytes.resize(bytes.size() - STOP_FRAME.size());
    return bytes;
  }

  std::filesystem::path dir;
  std::vector<std::string> variables;
  std::vector<std::unique_ptr<ReceiverEmulator>> emulators;
  uitest::ScriptedPrompts prompts;
};

TEST_F(RemoteKeypadTest, EachButtonSendsOneKeyFrameWithItsCode) {
  struct ButtonCase {
    int buttonId;
    int code;
  };
  const std::vector<ButtonCase> buttons = {
      {1089, 0},  {1083, 1},  {1090, 2},  {1096, 3},  {1099, 4},  {1092, 5},  {1091, 6},  {1093, 7},
      {1097, 8},  {1082, 9},  {1094, 10}, {1084, 11}, {1086, 12}, {1085, 13}, {1110, 14}, {1108, 15},
      {1107, 16}, {1106, 17}, {1105, 18}, {1104, 19}, {1103, 20}, {1102, 21}, {1101, 22}, {1100, 23},
      {1080, 24}, {1098, 25}, {1088, 26}, {1081, 27}, {1087, 28}, {1095, 29}, {1111, 30}, {1109, 31},
  };
  ReceiverEmulator& receiver = EmulatorOn({1});
  std::int32_t portIndex = 0;
  std::vector<int> codes;
  {  // the keypad releases its port when it is destroyed
    RemoteKeypadDialog keypad(portIndex);
    uitest::RunModal(keypad, [&] {
      for (const ButtonCase& button : buttons) {
        EXPECT_TRUE(uitest::Click(keypad, button.buttonId)) << button.buttonId;
        codes.push_back(button.code);
      }
      uitest::Click(keypad, CLOSE_BUTTON);
    });
  }
  EXPECT_EQ(SentBytes(receiver, 1), KeyFrames(codes));
  EXPECT_THAT(receiver.KeysReceived(), ElementsAreArray(codes));
  EXPECT_THAT(prompts.MessageTexts(), IsEmpty());
}

TEST_F(RemoteKeypadTest, MappedPcKeysInTheCaptureFieldSendTheirCodesAndOtherKeysNothing) {
  constexpr int NOTHING = -1;
  struct PcKeyCase {
    unsigned virtualKey;
    int code;
  };
  const std::vector<PcKeyCase> pcKeys = {
      {0x30, 14}, {0x31, 23}, {0x32, 22}, {0x33, 21}, {0x34, 20},  // top-row digits
      {0x35, 19}, {0x36, 18}, {0x37, 17}, {0x38, 16}, {0x39, 15},
      {0x60, 14}, {0x61, 23}, {0x62, 22}, {0x63, 21}, {0x64, 20},  // keypad digits
      {0x65, 19}, {0x66, 18}, {0x67, 17}, {0x68, 16}, {0x69, 15},
      {0x26, 2},  {0x28, 10}, {0x25, 7},  {0x27, 5},               // Up, Down, Left, Right
      {0x0D, 6},  {0x20, 29}, {0x1B, 3},  {0x2E, 3},               // Enter, Space, Esc, Delete
      {0x41, NOTHING}, {0x4D, NOTHING}, {0x5A, NOTHING},           // letters
      {0x70, NOTHING}, {0x74, NOTHING}, {0x7B, NOTHING},           // F1, F5, F12
      {VK_HOME, NOTHING}, {VK_BACK, NOTHING}, {VK_PRIOR, NOTHING},
      {0x35, 19},  // a mapped key last, so a key that wrongly sent shows before it
  };
  ReceiverEmulator& receiver = EmulatorOn({1});
  std::int32_t portIndex = 0;
  std::vector<int> codes;
  {
    ProbeKeypad keypad(portIndex);
    uitest::RunModal(keypad, [&] {
      for (const PcKeyCase& key : pcKeys) {
        EXPECT_TRUE(uitest::PressKeyOn(keypad, IDC_KEY_CAPTURE, key.virtualKey)) << key.virtualKey;
        if (key.code != NOTHING) codes.push_back(key.code);
      }
      EXPECT_TRUE(keypad.IsRunningModal());
      keypad.EndDialog(IDCANCEL);
    });
    EXPECT_THAT(keypad.commands, IsEmpty());
  }
  EXPECT_EQ(SentBytes(receiver, 1), KeyFrames(codes));
}

// A line left with the cooked settings of a fresh tty turns 0x0A into 0x0D 0x0A
// and swallows 0x11 and 0x13 as XON/XOFF: these codes must cross unchanged.
TEST_F(RemoteKeypadTest, LineControlCodesCrossACookedLineUnchanged) {
  PtyPair pty;
  ASSERT_TRUE(pty.IsOpen());
  ASSERT_TRUE(pty.BindPort(1));
  std::int32_t portIndex = 0;
  {
    RemoteKeypadDialog keypad(portIndex);
    uitest::RunModal(keypad, [&] {
      for (int button : {1094, 1085, 1106, 1104}) uitest::Click(keypad, button);  // 0x0A 0x0D 0x11 0x13
      uitest::Click(keypad, CLOSE_BUTTON);
    });
  }
  EXPECT_EQ(pty.ReadExactly(48, 2s), KeyFrames({0x0A, 0x0D, 0x11, 0x13}));
  EXPECT_THAT(pty.ReadAvailable(50ms), IsEmpty());
}

TEST_F(RemoteKeypadTest, HeldKeySendsOneFramePerAutoRepeatedKeyDown) {
  ReceiverEmulator& receiver = EmulatorOn({1});
  std::int32_t portIndex = 0;
  {
    RemoteKeypadDialog keypad(portIndex);
    uitest::RunModal(keypad, [&] {
      uitest::PressKeyOn(keypad, IDC_KEY_CAPTURE, VK_UP);
      for (int i = 0; i < 4; ++i) uitest::PressKey(keypad, VK_UP, true);
      uitest::PressKey(keypad, VK_NUMPAD_0 + 5);
      uitest::PressKey(keypad, VK_NUMPAD_0 + 5, true);
      uitest::Click(keypad, CLOSE_BUTTON);
    });
  }
  EXPECT_EQ(SentBytes(receiver, 1), KeyFrames({2, 2, 2, 2, 2, 19, 19}));
}

TEST_F(RemoteKeypadTest, EnterAndEscInTheCaptureFieldAreSentAsKeysAndNeverReachTheDialog) {
  ReceiverEmulator& receiver = EmulatorOn({1});
  std::int32_t portIndex = 0;
  {
    ProbeKeypad keypad(portIndex);
    uitest::RunModal(keypad, [&] {
      EXPECT_EQ(uitest::FocusedId(keypad), IDC_KEY_CAPTURE);
      uitest::PressKey(keypad, VK_ESCAPE);
      uitest::PressKey(keypad, VK_ESCAPE, true);
      EXPECT_TRUE(keypad.IsRunningModal());
      uitest::PressKey(keypad, VK_RETURN);
      EXPECT_TRUE(keypad.IsRunningModal());
      keypad.EndDialog(IDCANCEL);
    });
    EXPECT_THAT(keypad.commands, IsEmpty());
    EXPECT_EQ(keypad.okCalls, 0);
    EXPECT_EQ(keypad.cancelCalls, 0);
  }
  EXPECT_EQ(SentBytes(receiver, 1), KeyFrames({3, 3, 6}));
}

TEST_F(RemoteKeypadTest, CloseButtonCloseBoxAndEscOutsideTheCaptureFieldEndTheKeypad) {
  struct CloseCase {
    const char* name;
    std::function<void(Dialog&)> close;
  };
  const std::vector<CloseCase> cases = {
      {"close button", [](Dialog& d) { uitest::Click(d, CLOSE_BUTTON); }},
      {"close box", [](Dialog& d) { uitest::ClickCloseBox(d); }},
      {"Esc on a key button", [](Dialog& d) { uitest::PressKeyOn(d, MUTE_BUTTON, VK_ESCAPE); }},
      {"Esc on a radio button", [](Dialog& d) { uitest::PressKeyOn(d, COM_RADIOS[0], VK_ESCAPE); }},
  };
  ReceiverEmulator& receiver = EmulatorOn({1});
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::int32_t portIndex = 0;
    ProbeKeypad keypad(portIndex);
    EXPECT_EQ(uitest::RunModal(keypad, [&] { c.close(keypad); }), IDCANCEL);
    EXPECT_EQ(keypad.cancelCalls, 1);
  }
  EXPECT_THAT(SentBytes(receiver, 1), IsEmpty());
}

TEST_F(RemoteKeypadTest, EnterOutsideTheCaptureFieldNeverEndsTheKeypad) {
  ReceiverEmulator& receiver = EmulatorOn({1});
  std::int32_t portIndex = 0;
  {
    ProbeKeypad keypad(portIndex);
    uitest::RunModal(keypad, [&] {
      uitest::PressKeyOn(keypad, COM_RADIOS[0], VK_RETURN);
      EXPECT_EQ(keypad.okCalls, 1);
      keypad.SetControlFocus(IDCANCEL);
      uitest::PressKeyOn(keypad, IDCANCEL, VK_RETURN);  // the focused "close" button
      EXPECT_EQ(keypad.okCalls, 2);
      EXPECT_TRUE(keypad.IsRunningModal());
      keypad.EndDialog(IDCANCEL);
    });
  }
  EXPECT_THAT(SentBytes(receiver, 1), IsEmpty());
}

TEST_F(RemoteKeypadTest, OpensTheSavedPortWithItsRadioCheckedAndSendsNothingAtStart) {
  ReceiverEmulator& receiver = EmulatorOn({3});
  std::int32_t portIndex = 2;
  {
    RemoteKeypadDialog keypad(portIndex);
    uitest::RunModal(keypad, [&] {
      EXPECT_THAT((std::vector<bool>{uitest::IsChecked(keypad, 1070), uitest::IsChecked(keypad, 1071),
                                     uitest::IsChecked(keypad, 1074), uitest::IsChecked(keypad, 1075)}),
                  ElementsAre(false, false, true, false));
      // The first bytes on the line must be those of the first key.
      uitest::Click(keypad, MUTE_BUTTON);
      uitest::Click(keypad, CLOSE_BUTTON);
    });
  }
  EXPECT_EQ(SentBytes(receiver, 3), KeyFrames({0}));
  EXPECT_THAT(prompts.MessageTexts(), IsEmpty());
  EXPECT_EQ(portIndex, 2);
}

TEST_F(RemoteKeypadTest, SavedPortThatCannotOpenIsReportedAndTheKeypadStaysUsable) {
  ReceiverEmulator& receiver = EmulatorOn({1});  // COM3 points at nothing
  std::int32_t portIndex = 2;
  {
    RemoteKeypadDialog keypad(portIndex);
    uitest::RunModal(keypad, [&] {
      EXPECT_TRUE(uitest::IsChecked(keypad, 1074));
      uitest::Click(keypad, MUTE_BUTTON);  // no port: nothing goes out
      EXPECT_TRUE(uitest::Click(keypad, COM_RADIOS[0]));
      EXPECT_EQ(portIndex, 0);
      uitest::Click(keypad, OK_BUTTON);
      uitest::Click(keypad, CLOSE_BUTTON);
    });
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].text, "open port3 error!");
    EXPECT_EQ(prompts.Messages()[0].caption, "Morvane 1.0");
    EXPECT_EQ(prompts.Messages()[0].owner, &keypad);
  }
  EXPECT_EQ(SentBytes(receiver, 1), KeyFrames({6}));
}

TEST_F(RemoteKeypadTest, RadioClickStoresThePortIndexBeforeAndRegardlessOfTheOpen) {
  std::int32_t portIndex = -1;  // all four ports point at nothing
  std::vector<std::int32_t> indexWhenReported;
  prompts.OnMessage([&](const uitest::MessageRecord&) { indexWhenReported.push_back(portIndex); });
  RemoteKeypadDialog keypad(portIndex);
  uitest::RunModal(keypad, [&] {
    for (int radio : COM_RADIOS) EXPECT_TRUE(uitest::Click(keypad, radio));
    EXPECT_TRUE(keypad.IsRunningModal());
    keypad.EndDialog(IDCANCEL);
  });
  EXPECT_THAT(prompts.MessageTexts(),
              ElementsAre("open port1 error!", "open port2 error!", "open port3 error!", "open port4 error!"));
  for (const auto& message : prompts.Messages()) EXPECT_EQ(message.caption, "Morvane 1.0");
  EXPECT_THAT(indexWhenReported, ElementsAre(0, 1, 2, 3));
  EXPECT_EQ(portIndex, 3);
}

TEST_F(RemoteKeypadTest, FailedOpenReleasesThePortOpenBefore) {
  ReceiverEmulator& receiver = EmulatorOn({1});  // COM2 points at nothing
  std::int32_t portIndex = 0;
  {
    RemoteKeypadDialog keypad(portIndex);
    uitest::RunModal(keypad, [&] {
      uitest::Click(keypad, MUTE_BUTTON);
      uitest::Click(keypad, COM_RADIOS[1]);
      uitest::Click(keypad, OK_BUTTON);  // no port any more
      SerialPort other;  // COM1 is free again while the keypad still runs
      EXPECT_TRUE(other.Open(1, 115200));
      uitest::Click(keypad, CLOSE_BUTTON);
    });
  }
  EXPECT_THAT(prompts.MessageTexts(), ElementsAre("open port2 error!"));
  EXPECT_EQ(portIndex, 1);
  EXPECT_EQ(SentBytes(receiver, 1), KeyFrames({0}));
}

TEST_F(RemoteKeypadTest, PortIndexOutsideZeroToThreeOpensNothingUntilARadioIsClicked) {
  for (std::int32_t saved : {-1, 4, INT32_MAX, INT32_MIN}) {
    SCOPED_TRACE(saved);
    // The port a careless "index + 1" would open leads to the same receiver as COM1.
    ReceiverEmulator& receiver = EmulatorOn({1, std::int64_t{saved} + 1});
    std::int32_t portIndex = saved;
    {
      RemoteKeypadDialog keypad(portIndex);
      uitest::RunModal(keypad, [&] {
        for (int radio : COM_RADIOS) EXPECT_FALSE(uitest::IsChecked(keypad, radio));
        uitest::Click(keypad, MUTE_BUTTON);
        uitest::PressKeyOn(keypad, IDC_KEY_CAPTURE, VK_UP);
        EXPECT_EQ(portIndex, saved);
        EXPECT_TRUE(uitest::Click(keypad, COM_RADIOS[0]));
        EXPECT_EQ(portIndex, 0);
        uitest::Click(keypad, EPG_BUTTON);
        uitest::Click(keypad, CLOSE_BUTTON);
      });
    }
    EXPECT_THAT(prompts.MessageTexts(), IsEmpty());
    EXPECT_EQ(SentBytes(receiver, 1), KeyFrames({30}));
  }
}

TEST_F(RemoteKeypadTest, EachRadioButtonOpensItsOwnPort) {
  std::vector<ReceiverEmulator*> receivers;
  for (std::int64_t port = 1; port <= 4; ++port) receivers.push_back(&EmulatorOn({port}));
  const std::array<int, 4> digitButtons = {1100, 1101, 1102, 1103};  // "1" to "4": codes 23 to 20
  std::int32_t portIndex = -1;
  {
    RemoteKeypadDialog keypad(portIndex);
    uitest::RunModal(keypad, [&] {
      for (std::size_t i = 0; i < 4; ++i) {
        uitest::Click(keypad, COM_RADIOS[i]);
        uitest::Click(keypad, digitButtons[i]);
      }
      uitest::Click(keypad, CLOSE_BUTTON);
    });
  }
  EXPECT_THAT(prompts.MessageTexts(), IsEmpty());
  EXPECT_EQ(portIndex, 3);
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(SentBytes(*receivers[i], static_cast<std::int64_t>(i + 1)), KeyFrames({23 - static_cast<int>(i)}));
  }
}

TEST_F(RemoteKeypadTest, OpensCentredWithTitleIconAndTheTenLineHelpText) {
  // "！" is EF BC 81 and "：" EF BC 9A; every line, the last one too, ends in CR LF.
  const std::string help =
      "Set the Focus on me\xEF\xBC\x81\r\n"
      "And then Press the key as follow\xEF\xBC\x9A\r\n"
      "\r\n"
      "KEY 'Left'  equal 'VOL left' key\r\n"
      "KEY 'Right' equal 'VOL right' key\r\n"
      "KEY 'Up'    equal 'CH up' key\r\n"
      "KEY 'Down'  equal 'CH down' key\r\n"
      "KEY 'Space' equal 'MENU' key\r\n"
      "KEY 'Enter' equal 'OK' key\r\n"
      "KEY 'Esc' or 'Delete' equal 'EXIT' key\r\n";
  EXPECT_EQ(std::string(KEYPAD_HELP_TEXT), help);

  std::int32_t portIndex = -1;
  RemoteKeypadDialog keypad(portIndex);
  uitest::RunModal(keypad, [&] {
    EXPECT_EQ(uitest::Text(keypad, IDC_KEY_CAPTURE), help);
    EXPECT_EQ(keypad.Caption(), "Morvane 1.0");
    EXPECT_EQ(uitest::FocusedId(keypad), IDC_KEY_CAPTURE);
    EXPECT_TRUE(uitest::StandsAlone(keypad));
    QWidget* window = DialogAccess::Window(keypad);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->windowIcon().isNull());
    const QPoint offset = window->frameGeometry().center() - window->screen()->availableGeometry().center();
    EXPECT_LE(std::abs(offset.x()), 2);
    EXPECT_LE(std::abs(offset.y()), 2);
    uitest::Click(keypad, CLOSE_BUTTON);
  });
  EXPECT_THAT(prompts.MessageTexts(), IsEmpty());
}

}  // namespace
