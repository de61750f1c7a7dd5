// The emulator read through the program's own SerialPort, as the read dialog does.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <thread>

#include "emulator/receiver_emulator.h"
#include "link/serial_port.h"
#include "pc_side.h"

namespace {

// Polls BytesWaiting until `count` bytes are there or five seconds pass.
bool WaitFor(SerialPort& port, std::uint32_t count) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (port.BytesWaiting() < count) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

TEST(EmulatorThroughSerialPort, ReadOfVariantThreeDeliversTheWholePatternByteForByte) {
  EmulatorOptions options;
  options.variant = 3;
  options.fast = true;
  ReceiverEmulator emulator(options);
  std::string error;
  ASSERT_TRUE(emulator.Start(error)) << error;
  ASSERT_EQ(::setenv("MORVANE_COM1", emulator.LinkPath().c_str(), 1), 0);

  SerialPort port;
  ASSERT_TRUE(port.Open(1, 115200));
  port.SetBinaryMode(1);
  ASSERT_EQ(port.Write(T_READ.data(), 12), 12u);
  ASSERT_TRUE(WaitFor(port, 12));
  Frame12 reply{};
  ASSERT_EQ(port.Read(reply.data(), 12), 12u);
  EXPECT_EQ(reply, T_VARIANT_3);

  std::vector<std::uint8_t> image(512 * 4096);
  for (std::size_t i = 0; i < 512; ++i) {
    ASSERT_TRUE(WaitFor(port, 4096)) << "block " << i;
    ASSERT_EQ(port.Read(image.data() + i * 4096, 4096), 4096u);
    ASSERT_EQ(port.Write(T_VARIANT_3.data(), 12), 12u);
  }
  ASSERT_EQ(port.Write(T_READ_DONE.data(), 12), 12u);
  EXPECT_TRUE(emulator.WaitForEvent("read-complete blocks=512", std::chrono::seconds(5)));
  EXPECT_TRUE(image == EmulatorFlashPattern(3));
  EXPECT_EQ(port.BytesWaiting(), 0u);
  port.Close();
  ::unsetenv("MORVANE_COM1");
}

}  // namespace
