// The port setup and the connection check against the receiver emulator.

#include <chrono>
#include <climits>
#include <cstdint>
#include <string>

#include "link/serial_port.h"
#include "operations/comm_setup_dialog.h"
#include "operations/connect_dialog.h"
#include "read_fixture.h"
#include "resources/dialog_templates.h"
#include "uitest/dialog_driver.h"

namespace {

using Clock = std::chrono::steady_clock;
using ConnectTest = OperationsTest;

constexpr int RADIO_IDS[4] = {1070, 1071, 1074, 1075};
constexpr unsigned NEVER_MS = 3600 * 1000;  // the check runs only when the test ticks

// Whether another program could open COM port right now.
bool PortIsFree(std::int64_t port) {
  SerialPort other;
  return other.Open(port, 115200);
}

TEST_F(ConnectTest, SetupStoresPortAndSaysConnectOkWhileThePortIsStillHeld) {
  StartEmulator(2);
  std::int32_t portIndex = 0;
  CommSetupDialog setup(portIndex);
  bool heldWhileShown = false;
  prompts.OnMessage([&](const uitest::MessageRecord&) { heldWhileShown = !PortIsFree(2); });

  const int result = uitest::RunModal(setup, [&] {
    EXPECT_TRUE(uitest::IsChecked(setup, 1070));
    ASSERT_TRUE(uitest::Click(setup, 1071));  // "Com 2"
    ASSERT_TRUE(uitest::Click(setup, IDOK));
  });

  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(portIndex, 1);
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].text, "connect ok!");
  EXPECT_EQ(prompts.Messages()[0].caption, "Morvane 1.0");
  EXPECT_EQ(prompts.Messages()[0].owner, &setup);
  EXPECT_TRUE(heldWhileShown);
  EXPECT_TRUE(PortIsFree(2));
  EXPECT_EQ(ReceivedAfter("frame CMD_CONNECT"), W_CONNECT);
}

TEST_F(ConnectTest, SetupChecksTheStoredPortAndNoneOutsideTheFour) {
  const struct {
    std::int32_t stored;
    int checked;  // position in RADIO_IDS, -1: none
  } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {-1, -1}, {4, -1}, {INT32_MAX, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    std::int32_t portIndex = c.stored;
    CommSetupDialog setup(portIndex);
    uitest::RunModal(setup, [&] {
      for (int i = 0; i < 4; ++i) EXPECT_EQ(uitest::IsChecked(setup, RADIO_IDS[i]), i == c.checked) << i;
      uitest::Click(setup, IDCANCEL);
    });
    EXPECT_EQ(portIndex, c.stored);
  }
}

TEST_F(ConnectTest, CancelAndEscStoreNothingAndCheckNothing) {
  StartEmulator(4);
  for (bool useEsc : {false, true}) {
    std::int32_t portIndex = 1;
    CommSetupDialog setup(portIndex);
    const int result = uitest::RunModal(setup, [&] {
      ASSERT_TRUE(uitest::Click(setup, 1075));  // "Com 4"
      if (useEsc) {
        uitest::PressKey(setup, VK_ESCAPE);
      } else {
        uitest::Click(setup, IDCANCEL);
      }
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(portIndex, 1);
  }
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_TRUE(emulator->ReceivedBytes().empty());
}

TEST_F(ConnectTest, FailedOpenNamesPortOneAboveTheIndexAndKeepsTheIndexStored) {
  // "Com 3" chosen on a port that cannot be opened.
  BindMissing(3);
  std::int32_t portIndex = 0;
  CommSetupDialog setup(portIndex);
  Dialog* connectDialog = nullptr;
  uitest::WhenModal(DIALOG_CONNECT, [&](Dialog& d) { connectDialog = &d; });
  const int result = uitest::RunModal(setup, [&] {
    ASSERT_TRUE(uitest::Click(setup, 1074));
    ASSERT_TRUE(uitest::Click(setup, IDOK));
  });
  uitest::ClearPendingModalActions();

  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(portIndex, 2);
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].text, "open port3 error!");
  EXPECT_EQ(prompts.Messages()[0].caption, "Morvane 1.0");
  EXPECT_NE(prompts.Messages()[0].owner, &setup);
  EXPECT_EQ(prompts.Messages()[0].owner, connectDialog);
}

TEST_F(ConnectTest, OkWithNoPortCheckedStoresMinusOneAndTriesPortZero) {
  std::int32_t portIndex = 9;
  CommSetupDialog setup(portIndex);
  const int result = uitest::RunModal(setup, [&] { ASSERT_TRUE(uitest::Click(setup, IDOK)); });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(portIndex, -1);
  EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"open port0 error!"});
}

TEST_F(ConnectTest, LargestIndexGivesPortNumberWithoutOverflow) {
  BindMissing(std::int64_t{INT32_MAX} + 1);
  std::int32_t portIndex = INT32_MAX;
  ConnectDialog connect(portIndex, NEVER_MS);
  const int result = uitest::RunModal(connect, [&] { connect.OnTimer(ConnectDialog::TIMER_CHECK); });
  EXPECT_EQ(result, IDCANCEL);
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].text, "open port2147483648 error!");
  EXPECT_EQ(prompts.Messages()[0].owner, &connect);
}

TEST_F(ConnectTest, NoAnswerAfterAboutTwoSecondsOfSilenceOrAtOnceForOtherTwelveBytes) {
  const struct {
    const char* name;
    bool silent;
    bool quick;  // ends well before the two-second poll
  } cases[] = {{"silence", true, false}, {"variant frame", false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EmulatorOptions options;
    options.silent = c.silent;
    if (!c.silent) options.replyFault = ReplyFault::NotAccepted;  // its VariantFrame instead of PLAIN_ACK
    StartEmulator(1, options);
    prompts.Clear();

    std::int32_t portIndex = 0;
    ConnectDialog connect(portIndex, NEVER_MS);
    bool heldWhileShown = false;
    int barWhileShown = -1;
    prompts.OnMessage([&](const uitest::MessageRecord&) {
      heldWhileShown = !PortIsFree(1);
      barWhileShown = uitest::ProgressPos(connect, ConnectDialog::IDC_PROGRESS);
    });
    Clock::duration took{};
    const int result = uitest::RunModal(connect, [&] {
      EXPECT_EQ(uitest::ProgressPos(connect, ConnectDialog::IDC_PROGRESS), 60);
      const auto start = Clock::now();
      connect.OnTimer(ConnectDialog::TIMER_CHECK);
      took = Clock::now() - start;
    });

    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].text, "no answer！");
    EXPECT_EQ(prompts.Messages()[0].caption, "Morvane 1.0");
    EXPECT_EQ(prompts.Messages()[0].owner, &connect);
    EXPECT_TRUE(prompts.Messages()[0].ownerTimers.empty());
    EXPECT_TRUE(heldWhileShown);
    EXPECT_EQ(barWhileShown, 60);
    if (c.quick) {
      EXPECT_LT(took, std::chrono::milliseconds(1500));
    } else {
      EXPECT_GE(took, std::chrono::milliseconds(1900));
    }
    EXPECT_EQ(ReceivedAfter("frame CMD_STOP"), Concat({W_CONNECT, W_STOP}));
    emulator->Stop();
  }
}

TEST_F(ConnectTest, EnterDoesNothingAndEscBeforeTheFirstTickOpensNoPort) {
  // A port that cannot be opened: an attempt would show "open port1 error!".
  BindMissing(1);
  std::int32_t portIndex = 0;
  ConnectDialog connect(portIndex, NEVER_MS);
  const int result = uitest::RunModal(connect, [&] {
    uitest::PressKey(connect, VK_RETURN);
    EXPECT_TRUE(connect.IsRunningModal());
    uitest::PressKey(connect, VK_ESCAPE);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(ConnectTest, EscInTheConnectDialogClosesSetupWithoutConnectOk) {
  StartEmulator(1);
  std::int32_t portIndex = 3;
  CommSetupDialog setup(portIndex);
  // Pressed as soon as the check dialog runs, well before its 200 ms tick.
  uitest::WhenModal(DIALOG_CONNECT, [](Dialog& d) { uitest::PressKey(d, VK_ESCAPE); });
  const int result = uitest::RunModal(setup, [&] {
    ASSERT_TRUE(uitest::Click(setup, 1070));
    ASSERT_TRUE(uitest::Click(setup, IDOK));
  });
  uitest::ClearPendingModalActions();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(portIndex, 0);
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_TRUE(emulator->ReceivedBytes().empty());
}

}  // namespace
