#pragma once
// Shared ground for the connection-check and read tests: a private temporary
// directory, scripted prompts, the receiver emulator (unpaced) or a
// pseudo-terminal bound to a COM number, and frames written out literally.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "emulator/receiver_emulator.h"
#include "uitest/scripted_prompts.h"

using Wire = std::vector<std::uint8_t>;

// "ZulaPeKo", kind, code, 0, 0.
inline Wire Frame(std::uint8_t kind, std::uint8_t code) {
  return {'Z', 'u', 'l', 'a', 'P', 'e', 'K', 'o', kind, code, 0x00, 0x00};
}
inline const Wire W_CONNECT = Frame(0x00, 0x10);
inline const Wire W_READ = Frame(0x00, 0x97);
inline const Wire W_READ_DONE = Frame(0x00, 0x01);
inline const Wire W_STOP = Frame(0x00, 0x02);
inline Wire W_VARIANT(int v) { return Frame(0x10, static_cast<std::uint8_t>(v + 1)); }

inline Wire Concat(std::initializer_list<Wire> parts) {
  Wire all;
  for (const Wire& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}
inline Wire Repeat(const Wire& part, std::size_t times) {
  Wire all;
  for (std::size_t i = 0; i < times; ++i) all.insert(all.end(), part.begin(), part.end());
  return all;
}

inline Wire ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Wire(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class OperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/morvane-ops-read-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir = pattern;
  }

  void TearDown() override {
    if (emulator) emulator->Stop();
    emulator.reset();
    for (const std::string& name : boundVariables) ::unsetenv(name.c_str());
    std::error_code ignored;
    if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
  }

  std::string Path(const std::string& name) const { return dir + "/" + name; }

  void Bind(std::int64_t port, const std::string& device) {
    const std::string name = "MORVANE_COM" + std::to_string(port);
    ::setenv(name.c_str(), device.c_str(), 1);
    boundVariables.push_back(name);
  }
  // COM port names a device that does not exist: any open of it fails.
  void BindMissing(std::int64_t port) { Bind(port, Path("no-such-device")); }

  // Starts an unpaced emulator and points COM port at its link.
  ReceiverEmulator& StartEmulator(std::int64_t port, EmulatorOptions options = {}) {
    options.linkPath = Path("com" + std::to_string(port));
    options.fast = true;
    emulator = std::make_unique<ReceiverEmulator>(options);
    std::string error;
    EXPECT_TRUE(emulator->Start(error)) << error;
    Bind(port, emulator->LinkPath());
    return *emulator;
  }

  // Every byte the emulator has received, once `event` has been seen.
  Wire ReceivedAfter(const std::string& event) {
    EXPECT_TRUE(emulator->WaitForEvent(event, std::chrono::seconds(5))) << event;
    return emulator->ReceivedBytes();
  }

  std::string dir;
  uitest::ScriptedPrompts prompts;
  std::unique_ptr<ReceiverEmulator> emulator;
  std::vector<std::string> boundVariables;
};
