#include "link/serial_port.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "pty_pair.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t BAUD = 115200;

Bytes Pattern(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
  return b;
}

Bytes AllByteValues() {
  Bytes b(256);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i);
  return b;
}

// The kernel moves bytes from the controlling side to the device in the
// background, so a test waits (briefly) until they are all waiting.
std::uint32_t WaitUntilWaiting(SerialPort& port, std::uint32_t n,
                               std::chrono::milliseconds timeout = 3000ms) {
  const auto deadline = Clock::now() + timeout;
  std::uint32_t waiting = port.BytesWaiting();
  while (waiting < n && Clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
    waiting = port.BytesWaiting();
  }
  return waiting;
}

Bytes ReadAll(SerialPort& port, std::uint32_t n) {
  Bytes b(n);
  b.resize(port.Read(b.data(), n));
  return b;
}

int ExclusiveFlag(int fd) {
  int flag = -1;
  return ::ioctl(fd, TIOCGEXCL, &flag) == 0 ? flag : -1;
}

termios LineOf(int fd) {
  termios t{};
  EXPECT_EQ(::tcgetattr(fd, &t), 0);
  return t;
}

bool IsRawEightBitAt115200(const termios& t) {
  return (t.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF | ISTRIP | PARMRK)) == 0 &&
         (t.c_oflag & OPOST) == 0 && (t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) == 0 &&
         (t.c_cflag & CSIZE) == CS8 && (t.c_cflag & (CLOCAL | CREAD)) == (CLOCAL | CREAD) &&
         t.c_cc[VMIN] == 0 && t.c_cc[VTIME] == 0 && cfgetospeed(&t) == B115200 &&
         cfgetispeed(&t) == B115200;
}

class OpenPort : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.IsOpen());
    ASSERT_TRUE(pty.BindPort(1));
    ASSERT_TRUE(port.Open(1, BAUD));
  }
  PtyPair pty;
  SerialPort port;
};

TEST(SerialPortName, PortNumberNamesTheDevice) {
  struct Case {
    std::int64_t port;
    const char* expected;
  };
  const Case cases[] = {
      {1, "/dev/ttyS0"},
      {4, "/dev/ttyS3"},
      {0, "/dev/ttyS-1"},
      {-5, "/dev/ttyS-6"},
      {std::int64_t{INT32_MAX} + 1, "/dev/ttyS2147483647"},
      {INT64_MAX, "/dev/ttyS9223372036854775806"},
      {INT64_MIN, "/dev/ttyS-9223372036854775809"},
  };
  for (const Case& c : cases) {
    const std::string variable = "MORVANE_COM" + std::to_string(c.port);
    ::unsetenv(variable.c_str());
    EXPECT_EQ(SerialPort::DeviceName(c.port), c.expected) << c.port;
    // A set variable wins and is taken verbatim, format characters included.
    ::setenv(variable.c_str(), "/dev/%s%n%d", 1);
    EXPECT_EQ(SerialPort::DeviceName(c.port), "/dev/%s%n%d") << c.port;
    ::setenv(variable.c_str(), "", 1);
    EXPECT_EQ(SerialPort::DeviceName(c.port), c.expected) << "empty value, " << c.port;
    ::unsetenv(variable.c_str());
  }
}

TEST(SerialPortClosed, NeverOpenedPortDoesNothing) {
  SerialPort port;
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.BytesWaiting(), 0u);
  std::uint8_t buffer[16];
  std::memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);
  for (std::uint8_t b : buffer) EXPECT_EQ(b, 0xEE);
  EXPECT_EQ(port.Write("abc", 3), 0u);
  EXPECT_FALSE(port.SetBinaryMode(1));
  port.Close();
  port.Close();
  EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPortOpen, FailsOnWhatIsNoUsableSerialDevice) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("link_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto file = dir / "plain";
  std::FILE* f = std::fopen(file.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);

  struct Case {
    std::int64_t port;
    const char* device;  // nullptr: no variable, the /dev/ttyS name is used
  };
  const Case cases[] = {
      {0, nullptr},
      {std::int64_t{INT32_MAX} + 1, nullptr},
      {-1, nullptr},
      {7, "/dev/no-such-device"},
      {7, dir.c_str()},
      {7, file.c_str()},
      {7, "/dev/null"},
  };
  for (const Case& c : cases) {
    const std::string variable = "MORVANE_COM" + std::to_string(c.port);
    if (c.device != nullptr) {
      ::setenv(variable.c_str(), c.device, 1);
    } else {
      ::unsetenv(variable.c_str());
    }
    SerialPort port;
    EXPECT_FALSE(port.Open(c.port, BAUD)) << SerialPort::DeviceName(c.port);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Write("x", 1), 0u);
    ::unsetenv(variable.c_str());
  }
  std::filesystem::remove_all(dir);
}

TEST(SerialPortOpen, AnyPortNumberOpensTheDeviceItsVariableNames) {
  for (std::int64_t n : {std::int64_t{0}, std::int64_t{INT32_MAX} + 1, std::int64_t{-3}}) {
    PtyPair pty;
    ASSERT_TRUE(pty.BindPort(n));
    SerialPort port;
    EXPECT_TRUE(port.Open(n, BAUD)) << n;
  }
}

TEST(SerialPortOpen, UnsupportedSpeedFailsAndLeavesTheDeviceAsItWas) {
  PtyPair pty;
  ASSERT_TRUE(pty.BindPort(1));
  const termios before = LineOf(pty.DeviceFd());
  SerialPort port;
  EXPECT_FALSE(port.Open(1, 12345));
  EXPECT_FALSE(port.IsOpen());
  const termios after = LineOf(pty.DeviceFd());
  EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));
  EXPECT_EQ(ExclusiveFlag(pty.DeviceFd()), 0);
  EXPECT_TRUE(port.Open(1, BAUD));
}

TEST_F(OpenPort, SecondOpenOfAHeldDeviceFailsAlsoForRoot) {
  EXPECT_EQ(ExclusiveFlag(pty.DeviceFd()), 1);
  SerialPort second;
  EXPECT_FALSE(second.Open(1, BAUD));
  EXPECT_FALSE(second.IsOpen());
  // The failed opener left the holder's exclusive flag and line alone.
  EXPECT_EQ(ExclusiveFlag(pty.DeviceFd()), 1);
  ASSERT_EQ(port.Write("ok", 2), 2u);
  EXPECT_EQ(pty.ReadExactly(2, 2000ms), (Bytes{'o', 'k'}));

  port.Close();
  EXPECT_EQ(ExclusiveFlag(pty.DeviceFd()), 0);
  EXPECT_TRUE(second.Open(1, BAUD));
}

TEST(SerialPortOpen, DeviceHeldExclusiveByAProgramThatDoesNotLockIsNotTaken) {
  PtyPair pty;
  ASSERT_TRUE(pty.BindPort(1));
  ASSERT_EQ(::ioctl(pty.DeviceFd(), TIOCEXCL), 0);
  const termios before = LineOf(pty.DeviceFd());
  SerialPort port;
  EXPECT_FALSE(port.Open(1, BAUD));
  EXPECT_EQ(ExclusiveFlag(pty.DeviceFd()), 1);
  const termios after = LineOf(pty.DeviceFd());
  EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));
  ASSERT_EQ(::ioctl(pty.DeviceFd(), TIOCNXCL), 0);
  EXPECT_TRUE(port.Open(1, BAUD));
}

TEST(SerialPortOpen, KeepsParityStopBitsAndFlowControlAndCloseRestoresTheLine) {
  PtyPair pty;
  ASSERT_TRUE(pty.BindPort(1));
  // A pseudo-terminal forces 8 bits and no parity enable, but keeps the parity
  // kind, the stop bits and RTS/CTS: those stand in for a UART's settings.
  termios found = LineOf(pty.DeviceFd());
  found.c_cflag |= PARODD | CSTOPB | CRTSCTS;
  cfsetispeed(&found, B9600);
  cfsetospeed(&found, B9600);
  ASSERT_EQ(::tcsetattr(pty.DeviceFd(), TCSANOW, &found), 0);
  found = LineOf(pty.DeviceFd());
  ASSERT_EQ(found.c_cflag & (PARODD | CSTOPB | CRTSCTS), tcflag_t{PARODD | CSTOPB | CRTSCTS});
  ASSERT_NE(found.c_oflag & OPOST, 0u);

  SerialPort port;
  ASSERT_TRUE(port.Open(1, BAUD));
  const termios open = LineOf(pty.DeviceFd());
  EXPECT_TRUE(IsRawEightBitAt115200(open));
  EXPECT_EQ(open.c_cflag & (PARODD | CSTOPB | CRTSCTS), tcflag_t{PARODD | CSTOPB | CRTSCTS});

  port.Close();
  const termios closed = LineOf(pty.DeviceFd());
  EXPECT_EQ(closed.c_iflag, found.c_iflag);
  EXPECT_EQ(closed.c_oflag, found.c_oflag);
  EXPECT_EQ(closed.c_lflag, found.c_lflag);
  EXPECT_EQ(closed.c_cflag, found.c_cflag);
  EXPECT_EQ(0, std::memcmp(closed.c_cc, found.c_cc, sizeof found.c_cc));
  EXPECT_EQ(cfgetospeed(&closed), speed_t{B9600});
}

TEST_F(OpenPort, OpenOnAnOpenPortReleasesTheOldPortEvenWhenTheNewOneFails) {
  PtyPair other;
  ASSERT_TRUE(other.BindPort(2));
  ASSERT_TRUE(port.Open(2, BAUD));
  EXPECT_EQ(ExclusiveFlag(pty.DeviceFd()), 0);
  SerialPort first;
  EXPECT_TRUE(first.Open(1, BAUD));

  ::setenv("MORVANE_COM3", "/dev/no-such-device", 1);
  EXPECT_FALSE(port.Open(3, BAUD));
  ::unsetenv("MORVANE_COM3");
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(ExclusiveFlag(other.DeviceFd()), 0);
  SerialPort second;
  EXPECT_TRUE(second.Open(2, BAUD));
}

TEST_F(OpenPort, CloseTwiceNeverClosesADescriptorReusedMeanwhile) {
  port.Close();
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);  // likely takes the number the port just gave up
  port.Close();
  EXPECT_NE(::fcntl(fds[0], F_GETFD), -1);
  EXPECT_NE(::fcntl(fds[1], F_GETFD), -1);
  ::close(fds[0]);
  ::close(fds[1]);
}

// How the port's binary flag was left before the transfer.
enum class Mode { NeverSet, SwitchedOn, AskedOff };

class AllBytes : public ::testing::TestWithParam<Mode> {};

TEST_P(AllBytes, EveryByteValuePassesUntouchedBothWays) {
  PtyPair pty;
  ASSERT_TRUE(pty.BindPort(1));
  SerialPort port;
  ASSERT_TRUE(port.Open(1, BAUD));
  if (GetParam() == Mode::SwitchedOn) {
    EXPECT_TRUE(port.SetBinaryMode(1));
  } else if (GetParam() == Mode::AskedOff) {
    EXPECT_FALSE(port.SetBinaryMode(0));
  }

  const Bytes all = AllByteValues();
  ASSERT_TRUE(pty.WriteAll(all));
  ASSERT_EQ(WaitUntilWaiting(port, 256), 256u);
  EXPECT_EQ(ReadAll(port, 256), all);
  // Nothing echoed back to the sender.
  EXPECT_TRUE(pty.ReadAvailable(20ms).empty());

  ASSERT_EQ(port.Write(all.data(), 256), 256u);
  EXPECT_EQ(pty.ReadExactly(256, 2000ms), all);
  EXPECT_TRUE(pty.ReadAvailable(20ms).empty());
}

INSTANTIATE_TEST_SUITE_P(BinaryFlag, AllBytes,
                         ::testing::Values(Mode::NeverSet, Mode::SwitchedOn, Mode::AskedOff),
                         [](const ::testing::TestParamInfo<Mode>& param) {
                           switch (param.param) {
                             case Mode::NeverSet: return std::string("NeverSet");
                             case Mode::SwitchedOn: return std::string("SwitchedOn");
                             case Mode::AskedOff: return std::string("AskedOff");
                           }
                           return std::string("Unknown");
                         });

TEST_F(OpenPort, QueueHoldsMoreThanTheTtyLayerAnd8192BytesAreWaiting) {
  const Bytes sent = Pattern(8192);
  ASSERT_TRUE(pty.WriteAll(sent));
  EXPECT_EQ(WaitUntilWaiting(port, 8192), 8192u);
  EXPECT_EQ(port.BytesWaiting(), 8192u);
  EXPECT_EQ(ReadAll(port, 10000), sent);
}

TEST_F(OpenPort, QueueStopsAtItsSizeAndLosesNothingBeyond) {
  const Bytes sent = Pattern(12000);
  ASSERT_TRUE(pty.WriteAll(sent));
  ASSERT_EQ(WaitUntilWaiting(port, SerialPort::QUEUE_SIZE), SerialPort::QUEUE_SIZE);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(port.BytesWaiting(), SerialPort::QUEUE_SIZE);
  Bytes got = ReadAll(port, 4096);
  ASSERT_EQ(WaitUntilWaiting(port, 12000 - 4096), 12000u - 4096u);
  const Bytes rest = ReadAll(port, 12000);
  got.insert(got.end(), rest.begin(), rest.end());
  EXPECT_EQ(got, sent);
}

TEST_F(OpenPort, ReadTakesOnlyWhatIsWaitingAndLeavesTheBufferAloneWhenNothingIs) {
  std::uint8_t buffer[64];
  std::memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);
  for (std::uint8_t b : buffer) ASSERT_EQ(b, 0xEE);

  ASSERT_TRUE(pty.WriteAll({1, 2, 3, 4, 5}));
  ASSERT_EQ(WaitUntilWaiting(port, 5), 5u);
  EXPECT_EQ(port.Read(buffer, 2), 2u);
  EXPECT_EQ(port.BytesWaiting(), 3u);
  EXPECT_EQ(port.Read(buffer + 2, sizeof buffer - 2), 3u);
  EXPECT_EQ((Bytes(buffer, buffer + 5)), (Bytes{1, 2, 3, 4, 5}));
  for (std::size_t i = 5; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], 0xEE) << i;
  EXPECT_EQ(port.BytesWaiting(), 0u);
}

TEST_F(OpenPort, HangUpMakesOperationsReturnZeroQuicklyAndKeepsWhatHadArrived) {
  ASSERT_TRUE(pty.WriteAll({9, 8, 7}));
  ASSERT_EQ(WaitUntilWaiting(port, 3), 3u);
  pty.HangUp();

  const auto start = Clock::now();
  EXPECT_EQ(port.BytesWaiting(), 3u);
  EXPECT_EQ(ReadAll(port, 100), (Bytes{9, 8, 7}));
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(port.BytesWaiting(), 0u);
  std::uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(port.Read(buffer, 4), 0u);
  EXPECT_EQ(buffer[0], 0xEE);
  const Bytes block = Pattern(4096);
  EXPECT_EQ(port.Write(block.data(), 4096), 0u);
  EXPECT_FALSE(port.SetBinaryMode(1));
  EXPECT_LT(Clock::now() - start, 1000ms);  // no 5 s write wait, no spinning
  EXPECT_TRUE(port.IsOpen());
  port.Close();
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(OpenPort, HangUpBeforeAnythingArrivedReportsNothingWaiting) {
  pty.HangUp();
  EXPECT_EQ(port.BytesWaiting(), 0u);
  EXPECT_EQ(port.Write("x", 1), 0u);
}

TEST_F(OpenPort, WriteHandsOverLargeBuffersPieceByPieceToASlowReader) {
  const Bytes block = Pattern(200000);
  Bytes received;
  std::thread reader([&] {
    while (received.size() < block.size()) {
      const Bytes part = pty.ReadAvailable(3000ms);
      if (part.empty()) break;
      received.insert(received.end(), part.begin(), part.end());
      std::this_thread::sleep_for(1ms);
    }
  });
  EXPECT_EQ(port.Write(block.data(), static_cast<std::uint32_t>(block.size())), block.size());
  reader.join();
  EXPECT_EQ(received, block);
}

TEST_F(OpenPort, WriteGivesUpAfterFiveSecondsWhenTheDeviceTakesNoMore) {
  const Bytes big = Pattern(1 << 20);
  const auto start = Clock::now();
  const std::uint32_t written = port.Write(big.data(), static_cast<std::uint32_t>(big.size()));
  const auto elapsed = Clock::now() - start;
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, big.size());
  EXPECT_GE(elapsed, 4900ms);
  EXPECT_LT(elapsed, 15000ms);
}

TEST_F(OpenPort, BinaryModeCountsOnlyBitZero) {
  struct Case {
    std::uint32_t on;
    bool applied;
  };
  const Case cases[] = {{1, true}, {3, true}, {0xFFFFFFFFu, true},
                        {0, false}, {2, false}, {0xFFFFFFFEu, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(port.SetBinaryMode(c.on), c.applied) << c.on;
    EXPECT_TRUE(IsRawEightBitAt115200(LineOf(pty.DeviceFd()))) << c.on;
  }
}

TEST_F(OpenPort, BinaryModeOnPutsBackARawLineAnotherProgramChanged) {
  termios changed = LineOf(pty.DeviceFd());
  changed.c_oflag |= OPOST | ONLCR;
  changed.c_iflag |= ICRNL | IXON;
  changed.c_lflag |= ICANON | ECHO;
  ASSERT_EQ(::tcsetattr(pty.DeviceFd(), TCSANOW, &changed), 0);

  EXPECT_FALSE(port.SetBinaryMode(2));  // bit 0 clear: nothing changes
  const termios unchanged = LineOf(pty.DeviceFd());
  EXPECT_EQ(unchanged.c_oflag & ONLCR, tcflag_t{ONLCR});
  EXPECT_EQ(unchanged.c_lflag & ICANON, tcflag_t{ICANON});

  EXPECT_TRUE(port.SetBinaryMode(1));
  EXPECT_TRUE(IsRawEightBitAt115200(LineOf(pty.DeviceFd())));
  ASSERT_EQ(port.Write("\n\r", 2), 2u);
  EXPECT_EQ(pty.ReadExactly(2, 2000ms), (Bytes{0x0A, 0x0D}));
}

}  // namespace
