#include "emulator/receiver_emulator.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "pc_side.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr std::size_t BLOCK = 4096;

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
std::vector<std::uint8_t> Bytes(const Frame12& f) { return {f.begin(), f.end()}; }

std::vector<std::uint8_t> ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class EmulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("emulator_test_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    emulator.reset();
    fs::remove_all(dir);
  }
  ReceiverEmulator& Start(EmulatorOptions options) {
    emulator = std::make_unique<ReceiverEmulator>(std::move(options));
    std::string error;
    EXPECT_TRUE(emulator->Start(error)) << error;
    return *emulator;
  }
  EmulatorOptions Fast(int variant) {
    EmulatorOptions o;
    o.variant = variant;
    o.fast = true;
    return o;
  }

  fs::path dir;
  std::unique_ptr<ReceiverEmulator> emulator;
};

TEST_F(EmulatorTest, FullReadSendsEveryBlockOnlyAfterItsAcknowledgement) {
  auto& emu = Start(Fast(6));
  const std::vector<std::uint8_t> flash = EmulatorFlashPattern(6);
  ASSERT_EQ(flash.size(), 256 * BLOCK);
  ASSERT_EQ(emu.Flash(), flash);
  ASSERT_NE(EmulatorFlashPattern(4), flash);

  PcSide pc(emu.LinkPath());
  ASSERT_TRUE(pc.IsOpen());
  ASSERT_TRUE(pc.Write(T_READ));
  EXPECT_EQ(pc.ReadFrame(), T_VARIANT_6);
  for (std::size_t i = 0; i < 256; ++i) {
    auto block = pc.Read(BLOCK);
    ASSERT_EQ(block.size(), BLOCK) << "block " << i;
    ASSERT_TRUE(std::equal(block.begin(), block.end(), flash.begin() + static_cast<std::ptrdiff_t>(i * BLOCK)))
        << "block " << i;
    if (i == 0) {
      EXPECT_TRUE(pc.Read(1, 100ms).empty()) << "block 1 came before block 0 was acknowledged";
    }
    ASSERT_TRUE(pc.Write(T_VARIANT_6));
  }
  ASSERT_TRUE(pc.Write(T_READ_DONE));
  ASSERT_TRUE(emu.WaitForEvent("read-complete blocks=256", 5s));
  EXPECT_TRUE(pc.Read(1, 100ms).empty()) << "nothing may follow the last block";

  std::vector<std::array<std::uint8_t, 12>> expected{T_READ};
  expected.insert(expected.end(), 256, T_VARIANT_6);
  expected.push_back(T_READ_DONE);
  EXPECT_EQ(emu.FramesReceived(), expected);
  std::vector<std::uint8_t> stream;
  for (const auto& f : expected) stream.insert(stream.end(), f.begin(), f.end());
  EXPECT_EQ(emu.ReceivedBytes(), stream);
  EXPECT_TRUE(emu.WaitForEvent("block-sent 255", 0ms));
}

TEST_F(EmulatorTest, FullUpgradeAcknowledgesEachBlockAndStoresWhatArrived) {
  EmulatorOptions o = Fast(4);  // a CI receiver: its own frame first, then 0xF0
  o.savePath = (dir / "received.bin").string();
  auto& emu = Start(o);
  const std::vector<std::uint8_t> image = EmulatorFlashPattern(8);  // any 256 blocks that are not its own

  PcSide pc(emu.LinkPath());
  ASSERT_TRUE(pc.Write(T_UPGRADE));
  EXPECT_EQ(pc.ReadFrame(), T_VARIANT_4);
  for (std::size_t i = 0; i < 256; ++i) {
    ASSERT_TRUE(pc.Write(image.data() + i * BLOCK, BLOCK));
    ASSERT_EQ(pc.ReadFrame(), T_CODE_F0) << "reply to block " << i;
  }
  ASSERT_TRUE(pc.Write(T_STOP));
  ASSERT_TRUE(emu.WaitForEvent("upgrade-complete", 5s));

  EXPECT_TRUE(emu.WaitForEvent("upgrade-complete blocks=256 bytes=1048576 fnv1a=" + EmulatorChecksum(image), 0ms));
  EXPECT_TRUE(emu.WaitForEvent("saved " + o.savePath, 0ms));
  EXPECT_EQ(emu.UpgradeReceived(), image);
  EXPECT_EQ(ReadFile(o.savePath), image);
  EXPECT_FALSE(fs::exists(o.savePath + ".part"));
  EXPECT_EQ(emu.ReceivedBytes(), Concat({Bytes(T_UPGRADE), image, Bytes(T_STOP)}));
}

TEST_F(EmulatorTest, UpgradeRepliesFollowTheChosenMixAndTheLastRepeats) {
  EmulatorOptions o = Fast(4);
  o.upgradeReplies = {UpgradeReply::PlainAck, UpgradeReply::Variant, UpgradeReply::CodeFF};
  auto& emu = Start(o);
  PcSide pc(emu.LinkPath());
  ASSERT_TRUE(pc.Write(T_UPGRADE));
  EXPECT_EQ(pc.ReadFrame(), T_PLAIN_ACK);
  std::vector<std::uint8_t> block(BLOCK, 0x5A);  // starts like the magic, yet it is block data
  for (const Frame12& want : {T_VARIANT_4, T_CODE_FF, T_CODE_FF}) {
    ASSERT_TRUE(pc.Write(block));
    EXPECT_EQ(pc.ReadFrame(), want);
  }
}

TEST_F(EmulatorTest, StopAtABlockBoundaryEndsTheUpgradeWithoutSaving) {
  EmulatorOptions o = Fast(0);  // an Fta receiver: its own frame first, then the plain acknowledgement
  o.savePath = (dir / "received.bin").string();
  auto& emu = Start(o);
  PcSide pc(emu.LinkPath());
  ASSERT_TRUE(pc.Write(T_UPGRADE));
  EXPECT_EQ(pc.ReadFrame(), T_VARIANT_0);
  std::vector<std::uint8_t> block(BLOCK, 0x11);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(pc.Write(block));
    EXPECT_EQ(pc.ReadFrame(), T_PLAIN_ACK);
  }
  ASSERT_TRUE(pc.Write(T_STOP));
  ASSERT_TRUE(emu.WaitForEvent("upgrade-stopped blocks=2", 5s));
  EXPECT_FALSE(emu.WaitForEvent("upgrade-complete", 0ms));
  EXPECT_FALSE(fs::exists(o.savePath));
  // The line is back to frames: the next dialog's connection check is answered.
  ASSERT_TRUE(pc.Write(T_CONNECT));
  EXPECT_EQ(pc.ReadFrame(), T_PLAIN_ACK);
}

TEST_F(EmulatorTest, ReplyFaultsShapeTheAnswerToTheConnectionCheck) {
  struct Case {
    ReplyFault fault;
    std::vector<std::uint8_t> expected;
  };
  std::vector<std::uint8_t> stray = Bytes(T_PLAIN_ACK);
  stray.insert(stray.begin(), 0xA5);
  const Case cases[] = {
      {ReplyFault::None, Bytes(T_PLAIN_ACK)},
      {ReplyFault::Short, {T_PLAIN_ACK.begin(), T_PLAIN_ACK.end() - 1}},
      {ReplyFault::StrayByte, stray},
      {ReplyFault::NotAccepted, Bytes(T_VARIANT_3)},
  };
  for (const Case& c : cases) {
    EmulatorOptions o = Fast(3);
    o.replyFault = c.fault;
    auto& emu = Start(o);
    PcSide pc(emu.LinkPath());
    ASSERT_TRUE(pc.Write(T_CONNECT));
    EXPECT_EQ(pc.Read(64, 200ms), c.expected) << "fault " << static_cast<int>(c.fault);
  }
}

TEST_F(EmulatorTest, ReadThatStopsAfterThreeBlocksSendsNothingMore) {
  EmulatorOptions o = Fast(2);
  o.stopAfterBlocks = 3;
  auto& emu = Start(o);
  PcSide pc(emu.LinkPath());
  ASSERT_TRUE(pc.Write(T_READ));
  EXPECT_EQ(pc.ReadFrame(), T_VARIANT_2);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(pc.Read(BLOCK).size(), BLOCK) << "block " << i;
    ASSERT_TRUE(pc.Write(T_VARIANT_2));
  }
  EXPECT_TRUE(pc.Read(1, 300ms).empty());
  ASSERT_TRUE(pc.Write(T_STOP));
  EXPECT_TRUE(emu.WaitForEvent("read-stopped blocks=3", 5s));
}

TEST_F(EmulatorTest, HangUpAfterTwoBlocksClosesTheLineAndKeepsNothingOpen) {
  EmulatorOptions o = Fast(0);
  o.hangUpAfterBlocks = 2;
  auto& emu = Start(o);
  PcSide pc(emu.LinkPath());
  ASSERT_TRUE(pc.Write(T_UPGRADE));
  EXPECT_EQ(pc.ReadFrame(), T_VARIANT_0);
  std::vector<std::uint8_t> block(BLOCK, 0x22);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(pc.Write(block));
    EXPECT_EQ(pc.ReadFrame(), T_PLAIN_ACK);
  }
  EXPECT_TRUE(pc.HungUp(2s));
  EXPECT_TRUE(emu.WaitForEvent("hangup", 1s));
  // Stop returns promptly although the thread no longer has a line to poll.
  auto before = std::chrono::steady_clock::now();
  emu.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
}

TEST_F(EmulatorTest, AnotherVariantIsNamedInTheReadReplyAndOnlyItsFrameCountsAsAcknowledgement) {
  EmulatorOptions o = Fast(2);
  o.answerVariant = 3;
  auto& emu = Start(o);
  PcSide pc(emu.LinkPath());
  ASSERT_TRUE(pc.Write(T_READ));
  EXPECT_EQ(pc.ReadFrame(), T_VARIANT_3);
  ASSERT_EQ(pc.Read(BLOCK).size(), BLOCK);
  ASSERT_TRUE(pc.Write(T_VARIANT_2));  // its true variant, not what it announced
  EXPECT_TRUE(pc.Read(1, 200ms).empty());
  ASSERT_TRUE(pc.Write(T_VARIANT_3));
  EXPECT_EQ(pc.Read(BLOCK).size(), BLOCK);
}

TEST_F(EmulatorTest, KeysAreReportedAndJunkAheadOfAFrameIsSkipped) {
  auto& emu = Start(Fast(0));
  PcSide pc(emu.LinkPath());
  const std::vector<std::uint8_t> stray = {0x01, 0x5A, 0x75};
  ASSERT_TRUE(pc.Write(stray));
  ASSERT_TRUE(pc.Write(KeyFrame(23)));
  ASSERT_TRUE(pc.Write(KeyFrame(0)));
  ASSERT_TRUE(emu.WaitForEvent("key 0", 2s));
  EXPECT_EQ(emu.KeysReceived(), (std::vector<int>{23, 0}));
  int junk = 0;  // the count may come in parts, as the bytes arrive
  for (const auto& e : emu.Events())
    if (e.rfind("junk ", 0) == 0) junk += std::stoi(e.substr(5));
  EXPECT_EQ(junk, 3);
  EXPECT_TRUE(emu.WaitForEvent("key 23", 0ms));
  EXPECT_TRUE(pc.Read(1, 100ms).empty()) << "keys are never answered";
}

TEST_F(EmulatorTest, SilentReceiverRecordsEverythingAndAnswersNothing) {
  EmulatorOptions o = Fast(0);
  o.silent = true;
  auto& emu = Start(o);
  PcSide pc(emu.LinkPath());
  for (const Frame12& f : {T_CONNECT, T_READ, T_UPGRADE}) ASSERT_TRUE(pc.Write(f));
  EXPECT_TRUE(pc.Read(1, 300ms).empty());
  EXPECT_EQ(emu.ReceivedBytes(), Concat({Bytes(T_CONNECT), Bytes(T_READ), Bytes(T_UPGRADE)}));
}

TEST_F(EmulatorTest, LinkReplacesAnOldSymlinkRefusesARegularFileAndIsRemovedOnStop) {
  const fs::path link = dir / "com1";
  fs::create_symlink("/nonexistent/pts/99", link);
  EmulatorOptions o = Fast(0);
  o.linkPath = link.string();
  {
    ReceiverEmulator emu(o);
    std::string error;
    ASSERT_TRUE(emu.Start(error)) << error;
    EXPECT_EQ(fs::read_symlink(link), emu.DevicePath());
    EXPECT_TRUE(emu.WaitForEvent("link " + link.string(), 0ms));
    PcSide pc(link.string());
    ASSERT_TRUE(pc.Write(T_CONNECT));
    EXPECT_EQ(pc.ReadFrame(), T_PLAIN_ACK);
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));

  { std::ofstream(link) << "user data"; }
  ReceiverEmulator emu(o);
  std::string error;
  EXPECT_FALSE(emu.Start(error));
  EXPECT_NE(error.find("not a symbolic link"), std::string::npos) << error;
  std::ifstream in(link);
  std::string content;
  std::getline(in, content);
  EXPECT_EQ(content, "user data");
}

TEST_F(EmulatorTest, RomFileSuppliesTheBlocksAndItsSignatureTheVariant) {
  std::vector<std::uint8_t> blocks = EmulatorFlashPattern(0);
  const std::string signature = "QD_Rom_CISST1";  // variant 6, 256 blocks
  const fs::path rom = dir / "rom.bin";
  {
    std::ofstream out(rom, std::ios::binary);
    out << signature;
    out.write(reinterpret_cast<const char*>(blocks.data()), static_cast<std::streamsize>(blocks.size()));
  }
  EmulatorOptions o = Fast(-1);
  o.romFile = rom.string();
  auto& emu = Start(o);
  EXPECT_EQ(emu.Variant(), 6);
  EXPECT_EQ(emu.Flash(), blocks);
  PcSide pc(emu.LinkPath());
  ASSERT_TRUE(pc.Write(T_READ));
  EXPECT_EQ(pc.ReadFrame(), T_VARIANT_6);
  EXPECT_EQ(pc.Read(BLOCK), std::vector<std::uint8_t>(blocks.begin(), blocks.begin() + BLOCK));

  o.variant = 3;  // 512 blocks: the file is too short for it
  ReceiverEmulator wrong(o);
  std::string error;
  EXPECT_FALSE(wrong.Start(error));
  EXPECT_NE(error.find("needs 2097165"), std::string::npos) << error;
}

// Real time: the line is paced at 11,520 bytes a second, so a reply and two
// blocks cannot arrive in less than their line time. Only a lower bound is checked.
TEST_F(EmulatorTest, PacedReadIsNoFasterThanTheLine) {
  EmulatorOptions o;
  o.variant = 0;
  auto& emu = Start(o);
  PcSide pc(emu.LinkPath());
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(pc.Write(T_READ));
  EXPECT_EQ(pc.ReadFrame(), T_VARIANT_0);
  ASSERT_EQ(pc.Read(BLOCK).size(), BLOCK);
  ASSERT_TRUE(pc.Write(T_VARIANT_0));
  ASSERT_EQ(pc.Read(BLOCK).size(), BLOCK);
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::microseconds((12 + 2 * BLOCK) * 1000000 / 11520) - 10ms);
}

}  // namespace
