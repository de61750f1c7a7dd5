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
  // is a plain number that fails to open, not an overflow. An open port is
  // closed first, also when the new open fails. Fails when another program
  // holds the device or `baud` is not a standard rate; parity, stop bits and
  // flow control stay as the device had them, and Close puts the rest back.
  bool Open(std::int64_t port, std::uint32_t baud);
  void Close();
  bool IsOpen() const;

  // Bytes received and not yet read: the port's own queue of up to QUEUE_SIZE
  // bytes, topped up from the device on every call. After the device has gone
  // (hang-up, adapter unplugged) only bytes taken in before remain.
  std::uint32_t BytesWaiting();
  // Bytes the device took within WRITE_TIMEOUT_MS; 0 when closed or gone.
  std::uint32_t Write(const void* buffer, std::uint32_t length);
  // Takes at most `length` of the waiting bytes and never waits; with nothing
  // waiting it returns 0 and leaves `buffer` as it was.
  std::uint32_t Read(void* buffer, std::uint32_t length);
  // The line is always binary: raw 8-bit, no byte translated either way. With
  // bit 0 set this puts those raw settings back (should another program have
  // changed them) and is true when the device took them; with bit 0 clear it
  // asks for a text mode this port does not offer: false, nothing changes.
  bool SetBinaryMode(std::uint32_t on);

  // The device that port n opens: $MORVANE_COM<n> when set and not empty,
  // else /dev/ttyS<n-1> (port 0 gives /dev/ttyS-1, which never exists).
  static std::string DeviceName(std::int64_t port);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl;
};
