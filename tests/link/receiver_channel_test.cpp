#include "link/receiver_channel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "pty_pair.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// Frames spelled out byte by byte, independent of the code under test.
Bytes Frame(std::uint8_t b8, std::uint8_t b9, std::uint8_t b10, std::uint8_t b11) {
  return {'Z', 'u', 'l', 'a', 'P', 'e', 'K', 'o', b8, b9, b10, b11};
}
const Bytes ACK = Frame(0x00, 0x00, 0x00, 0x00);
const Bytes STOP = Frame(0x00, 0x02, 0x00, 0x00);

std::uint32_t WaitUntilWaiting(SerialPort& port, std::uint32_t n) {
  const auto deadline = Clock::now() + 3000ms;
  std::uint32_t waiting = port.BytesWaiting();
  while (waiting < n && Clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
    waiting = port.BytesWaiting();
  }
  return waiting;
}

class Channel : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.BindPort(1));
    ASSERT_TRUE(channel.Open(1, 115200));
    ASSERT_TRUE(channel.SetBinaryMode(1));
  }
  PtyPair pty;
  ReceiverChannel channel;
};

TEST_F(Channel, SendCommandPutsCodeInByte9AndKindInByte8) {
  struct Case {
    std::uint8_t code, kind, param1, param2;
    Bytes wire;
  };
  const Case cases[] = {
      {CMD_CONNECT, 0x00, 0x00, 0x00, Frame(0x00, 0x10, 0x00, 0x00)},
      {CMD_READ, 0x00, 0x00, 0x00, Frame(0x00, 0x97, 0x00, 0x00)},
      {CMD_UPGRADE, 0x00, 0x00, 0x00, Frame(0x00, 0x99, 0x00, 0x00)},
      {CMD_READ_DONE, 0x00, 0x00, 0x00, Frame(0x00, 0x01, 0x00, 0x00)},
      {CMD_STOP, 0x00, 0x00, 0x00, Frame(0x00, 0x02, 0x00, 0x00)},
      // Block acknowledgements of variant index 0 and 15.
      {0x01, FRAME_KIND_VARIANT, 0x00, 0x00, Frame(0x10, 0x01, 0x00, 0x00)},
      {0x10, FRAME_KIND_VARIANT, 0x00, 0x00, Frame(0x10, 0x10, 0x00, 0x00)},
      {0x0A, 0x47, 0x41, 0x4E, Frame(0x47, 0x0A, 0x41, 0x4E)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(channel.SendCommand(c.code, c.kind, c.param1, c.param2), 12u);
    EXPECT_EQ(pty.ReadExactly(12, 2000ms), c.wire) << int{c.code};
  }
  EXPECT_TRUE(pty.ReadAvailable(20ms).empty());
}

TEST_F(Channel, KeyFrameWrittenAsItStandsCarriesTheKeyCode) {
  for (std::uint8_t key : {std::uint8_t{0x00}, std::uint8_t{0x0A}, std::uint8_t{0x0D},
                           std::uint8_t{0x11}, std::uint8_t{0x13}, std::uint8_t{0x1F}}) {
    const FrameBytes frame = MakeKeyFrame(key).Bytes();
    EXPECT_EQ(channel.Write(frame.data(), 12), 12u);
    EXPECT_EQ(pty.ReadExactly(12, 2000ms), Frame(0x47, key, 0x41, 0x4E)) << int{key};
  }
}

TEST_F(Channel, AcknowledgementAlreadyWaitingIsTakenWithoutWaiting) {
  ASSERT_TRUE(pty.WriteAll(ACK));
  ASSERT_EQ(WaitUntilWaiting(channel, 12), 12u);
  const auto start = Clock::now();
  EXPECT_TRUE(channel.WaitForAcknowledge());
  EXPECT_LT(Clock::now() - start, 500ms);
  EXPECT_EQ(channel.BytesWaiting(), 0u);
  EXPECT_TRUE(pty.ReadAvailable(20ms).empty());  // no CMD_STOP
}

TEST_F(Channel, AcknowledgementArrivingInPiecesDuringTheWaitIsTaken) {
  std::thread receiver([&] {
    std::this_thread::sleep_for(50ms);
    pty.WriteAll(Bytes(ACK.begin(), ACK.begin() + 5));
    std::this_thread::sleep_for(50ms);
    pty.WriteAll(Bytes(ACK.begin() + 5, ACK.end()));
  });
  EXPECT_TRUE(channel.WaitForAcknowledge());
  receiver.join();
  EXPECT_TRUE(pty.ReadAvailable(20ms).empty());
}

TEST_F(Channel, OtherTwelveBytesFailAtOnceAreDroppedAndSendOneStop) {
  auto changed = [](std::size_t at, std::uint8_t value) {
    Bytes b = ACK;
    b[at] = value;
    return b;
  };
  const Bytes replies[] = {
      Frame(0x10, 0x01, 0x00, 0x00),  // a VariantFrame
      Frame(0x10, 0x10, 0x00, 0x00),
      STOP,
      changed(0, 'z'),
      changed(7, 'O'),
      changed(10, 0x41),
      changed(11, 0x01),
      Bytes(12, 0x00),
  };
  for (const Bytes& reply : replies) {
    ASSERT_TRUE(pty.WriteAll(reply));
    ASSERT_EQ(WaitUntilWaiting(channel, 12), 12u);
    const auto start = Clock::now();
    EXPECT_FALSE(channel.WaitForAcknowledge());
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_EQ(channel.BytesWaiting(), 0u);
    EXPECT_EQ(pty.ReadExactly(12, 2000ms), STOP);
    EXPECT_TRUE(pty.ReadAvailable(20ms).empty());
  }
}

// The time-out cases each take 2 s of real time; they run side by side.
TEST(ChannelTimeOut, WrongCountFailsAfterTwoSecondsLeavesTheBytesAndSendsOneStop) {
  struct Case {
    const char* name;
    Bytes waiting;
    PtyPair pty;
    ReceiverChannel channel;
    bool acknowledged = true;
    Clock::duration elapsed{};
  };
  Bytes ackThenStray = ACK;
  ackThenStray.push_back(0x00);
  Bytes strayThenAck = ACK;
  strayThenAck.insert(strayThenAck.begin(), 0xFF);
  std::vector<std::unique_ptr<Case>> cases;
  const std::pair<const char*, Bytes> inputs[] = {
      {"nothing", {}},
      {"eleven bytes", Bytes(ACK.begin(), ACK.begin() + 11)},
      {"ack then a stray byte", ackThenStray},
      {"a stray byte then ack", strayThenAck},
  };
  std::int64_t portNumber = 1;
  for (const auto& [name, bytes] : inputs) {
    auto c = std::make_unique<Case>();
    c->name = name;
    c->waiting = bytes;
    ASSERT_TRUE(c->pty.BindPort(portNumber));
    ASSERT_TRUE(c->channel.Open(portNumber, 115200));
    ++portNumber;
    ASSERT_TRUE(c->pty.WriteAll(bytes));
    ASSERT_EQ(WaitUntilWaiting(c->channel, static_cast<std::uint32_t>(bytes.size())),
              bytes.size());
    cases.push_back(std::move(c));
  }

  std::vector<std::thread> threads;
  for (auto& c : cases) {
    threads.emplace_back([&c = *c] {
      const auto start = Clock::now();
      c.acknowledged = c.channel.WaitForAcknowledge();
      c.elapsed = Clock::now() - start;
    });
  }
  for (auto& t : threads) t.join();

  for (auto& c : cases) {
    SCOPED_TRACE(c->name);
    EXPECT_FALSE(c->acknowledged);
    EXPECT_GE(c->elapsed, 1990ms);
    EXPECT_LT(c->elapsed, 10000ms);
    EXPECT_EQ(c->pty.ReadExactly(12, 2000ms), STOP);
    EXPECT_TRUE(c->pty.ReadAvailable(20ms).empty());
    const auto n = static_cast<std::uint32_t>(c->waiting.size());
    ASSERT_EQ(c->channel.BytesWaiting(), n);
    Bytes left(n);
    EXPECT_EQ(c->channel.Read(left.data(), n), n);
    EXPECT_EQ(left, c->waiting);
  }
}

TEST(ChannelClosed, ClosedChannelSendsNothing) {
  ReceiverChannel channel;
  EXPECT_EQ(channel.SendCommand(CMD_CONNECT, 0, 0, 0), 0u);
}

}  // namespace
