#pragma once
// One serial port, opened exclusively and set to a raw 8-bit line. All calls
// come from the GUI thread; no call blocks for long (a write waits at most
// 5000 ms for the device, a read at most 2000 ms, and a read only ever takes
// bytes that have already arrived).

#include <cstdint>
#include <memory>
#include <string>

class SerialPort {
 public:
  static constexpr std::uint32_t WRITE_TIMEOUT_MS = 5000;
  static constexpr std::uint32_t READ_TIMEOUT_MS = 2000;
  static constexpr std::uint32_t QUEUE_SIZE = 10000;

  SerialPort();
  virtual ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Port n is COM n. The number is wide so that an index of INT32_MAX + 1
  // is a plain number that fails to open, not an overflow.
  bool Open(std::int64_t port, std::uint32_t baud);
  void Close();
  bool IsOpen() const;

  std::uint32_t BytesWaiting();
  std::uint32_t Write(const void* buffer, std::uint32_t length);
  std::uint32_t Read(void* buffer, std::uint32_t length);
  bool SetBinaryMode(std::uint32_t on);

  // The device that port n opens: $MORVANE_COM<n> when set, else /dev/ttyS<n-1>.
  static std::string DeviceName(std::int64_t port);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl;
};
