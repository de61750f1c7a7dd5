// The read of the receiver software against the emulator, and against a bare
// pseudo-terminal where the test must place the bytes itself.

#include <chrono>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>

#include "operations/read_software_dialog.h"
#include "pty_pair.h"
#include "read_fixture.h"
#include "uitest/dialog_driver.h"

namespace {

using ReadTest = OperationsTest;
using R = ReadSoftwareDialog;

constexpr unsigned NEVER_MS = 3600 * 1000;  // real timers stay quiet; the test ticks
constexpr std::size_t BLOCK = 4096;

const char* const SIGNATURES[16] = {
    "QD_RomFtaAMD1", "QD_RomFtaAMD2", "QD_RomFtaSST1", "QD_RomFtaSST2", "QD_Rom_CIAMD1", "QD_Rom_CIAMD2",
    "QD_Rom_CISST1", "QD_Rom_CISST2", "QD_RomHCIAMD1", "QD_RomHCIAMD2", "QD_RomHCISST1", "QD_RomHCISST2",
    "QD_Rom_T_AMD1", "QD_Rom_T_AMD2", "QD_Rom_T_SST1", "QD_Rom_T_SST2"};

Wire RomFile(int variant, const Wire& flash) {
  Wire file(SIGNATURES[variant], SIGNATURES[variant] + 13);
  file.insert(file.end(), flash.begin(), flash.end());
  return file;
}

// The tick of whichever phase runs; false when none does.
bool Tick(R& dialog) {
  if (dialog.IsTimerRunning(R::TIMER_IDENT)) {
    dialog.OnTimer(R::TIMER_IDENT);
  } else if (dialog.IsTimerRunning(R::TIMER_BLOCKS)) {
    dialog.OnTimer(R::TIMER_BLOCKS);
  } else {
    return false;
  }
  return true;
}

// Ticks until `blocks` blocks are in. After a tick that found too little it
// pauses (a little longer each time) so the ticks never outrun the line and
// the wait counter stays far from its limit. A read that stalls is ended, so
// a failing test does not wait out the modal run's time limit.
bool TickUntil(R& dialog, std::uint32_t blocks) {
  int idle = 0;
  while (dialog.ReceivedBlocks() < blocks) {
    const std::uint32_t before = dialog.ReceivedBlocks();
    const bool identifying = dialog.IsTimerRunning(R::TIMER_IDENT);
    if (!Tick(dialog)) return false;
    if (dialog.ReceivedBlocks() != before || identifying != dialog.IsTimerRunning(R::TIMER_IDENT)) {
      idle = 0;
      continue;
    }
    if (++idle > 40) {
      dialog.OnCancel();
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(1 << std::min(idle, 6), 50)));
  }
  return true;
}

std::string Blocks(std::uint32_t done, std::uint32_t total) {
  return std::to_string(done) + "/" + std::to_string(total) + " blocks";
}

class CompleteReadTest : public ReadTest, public ::testing::WithParamInterface<int> {};

TEST_P(CompleteReadTest, FileEqualsFlashAndEveryBlockIsAcknowledgedOnce) {
  const int variant = GetParam();
  const std::uint32_t n = variant % 2 == 0 ? 256 : 512;
  EmulatorOptions options;
  options.variant = variant;
  ReceiverEmulator& emu = StartEmulator(1, options);
  const std::string dest = Path("rom.bin");
  prompts.QueueFile(dest);

  std::int32_t portIndex = 0;
  R dialog(portIndex, NEVER_MS);
  const int result = uitest::RunModal(dialog, [&] {
    EXPECT_EQ(uitest::Text(dialog, R::IDC_BLOCKS_TEXT), "0/0 blocks");
    EXPECT_EQ(uitest::ProgressPos(dialog, R::IDC_PROGRESS), 0);
    const struct {
      std::uint32_t blocks;
      int pos;
    } checkpoints[] = {{1, 0}, {3, n == 256 ? 1 : 0}, {128, n == 256 ? 50 : 25}, {n - 1, 99}, {n, 100}};
    for (const auto& c : checkpoints) {
      ASSERT_TRUE(TickUntil(dialog, c.blocks)) << c.blocks;
      EXPECT_EQ(uitest::ProgressPos(dialog, R::IDC_PROGRESS), c.pos) << c.blocks;
      EXPECT_EQ(uitest::Text(dialog, R::IDC_BLOCKS_TEXT), Blocks(c.blocks, n));
    }
    EXPECT_FALSE(dialog.IsRunningModal());
    EXPECT_TRUE(dialog.RunningTimers().empty());
  }, 60000);

  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_EQ(ReceivedAfter("read-complete blocks=" + std::to_string(n)),
            Concat({W_READ, Repeat(W_VARIANT(variant), n), W_READ_DONE}));
  const Wire file = ReadFileBytes(dest);
  EXPECT_EQ(file.size(), 13 + std::size_t{n} * BLOCK);
  EXPECT_TRUE(file == RomFile(variant, emu.Flash()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, CompleteReadTest, ::testing::Values(0, 3));

// The block timer is stopped before the file is written, so a write-error
// message left open can never have the failure sequence run over it.
TEST_F(ReadTest, WriteErrorAfterTheLastBlockIsShownWithNoTimerRunning) {
  StartEmulator(1);
  prompts.QueueFile(Path("no-such-folder/rom.bin"));
  std::int32_t portIndex = 0;
  R dialog(portIndex, NEVER_MS);
  uitest::RunModal(dialog, [&] { ASSERT_TRUE(TickUntil(dialog, 256)); }, 60000);

  ASSERT_EQ(prompts.MessageTexts(), std::vector<std::string>{"create file error!"});
  EXPECT_EQ(prompts.Messages()[0].owner, &dialog);
  EXPECT_EQ(prompts.Messages()[0].caption, "Morvane 1.0");
  EXPECT_TRUE(prompts.Messages()[0].ownerTimers.empty());
  EXPECT_EQ(ReceivedAfter("read-complete blocks=256"), Concat({W_READ, Repeat(W_VARIANT(0), 256), W_READ_DONE}));
}

TEST_F(ReadTest, RealTimersReadTheWholeSoftware) {
  EmulatorOptions options;
  options.variant = 14;
  ReceiverEmulator& emu = StartEmulator(2, options);
  const std::string dest = Path("real.bin");
  prompts.QueueFile(dest);

  std::int32_t portIndex = 1;
  R dialog(portIndex);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(uitest::RunModal(dialog, {}, 120000), IDCANCEL);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  RecordProperty("seconds", std::to_string(seconds));

  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_EQ(ReceivedAfter("read-complete blocks=256"), Concat({W_READ, Repeat(W_VARIANT(14), 256), W_READ_DONE}));
  EXPECT_TRUE(ReadFileBytes(dest) == RomFile(14, emu.Flash()));
}

TEST_F(ReadTest, SaveAsAsksFirstAndWhenCancelledOpensNoPort) {
  // A port that cannot be opened: an attempt would show "open port1 error!".
  BindMissing(1);
  prompts.QueueCancel();
  std::int32_t portIndex = 0;
  R dialog(portIndex);
  bool shown = false;
  EXPECT_EQ(uitest::RunModal(dialog, [&] { shown = true; }), IDCANCEL);

  EXPECT_FALSE(shown);
  EXPECT_TRUE(prompts.Messages().empty());
  ASSERT_EQ(prompts.FileRequests().size(), 1u);
  const FileRequest& r = prompts.FileRequests()[0].request;
  EXPECT_EQ(r.kind, FileDialogKind::Save);
  EXPECT_EQ(r.title, "save as rom(*.bin) file");
  EXPECT_EQ(r.filter, "rom image file(*.bin)|*.bin||");
  EXPECT_EQ(r.initialName, "rom.bin");
  EXPECT_EQ(r.defaultExtension, "");
  EXPECT_TRUE(r.confirmOverwrite);
  EXPECT_TRUE(r.hideReadOnly);
  EXPECT_EQ(r.owner, nullptr);
}

TEST_F(ReadTest, PortThatCannotBeOpenedIsNamedByItsNumber) {
  const struct {
    std::int32_t index;
    const char* text;
  } cases[] = {{2, "open port3 error!"}, {-1, "open port0 error!"}, {INT32_MAX, "open port2147483648 error!"}};
  BindMissing(3);
  BindMissing(std::int64_t{INT32_MAX} + 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    prompts.Clear();
    prompts.QueueFile(Path("rom.bin"));
    std::int32_t portIndex = c.index;
    R dialog(portIndex);
    bool shown = false;
    EXPECT_EQ(uitest::RunModal(dialog, [&] { shown = true; }), IDCANCEL);
    EXPECT_FALSE(shown);
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].text, c.text);
    EXPECT_EQ(prompts.Messages()[0].caption, "Morvane 1.0");
    EXPECT_EQ(prompts.Messages()[0].owner, &dialog);
    EXPECT_FALSE(prompts.Messages()[0].ownerVisible);
    EXPECT_FALSE(std::filesystem::exists(Path("rom.bin")));
  }
}

struct ReplyFailure {
  const char* name;
  bool silent;
  ReplyFault fault;
  const char* arrived;  // emulator event once the reply (or nothing) is on the line
  int idleTicks;        // ticks that only wait before the failing one
  const char* message;
};

void PrintTo(const ReplyFailure& row, std::ostream* os) { *os << row.name; }

class ReplyFailureTest : public ReadTest, public ::testing::WithParamInterface<ReplyFailure> {};

TEST_P(ReplyFailureTest, SendsStopEndsThenShowsTheMessage) {
  const ReplyFailure& c = GetParam();
  EmulatorOptions options;
  options.silent = c.silent;
  options.replyFault = c.fault;
  StartEmulator(1, options);
  const std::string dest = Path("rom.bin");
  prompts.QueueFile(dest);
  bool stopBeforeMessage = false;
  prompts.OnMessage([&](const uitest::MessageRecord&) {
    stopBeforeMessage = emulator->WaitForEvent("frame CMD_STOP", std::chrono::seconds(2));
  });

  std::int32_t portIndex = 0;
  R dialog(portIndex, NEVER_MS);
  EXPECT_EQ(uitest::RunModal(dialog, [&] {
              ASSERT_TRUE(emulator->WaitForEvent(c.arrived, std::chrono::seconds(2)));
              std::this_thread::sleep_for(std::chrono::milliseconds(20));
              for (int i = 0; i < c.idleTicks; ++i) dialog.OnTimer(R::TIMER_IDENT);
              EXPECT_TRUE(prompts.Messages().empty());
              EXPECT_TRUE(dialog.IsTimerRunning(R::TIMER_IDENT));
              EXPECT_EQ(dialog.IdentWaitMs(), 50u * static_cast<unsigned>(c.idleTicks));
              dialog.OnTimer(R::TIMER_IDENT);
            }),
            IDCANCEL);

  ASSERT_EQ(prompts.Messages().size(), 1u);
  const uitest::MessageRecord& m = prompts.Messages()[0];
  EXPECT_EQ(m.text, c.message);
  EXPECT_EQ(m.caption, "Morvane 1.0");
  EXPECT_EQ(m.owner, &dialog);
  EXPECT_TRUE(m.ownerTimers.empty());
  EXPECT_FALSE(m.ownerVisible);
  EXPECT_TRUE(stopBeforeMessage);
  EXPECT_EQ(ReceivedAfter("frame CMD_STOP"), Concat({W_READ, W_STOP}));
  EXPECT_FALSE(std::filesystem::exists(dest));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReplyFailureTest,
    ::testing::Values(ReplyFailure{"Silence", true, ReplyFault::None, "frame CMD_READ", 59, "no answer2！"},
                      ReplyFailure{"ElevenBytes", false, ReplyFault::Short, "reply-short", 59, "no answer2！"},
                      ReplyFailure{"UnknownReply", false, ReplyFault::NotAccepted, "reply UNKNOWN", 0,
                                   "no answer1！"}),
    [](const ::testing::TestParamInfo<ReplyFailure>& row) { return std::string(row.param.name); });

TEST_F(ReadTest, ReceiverStoppingAfterHundredBlocksLeavesTheExistingFileAlone) {
  EmulatorOptions options;
  options.variant = 0;
  options.stopAfterBlocks = 100;
  StartEmulator(1, options);
  const std::string dest = Path("rom.bin");
  { std::ofstream(dest, std::ios::binary) << "an earlier backup"; }
  prompts.QueueFile(dest);
  bool stopBeforeMessage = false;
  prompts.OnMessage([&](const uitest::MessageRecord&) {
    stopBeforeMessage = emulator->WaitForEvent("frame CMD_STOP", std::chrono::seconds(2));
  });

  std::int32_t portIndex = 0;
  R dialog(portIndex, NEVER_MS);
  uitest::RunModal(dialog, [&] {
    ASSERT_TRUE(TickUntil(dialog, 100));
    for (int i = 0; i < 59; ++i) dialog.OnTimer(R::TIMER_BLOCKS);
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_EQ(dialog.BlockWaitMs(), 2950u);
    dialog.OnTimer(R::TIMER_BLOCKS);
    EXPECT_EQ(uitest::Text(dialog, R::IDC_BLOCKS_TEXT), "100/256 blocks");
    EXPECT_EQ(uitest::ProgressPos(dialog, R::IDC_PROGRESS), 39);
  }, 60000);

  EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"no answer！"});
  EXPECT_TRUE(prompts.Messages()[0].ownerTimers.empty());
  EXPECT_FALSE(prompts.Messages()[0].ownerVisible);
  EXPECT_TRUE(stopBeforeMessage);
  EXPECT_EQ(ReceivedAfter("read-stopped blocks=100"), Concat({W_READ, Repeat(W_VARIANT(0), 100), W_STOP}));
  const std::string earlier = "an earlier backup";
  EXPECT_EQ(ReadFileBytes(dest), Wire(earlier.begin(), earlier.end()));
}

TEST_F(ReadTest, CancelOrEscDuringTheTransferSendsNothingAndWritesNoFile) {
  for (bool useEsc : {false, true}) {
    SCOPED_TRACE(useEsc ? "Esc" : "Cancel");
    StartEmulator(1);
    prompts.Clear();
    const std::string dest = Path(useEsc ? "esc.bin" : "cancel.bin");
    prompts.QueueFile(dest);
    std::int32_t portIndex = 0;
    {
      R dialog(portIndex, NEVER_MS);
      EXPECT_EQ(uitest::RunModal(dialog, [&] {
                  ASSERT_TRUE(TickUntil(dialog, 5));
                  dialog.OnCommand(IDOK);  // Enter with no button focused
                  dialog.SetControlFocus(IDCANCEL);
                  EXPECT_TRUE(uitest::PressKeyOn(dialog, IDCANCEL, VK_RETURN));  // nor on Cancel
                  EXPECT_TRUE(dialog.IsRunningModal());
                  if (useEsc) {
                    uitest::PressKey(dialog, VK_ESCAPE);
                  } else {
                    ASSERT_TRUE(uitest::Click(dialog, IDCANCEL));
                  }
                  EXPECT_FALSE(dialog.IsRunningModal());
                  EXPECT_TRUE(dialog.RunningTimers().empty());
                }),
                IDCANCEL);
    }
    EXPECT_TRUE(prompts.Messages().empty());
    // The sixth block went out after the fifth acknowledgement: all the PC sent has arrived.
    EXPECT_EQ(ReceivedAfter("block-sent 5"), Concat({W_READ, Repeat(W_VARIANT(0), 5)}));
    EXPECT_FALSE(std::filesystem::exists(dest));
    emulator->Stop();
  }
}

// The receiver's reply and two blocks waiting at once: the reply takes
// exactly 12 bytes, then one block per tick.
TEST_F(ReadTest, BytesWaitingBeyondTheReplyAreBlocksTakenOnePerTick) {
  PtyPair pty;
  ASSERT_TRUE(pty.IsOpen());
  ASSERT_TRUE(pty.BindPort(1));
  Wire flash(256 * BLOCK);
  for (std::size_t i = 0; i < flash.size(); ++i) flash[i] = static_cast<std::uint8_t>((i * 7 + i / 4096) & 0xFF);
  const std::string dest = Path("rom.bin");
  prompts.QueueFile(dest);
  const auto wait = std::chrono::seconds(2);

  std::int32_t portIndex = 0;
  R dialog(portIndex, NEVER_MS);
  uitest::RunModal(dialog, [&] {
    ASSERT_EQ(pty.ReadExactly(12, wait), W_READ);
    Wire burst = W_VARIANT(0);
    burst.insert(burst.end(), flash.begin(), flash.begin() + 2 * BLOCK);
    ASSERT_TRUE(pty.WriteAll(burst));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    dialog.OnTimer(R::TIMER_IDENT);
    ASSERT_TRUE(dialog.IsTimerRunning(R::TIMER_BLOCKS));
    dialog.OnTimer(R::TIMER_BLOCKS);
    EXPECT_EQ(uitest::Text(dialog, R::IDC_BLOCKS_TEXT), "1/256 blocks");
    EXPECT_EQ(pty.ReadExactly(12, wait), W_VARIANT(0));
    dialog.OnTimer(R::TIMER_BLOCKS);
    EXPECT_EQ(uitest::Text(dialog, R::IDC_BLOCKS_TEXT), "2/256 blocks");
    EXPECT_EQ(pty.ReadExactly(12, wait), W_VARIANT(0));
    dialog.OnTimer(R::TIMER_BLOCKS);  // nothing left: only waits
    EXPECT_EQ(dialog.ReceivedBlocks(), 2u);
    EXPECT_EQ(dialog.BlockWaitMs(), 50u);

    for (std::size_t b = 2; b < 256; ++b) {
      ASSERT_TRUE(pty.WriteAll(Wire(flash.begin() + b * BLOCK, flash.begin() + (b + 1) * BLOCK)));
      ASSERT_TRUE(TickUntil(dialog, static_cast<std::uint32_t>(b + 1)));
      ASSERT_EQ(pty.ReadExactly(12, wait), W_VARIANT(0));
    }
    EXPECT_EQ(pty.ReadExactly(12, wait), W_READ_DONE);
  }, 60000);

  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_TRUE(ReadFileBytes(dest) == RomFile(0, flash));
}

}  // namespace
