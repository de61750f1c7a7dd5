// The upgrade dialog end to end: the real dialog over a pseudo-terminal,
// against the receiver emulator or against the test playing the receiver.

#include <stdlib.h>
#include <sys/ioctl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "emulator/receiver_emulator.h"
#include "operations/upgrade_software_dialog.h"
#include "pty_pair.h"
#include "uitest/dialog_driver.h"
#include "uitest/scripted_prompts.h"
#include "ui/virtual_keys.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

constexpr int TICK = UpgradeSoftwareDialog::TIMER_UPGRADE;
constexpr std::size_t BLOCK = 4096;
constexpr std::size_t SMALL_FILE = 13 + 256 * BLOCK;
constexpr std::size_t LARGE_FILE = 13 + 512 * BLOCK;
constexpr const char* CAPTION = "Morvane 1.0";

// Frames written out literally: "ZulaPeKo", kind, code, param1, param2.
Bytes Frame(std::uint8_t kind, std::uint8_t code, std::uint8_t param1 = 0, std::uint8_t param2 = 0) {
  return {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, kind, code, param1, param2};
}
const Bytes UPGRADE = Frame(0x00, 0x99);
const Bytes STOP = Frame(0x00, 0x02);
const Bytes PLAIN_ACK_BYTES = Frame(0x00, 0x00);

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/morvane-upgrade-XXXXXX";
    if (::mkdtemp(pattern) != nullptr) path = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  std::string File(const std::string& name) const { return path + "/" + name; }
  std::string path;
};

const char* SIGNATURES[16] = {"QD_RomFtaAMD1", "QD_RomFtaAMD2", "QD_RomFtaSST1", "QD_RomFtaSST2",
                              "QD_Rom_CIAMD1", "QD_Rom_CIAMD2", "QD_Rom_CISST1", "QD_Rom_CISST2",
                              "QD_RomHCIAMD1", "QD_RomHCIAMD2", "QD_RomHCISST1", "QD_RomHCISST2",
                              "QD_Rom_T_AMD1", "QD_Rom_T_AMD2", "QD_Rom_T_SST1", "QD_Rom_T_SST2"};

// A file's bytes: the 13-byte signature, then content that differs in every block.
Bytes ImageBytes(const std::string& signature, std::size_t size, std::uint32_t seed) {
  Bytes bytes(size);
  std::copy(signature.begin(), signature.end(), bytes.begin());
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = signature.size(); i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    bytes[i] = static_cast<std::uint8_t>(x >> 24);
  }
  return bytes;
}

std::string WriteFile(const TempDir& dir, const std::string& name, const Bytes& bytes) {
  const std::string path = dir.File(name);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

Bytes Blocks(const Bytes& image, std::size_t count) {
  return Bytes(image.begin() + 13, image.begin() + 13 + static_cast<std::ptrdiff_t>(count * BLOCK));
}

std::string BlocksLabel(std::uint32_t done, std::uint32_t total) {
  return std::to_string(done) + "/" + std::to_string(total) + " blocks";
}

// Points COM(index + 1) at path for this test process.
void BindPort(std::int32_t index, const std::string& path) {
  ::setenv(("MORVANE_COM" + std::to_string(std::int64_t{index} + 1)).c_str(), path.c_str(), 1);
}

// The emulator on a link inside dir, bound to COM1, unpaced; counts its replies.
struct Receiver {
  Receiver(const TempDir& dir, EmulatorOptions options) {
    options.linkPath = dir.File("com1");
    options.fast = true;
    options.onEvent = [this](const std::string& line) {
      if (line.rfind("reply ", 0) == 0) ++replies;
    };
    emulator = std::make_unique<ReceiverEmulator>(std::move(options));
    std::string error;
    started = emulator->Start(error);
    EXPECT_TRUE(started) << error;
    BindPort(0, emulator->LinkPath());
  }
  ~Receiver() { emulator->Stop(); }
  ReceiverEmulator& operator*() { return *emulator; }
  ReceiverEmulator* operator->() { return emulator.get(); }

  std::atomic<int> replies{0};
  std::unique_ptr<ReceiverEmulator> emulator;
  bool started = false;
};

EmulatorOptions ForVariant(int variant) {
  EmulatorOptions options;
  options.variant = variant;
  return options;
}

// Ticks the dialog by hand until its upload is done or it ends: before each
// tick that should take a reply, waits until the emulator has sent it.
void PumpUpgrade(UpgradeSoftwareDialog& dialog, Receiver& receiver, std::uint32_t blockCount) {
  const auto deadline = std::chrono::steady_clock::now() + 120s;
  while (dialog.IsRunningModal() && dialog.IsTimerRunning(TICK)) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline);
    const std::uint32_t taken = dialog.SentBlocks();
    if (receiver.replies <= static_cast<int>(taken)) {
      std::this_thread::sleep_for(1ms);
      continue;
    }
    dialog.OnTimer(TICK);
    if (dialog.SentBlocks() == taken) {
      // Sent but not yet handed over by the kernel: a silent tick.
      std::this_thread::sleep_for(2ms);
      continue;
    }
    if (dialog.SentBlocks() <= blockCount) {
      const std::uint32_t acknowledged = dialog.SentBlocks() - 1;
      ASSERT_EQ(uitest::Text(dialog, 1087), BlocksLabel(acknowledged, blockCount));
      ASSERT_EQ(uitest::ProgressPos(dialog, 1057), static_cast<int>(acknowledged * 100 / blockCount));
      ASSERT_EQ(dialog.ReplyWaitMs(), 0u);
    }
  }
}

// The state of a finished upload while "Close" is on screen.
void ExpectDoneState(UpgradeSoftwareDialog& dialog, std::uint32_t blockCount) {
  EXPECT_TRUE(dialog.IsRunningModal());
  EXPECT_EQ(dialog.SentBlocks(), blockCount + 1);
  EXPECT_EQ(uitest::Text(dialog, 1087), BlocksLabel(blockCount, blockCount));
  EXPECT_EQ(uitest::ProgressPos(dialog, 1057), 100);
  EXPECT_EQ(uitest::Text(dialog, 2), "Close");
  EXPECT_TRUE(uitest::IsShown(dialog, 1093));
  EXPECT_EQ(uitest::Text(dialog, 1093),
            "Dont' power off during Saving Data.... The Receiver will Auto Reboot！");
  EXPECT_TRUE(dialog.RunningTimers().empty());
}

// --- complete upgrades ----------------------------------------------------

struct CompleteCase {
  const char* name;
  int variant;
  std::vector<UpgradeReply> replies;  // empty: the emulator's own choice
};

void PrintTo(const CompleteCase& c, std::ostream* os) { *os << c.name; }

class CompleteUpgrade : public ::testing::TestWithParam<CompleteCase> {};

TEST_P(CompleteUpgrade, SendsEveryBlockOnceAndStopsOnce) {
  const CompleteCase& c = GetParam();
  const std::uint32_t blocks = c.variant % 2 == 0 ? 256 : 512;
  TempDir dir;
  const Bytes image = ImageBytes(SIGNATURES[c.variant], 13 + blocks * BLOCK, 7u + static_cast<unsigned>(c.variant));
  const std::string path = WriteFile(dir, "rom.bin", image);
  EmulatorOptions options = ForVariant(c.variant);
  options.upgradeReplies = c.replies;
  Receiver receiver(dir, options);
  ASSERT_TRUE(receiver.started);
  uitest::ScriptedPrompts prompts;

  std::int32_t portIndex = 0;
  UpgradeSoftwareDialog dialog(path, portIndex);
  bool ran = false;
  const int result = uitest::RunModal(
      dialog,
      [&] {
        ran = true;
        PumpUpgrade(dialog, receiver, blocks);
        ExpectDoneState(dialog, blocks);
        EXPECT_TRUE(receiver->WaitForEvent("upgrade-complete", 5s));
        EXPECT_EQ(receiver.replies, static_cast<int>(blocks) + 1);
        EXPECT_TRUE(uitest::Click(dialog, 2));
      },
      180000);
  EXPECT_TRUE(ran);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_EQ(receiver->UpgradeReceived(), Blocks(image, blocks));
  // Exactly the command, every block once, and one CMD_STOP: nothing else on the wire.
  EXPECT_EQ(receiver->ReceivedBytes(), Concat({UPGRADE, Blocks(image, blocks), STOP}));
}

INSTANTIATE_TEST_SUITE_P(
    Images, CompleteUpgrade,
    ::testing::Values(
        CompleteCase{"Fta29_1", 0, {}},
        CompleteCase{"Fta39_2_EveryFtaReply", 3,
                     {UpgradeReply::Variant, UpgradeReply::PlainAck, UpgradeReply::Code11, UpgradeReply::CodeAA,
                      UpgradeReply::Variant}},
        CompleteCase{"CI29_1", 4, {}},
        CompleteCase{"HCI39_2_EveryCiReply", 11,
                     {UpgradeReply::Variant, UpgradeReply::CodeF0, UpgradeReply::CodeF2, UpgradeReply::CodeFF,
                      UpgradeReply::Variant}},
        CompleteCase{"T29_1_VariantFrameThroughout", 12, {UpgradeReply::Variant}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(UpgradeSoftwareDialog, LargeFileWithSmallSignatureSendsOnlyTheNamedBlocks) {
  TempDir dir;
  const Bytes image = ImageBytes(SIGNATURES[0], LARGE_FILE, 99);
  const std::string path = WriteFile(dir, "rom.bin", image);
  Receiver receiver(dir, ForVariant(0));
  ASSERT_TRUE(receiver.started);
  uitest::ScriptedPrompts prompts;
  std::int32_t portIndex = 0;
  UpgradeSoftwareDialog dialog(path, portIndex);
  uitest::RunModal(
      dialog,
      [&] {
        PumpUpgrade(dialog, receiver, 256);
        ExpectDoneState(dialog, 256);
        EXPECT_TRUE(receiver->WaitForEvent("upgrade-complete blocks=256", 5s));
        dialog.OnCancel();
      },
      180000);
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_EQ(receiver->ReceivedBytes(), Concat({UPGRADE, Blocks(image, 256), STOP}));
}

// The one run on the real modal loop with its real 50 ms timer.
TEST(UpgradeSoftwareDialog, CompletesOnRealTimersAndCloses) {
  TempDir dir;
  const Bytes image = ImageBytes(SIGNATURES[2], SMALL_FILE, 3);
  const std::string path = WriteFile(dir, "rom.bin", image);
  Receiver receiver(dir, ForVariant(2));
  ASSERT_TRUE(receiver.started);
  uitest::ScriptedPrompts prompts;
  std::int32_t portIndex = 0;
  UpgradeSoftwareDialog dialog(path, portIndex);
  std::string firstText;
  const int result = uitest::RunModal(
      dialog,
      [&] {
        firstText = uitest::Text(dialog, 1087);
        const auto deadline = std::chrono::steady_clock::now() + 120s;
        while (dialog.IsRunningModal() && uitest::Text(dialog, 2) != "Close" &&
               std::chrono::steady_clock::now() < deadline) {
          uitest::ProcessEventsFor(50);
        }
        ExpectDoneState(dialog, 256);
        EXPECT_TRUE(receiver->WaitForEvent("upgrade-complete blocks=256", 5s));
        // Done stays on screen until the user closes it, and nothing more is sent.
        uitest::ProcessEventsFor(200);
        EXPECT_TRUE(dialog.IsRunningModal());
        EXPECT_TRUE(uitest::Click(dialog, 2));
      },
      180000);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(firstText == BlocksLabel(0, 0) || firstText == BlocksLabel(0, 256)) << firstText;
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_EQ(receiver.replies, 257);
  EXPECT_EQ(receiver->ReceivedBytes(), Concat({UPGRADE, Blocks(image, 256), STOP}));
}

// --- failures against the emulator ---------------------------------------

struct EmulatorFailureCase {
  const char* name;
  int fileVariant;
  EmulatorOptions options;
  std::string message;
};

void PrintTo(const EmulatorFailureCase& c, std::ostream* os) { *os << c.name; }

class EmulatorFailure : public ::testing::TestWithParam<EmulatorFailureCase> {};

TEST_P(EmulatorFailure, StopsEndsThenShowsTheMessage) {
  const EmulatorFailureCase& c = GetParam();
  TempDir dir;
  const Bytes image = ImageBytes(SIGNATURES[c.fileVariant], c.fileVariant % 2 ? LARGE_FILE : SMALL_FILE, 5);
  const std::string path = WriteFile(dir, "rom.bin", image);
  Receiver receiver(dir, c.options);
  ASSERT_TRUE(receiver.started);
  uitest::ScriptedPrompts prompts;
  bool stopBeforeMessage = false;
  prompts.OnMessage([&](const uitest::MessageRecord&) {
    stopBeforeMessage = receiver->WaitForEvent("frame CMD_STOP", 2s);
  });
  std::int32_t portIndex = 0;
  UpgradeSoftwareDialog dialog(path, portIndex);
  const int result = uitest::RunModal(dialog, [] {}, 20000);
  EXPECT_EQ(result, IDCANCEL);
  ASSERT_EQ(prompts.Messages().size(), 1u);
  const uitest::MessageRecord& m = prompts.Messages()[0];
  EXPECT_EQ(m.text, c.message);
  EXPECT_EQ(m.caption, CAPTION);
  EXPECT_EQ(m.owner, &dialog);
  EXPECT_TRUE(m.ownerTimers.empty());
  EXPECT_FALSE(m.ownerVisible);
  EXPECT_TRUE(stopBeforeMessage);
  EXPECT_EQ(receiver->ReceivedBytes(), Concat({UPGRADE, STOP}));
}

EmulatorOptions WithReplies(int variant, std::vector<UpgradeReply> replies) {
  EmulatorOptions o = ForVariant(variant);
  o.upgradeReplies = std::move(replies);
  return o;
}

EmulatorOptions AnsweringAs(int variant, int answer) {
  EmulatorOptions o = ForVariant(variant);
  o.answerVariant = answer;
  return o;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, EmulatorFailure,
    ::testing::Values(
        EmulatorFailureCase{"CiImageRefusesPlainAck", 4, WithReplies(4, {UpgradeReply::PlainAck}), "no answer C！"},
        EmulatorFailureCase{"FtaImageRefusesF0", 0, WithReplies(0, {UpgradeReply::CodeF0}), "no answer F！"},
        EmulatorFailureCase{"ReceiverNamesAnotherVariant", 5, AnsweringAs(5, 0),
                            "software version incorrect！\r\npls send below information to your provider！\r\n\r\n"
                            "\"error version <CI 29 2> to <Fta 29 1>\""}),
    [](const auto& p) { return std::string(p.param.name); });

// --- the test as the receiver, ticks driven by hand -------------------------

// Plays the receiver on a pseudo-terminal bound to COM1.
class PtyReceiver {
 public:
  PtyReceiver() { EXPECT_TRUE(pty.IsOpen() && pty.BindPort(1)); }

  // Writes bytes and waits until the device holds them, so the next tick sees them.
  void Send(const Bytes& bytes) {
    const int before = Queued();
    ASSERT_TRUE(pty.WriteAll(bytes));
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (Queued() < before + static_cast<int>(bytes.size()) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(1ms);
    }
    ASSERT_GE(Queued(), before + static_cast<int>(bytes.size()));
  }
  Bytes Take(std::size_t n) { return pty.ReadExactly(n, 2s); }
  Bytes Rest() { return pty.ReadAvailable(50ms); }

 private:
  int Queued() const {
    int n = 0;
    ::ioctl(pty.DeviceFd(), FIONREAD, &n);
    return n;
  }
  PtyPair pty;
};

struct PtyCase {
  TempDir dir;
  Bytes image;
  std::string path;
  PtyReceiver receiver;
  uitest::ScriptedPrompts prompts;
  std::int32_t portIndex = 0;

  explicit PtyCase(int variant)
      : image(ImageBytes(SIGNATURES[variant], variant % 2 ? LARGE_FILE : SMALL_FILE, 11)),
        path(WriteFile(dir, "rom.bin", image)) {}

  Bytes Block(std::size_t i) const {
    auto begin = image.begin() + 13 + static_cast<std::ptrdiff_t>(i * BLOCK);
    return Bytes(begin, begin + BLOCK);
  }
};

struct ReplyCase {
  const char* name;
  int variant;
  Bytes reply;
  const char* refusal;  // nullptr: accepted
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class ReplyRule : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyRule, AcceptsOnlyTheFamilysReplies) {
  const ReplyCase& c = GetParam();
  PtyCase t(c.variant);
  bool stopBeforeMessage = false;
  t.prompts.OnMessage([&](const uitest::MessageRecord&) { stopBeforeMessage = t.receiver.Take(12) == STOP; });
  UpgradeSoftwareDialog dialog(t.path, t.portIndex);
  uitest::RunModal(dialog, [&] {
    ASSERT_EQ(t.receiver.Take(12), UPGRADE);
    t.receiver.Send(c.reply);
    dialog.OnTimer(TICK);
    if (c.refusal == nullptr) {
      EXPECT_TRUE(dialog.IsRunningModal());
      EXPECT_EQ(dialog.SentBlocks(), 1u);
      EXPECT_EQ(t.receiver.Take(BLOCK), t.Block(0));
      // Accepted later too: it releases the next block.
      t.receiver.Send(c.reply);
      dialog.OnTimer(TICK);
      EXPECT_EQ(t.receiver.Take(BLOCK), t.Block(1));
      EXPECT_EQ(uitest::Text(dialog, 1087), BlocksLabel(1, c.variant % 2 ? 512 : 256));
      dialog.OnCancel();
    }
  });
  if (c.refusal == nullptr) {
    EXPECT_TRUE(t.prompts.Messages().empty());
  } else {
    ASSERT_EQ(t.prompts.Messages().size(), 1u);
    EXPECT_EQ(t.prompts.Messages()[0].text, c.refusal);
    EXPECT_TRUE(t.prompts.Messages()[0].ownerTimers.empty());
    EXPECT_TRUE(stopBeforeMessage);
    EXPECT_EQ(dialog.SentBlocks(), 0u);
  }
  EXPECT_TRUE(t.receiver.Rest().empty());
}

const char* const C_REFUSED = "no answer C！";
const char* const F_REFUSED = "no answer F！";

INSTANTIATE_TEST_SUITE_P(
    Families, ReplyRule,
    ::testing::Values(
        ReplyCase{"FtaOwnVariant", 0, Frame(0x10, 0x01), nullptr},
        ReplyCase{"FtaPlainAck", 0, Frame(0x00, 0x00), nullptr},
        ReplyCase{"Fta11", 2, Frame(0x11, 0x11), nullptr},
        ReplyCase{"FtaAA", 1, Frame(0x00, 0xAA), nullptr},
        ReplyCase{"TPlainAck", 13, Frame(0x00, 0x00), nullptr},
        ReplyCase{"T11", 14, Frame(0x11, 0x11), nullptr},
        ReplyCase{"TAA", 15, Frame(0x00, 0xAA), nullptr},
        ReplyCase{"FtaRefusesF0", 0, Frame(0x00, 0xF0), F_REFUSED},
        ReplyCase{"FtaRefusesF2", 0, Frame(0x00, 0xF2), F_REFUSED},
        ReplyCase{"TRefusesFF", 12, Frame(0x00, 0xFF), F_REFUSED},
        ReplyCase{"FtaRefusesAckWithParam1", 0, Frame(0x00, 0x00, 0x01, 0x00), F_REFUSED},
        ReplyCase{"FtaRefusesAAWithParam2", 0, Frame(0x00, 0xAA, 0x00, 0x01), F_REFUSED},
        ReplyCase{"FtaRefuses11WithOtherKind", 0, Frame(0x00, 0x11), F_REFUSED},
        ReplyCase{"FtaRefusesBadMagic", 0, {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6E, 0, 0, 0, 0}, F_REFUSED},
        ReplyCase{"CiOwnVariant", 4, Frame(0x10, 0x05), nullptr},
        ReplyCase{"CiF0", 4, Frame(0x00, 0xF0), nullptr},
        ReplyCase{"CiF2", 6, Frame(0x00, 0xF2), nullptr},
        ReplyCase{"CiFF", 7, Frame(0x00, 0xFF), nullptr},
        ReplyCase{"HciF0", 8, Frame(0x00, 0xF0), nullptr},
        ReplyCase{"HciFF", 11, Frame(0x00, 0xFF), nullptr},
        ReplyCase{"CiRefusesPlainAck", 4, Frame(0x00, 0x00), C_REFUSED},
        ReplyCase{"CiRefuses11", 5, Frame(0x11, 0x11), C_REFUSED},
        ReplyCase{"HciRefusesAA", 9, Frame(0x00, 0xAA), C_REFUSED},
        ReplyCase{"HciRefusesPlainAck", 10, Frame(0x00, 0x00), C_REFUSED},
        ReplyCase{"CiRefusesF0WithParam1", 4, Frame(0x00, 0xF0, 0x01, 0x00), C_REFUSED},
        ReplyCase{"CiRefusesOwnVariantWithParam2", 4, Frame(0x10, 0x05, 0x00, 0x01), C_REFUSED},
        ReplyCase{"HciRefusesVariantCode11", 8, Frame(0x10, 0x11), C_REFUSED},
        ReplyCase{"HciOtherVariantIsAMismatch", 8, Frame(0x10, 0x0A),
                  "software version incorrect！\r\npls send below information to your provider！\r\n\r\n"
                  "\"error version <HCI 29 1> to <HCI 29 2>\""}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(UpgradeSoftwareDialog, TakesOneReplyPerTickAndLeavesTheRestQueued) {
  PtyCase t(0);
  UpgradeSoftwareDialog dialog(t.path, t.portIndex);
  uitest::RunModal(dialog, [&] {
    ASSERT_EQ(t.receiver.Take(12), UPGRADE);
    t.receiver.Send(Concat({PLAIN_ACK_BYTES, PLAIN_ACK_BYTES, Frame(0x00, 0x00, 0x00)}));
    dialog.OnTimer(TICK);
    EXPECT_EQ(dialog.SentBlocks(), 1u);
    EXPECT_EQ(t.receiver.Take(BLOCK), t.Block(0));
    dialog.OnTimer(TICK);
    EXPECT_EQ(dialog.SentBlocks(), 2u);
    EXPECT_EQ(t.receiver.Take(BLOCK), t.Block(1));
    dialog.OnTimer(TICK);  // the third reply, queued since the first tick
    EXPECT_EQ(dialog.SentBlocks(), 3u);
    EXPECT_EQ(t.receiver.Take(BLOCK), t.Block(2));
    EXPECT_EQ(uitest::Text(dialog, 1087), BlocksLabel(2, 256));
    dialog.OnTimer(TICK);  // nothing left
    EXPECT_EQ(dialog.SentBlocks(), 3u);
    EXPECT_EQ(dialog.ReplyWaitMs(), 50u);
    dialog.OnCancel();
  });
  EXPECT_TRUE(t.prompts.Messages().empty());
  EXPECT_TRUE(t.receiver.Rest().empty());
}

// Fewer than 12 bytes count as silence; 60 such ticks in a row end the upload,
// counted afresh after every block.
class SilentTicks : public ::testing::TestWithParam<int> {};

TEST_P(SilentTicks, FiftyNineDoNothingAndTheSixtiethFails) {
  const int blocksFirst = GetParam();
  PtyCase t(4);
  bool stopBeforeMessage = false;
  t.prompts.OnMessage([&](const uitest::MessageRecord&) { stopBeforeMessage = t.receiver.Take(12) == STOP; });
  UpgradeSoftwareDialog dialog(t.path, t.portIndex);
  uitest::RunModal(dialog, [&] {
    ASSERT_EQ(t.receiver.Take(12), UPGRADE);
    // A real tick may have come before this runs; it can only have counted silence.
    std::uint32_t counted = dialog.ReplyWaitMs();
    for (int b = 0; b < blocksFirst; ++b) {
      for (int i = 0; i < 30; ++i) dialog.OnTimer(TICK);
      t.receiver.Send(Frame(0x00, 0xF0));
      dialog.OnTimer(TICK);
      ASSERT_EQ(t.receiver.Take(BLOCK), t.Block(static_cast<std::size_t>(b)));
      ASSERT_EQ(dialog.ReplyWaitMs(), 0u);
      counted = 0;
    }
    t.receiver.Send(Bytes(PLAIN_ACK_BYTES.begin(), PLAIN_ACK_BYTES.end() - 1));  // 11 bytes
    const int silent = 59 - static_cast<int>(counted / 50);
    for (int i = 0; i < silent; ++i) dialog.OnTimer(TICK);
    EXPECT_TRUE(dialog.IsRunningModal());
    EXPECT_TRUE(t.prompts.Messages().empty());
    EXPECT_EQ(dialog.ReplyWaitMs(), 2950u);
    EXPECT_TRUE(t.receiver.Rest().empty());
    dialog.OnTimer(42);  // not the upgrade's timer: ignored
    EXPECT_EQ(dialog.ReplyWaitMs(), 2950u);
    dialog.OnTimer(TICK);
    EXPECT_FALSE(dialog.IsRunningModal());
  });
  ASSERT_EQ(t.prompts.Messages().size(), 1u);
  const uitest::MessageRecord& m = t.prompts.Messages()[0];
  EXPECT_EQ(m.text, "no answer1！");
  EXPECT_EQ(m.caption, CAPTION);
  EXPECT_TRUE(m.ownerTimers.empty());
  EXPECT_FALSE(m.ownerVisible);
  EXPECT_TRUE(stopBeforeMessage);
  EXPECT_EQ(dialog.SentBlocks(), static_cast<std::uint32_t>(blocksFirst));
  EXPECT_TRUE(t.receiver.Rest().empty());
}

INSTANTIATE_TEST_SUITE_P(Counts, SilentTicks, ::testing::Values(0, 2),
                         [](const auto& p) { return "AfterBlocks" + std::to_string(p.param); });

// --- the user ends it -----------------------------------------------------

enum class UserEnd { CancelButton, EscKey, CancelAfterOneBlock, EscAfterOneBlock };
const char* const USER_END_NAMES[] = {"CancelButton", "EscKey", "CancelAfterOneBlock", "EscAfterOneBlock"};

class UserEnds : public ::testing::TestWithParam<UserEnd> {};

TEST_P(UserEnds, SendsNothingAndShowsNothing) {
  const UserEnd how = GetParam();
  PtyCase t(0);
  UpgradeSoftwareDialog dialog(t.path, t.portIndex);
  const int result = uitest::RunModal(dialog, [&] {
    ASSERT_EQ(t.receiver.Take(12), UPGRADE);
    if (how == UserEnd::CancelAfterOneBlock || how == UserEnd::EscAfterOneBlock) {
      t.receiver.Send(PLAIN_ACK_BYTES);
      dialog.OnTimer(TICK);
      ASSERT_EQ(t.receiver.Take(BLOCK), t.Block(0));
    }
    // The OK command does nothing, nor does Enter on the focused Cancel button.
    dialog.OnOK();
    dialog.OnCommand(IDOK);
    dialog.SetControlFocus(2);
    EXPECT_TRUE(uitest::PressKeyOn(dialog, 2, VK_RETURN));
    EXPECT_TRUE(dialog.IsRunningModal());
    if (how == UserEnd::CancelButton || how == UserEnd::CancelAfterOneBlock) {
      EXPECT_TRUE(uitest::Click(dialog, 2));
    } else {
      EXPECT_TRUE(uitest::PressKey(dialog, VK_ESCAPE));
    }
    EXPECT_FALSE(dialog.IsRunningModal());
    EXPECT_TRUE(dialog.RunningTimers().empty());
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(t.prompts.Messages().empty());
  EXPECT_TRUE(t.receiver.Rest().empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, UserEnds,
                         ::testing::Values(UserEnd::CancelButton, UserEnd::EscKey, UserEnd::CancelAfterOneBlock,
                                           UserEnd::EscAfterOneBlock),
                         [](const auto& p) { return std::string(USER_END_NAMES[static_cast<int>(p.param)]); });

// --- failures before the dialog is shown ----------------------------------

struct StartFailureCase {
  const char* name;
  std::size_t fileSize;  // 0: no file at all
  const char* signature;
  std::int32_t portIndex;
  std::string message;  // "<path>" stands for the file's path
};

void PrintTo(const StartFailureCase& c, std::ostream* os) { *os << c.name; }

class StartFailure : public ::testing::TestWithParam<StartFailureCase> {};

TEST_P(StartFailure, EndsBeforeTheDialogIsShown) {
  const StartFailureCase& c = GetParam();
  TempDir dir;
  std::string path = dir.File("rom.bin");
  if (c.fileSize > 0) path = WriteFile(dir, "rom.bin", ImageBytes(c.signature, c.fileSize, 1));
  // A loader failure must come before any port is opened: were it opened,
  // the missing device would add "open port1 error!".
  BindPort(c.portIndex, dir.File("no-such-port"));
  uitest::ScriptedPrompts prompts;
  std::int32_t portIndex = c.portIndex;
  UpgradeSoftwareDialog dialog(path, portIndex);
  bool shown = false;
  const int result = uitest::RunModal(dialog, [&] { shown = true; });
  EXPECT_FALSE(shown);
  EXPECT_EQ(result, IDCANCEL);
  std::string expected = c.message;
  if (auto at = expected.find("<path>"); at != std::string::npos) expected.replace(at + 1, 4, path);
  ASSERT_EQ(prompts.MessageTexts(), std::vector<std::string>{expected});
  EXPECT_EQ(prompts.Messages()[0].caption, CAPTION);
  EXPECT_EQ(prompts.Messages()[0].owner, &dialog);
  EXPECT_FALSE(prompts.Messages()[0].ownerVisible);
  EXPECT_EQ(portIndex, c.portIndex);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartFailure,
    ::testing::Values(
        StartFailureCase{"MissingFile", 0, "", 0, "Open file<path> error！"},
        StartFailureCase{"ShortFile", SMALL_FILE - 1, "QD_RomFtaAMD1", 0, "file size error！"},
        StartFailureCase{"LongFile", LARGE_FILE + 1, "QD_RomFtaAMD2", 0, "file size error！"},
        StartFailureCase{"UnknownSignature", SMALL_FILE, "QD_ROMFTAAMD1", 0, "file data error！"},
        StartFailureCase{"SmallFileNamingLargeVariant", SMALL_FILE, "QD_Rom_CIAMD2", 0, "file size error！"},
        StartFailureCase{"PortMissing", SMALL_FILE, "QD_RomFtaAMD1", 2, "open port3 error!"},
        StartFailureCase{"PortIndexAtTheLimit", SMALL_FILE, "QD_RomFtaAMD1", 0x7FFFFFFF,
                         "open port2147483648 error!"},
        StartFailureCase{"PortIndexMinusOne", SMALL_FILE, "QD_RomFtaAMD1", -1, "open port0 error!"}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
