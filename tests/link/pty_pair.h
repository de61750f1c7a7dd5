#pragma once
// A pseudo-terminal for serial tests. The test holds the controlling side (raw
// by the kernel's own default, non-blocking here) and plays the receiver on it;
// code under test opens the other side by its device path, usually through a
// port bound with BindPort:
//
//   PtyPair pty;
//   ASSERT_TRUE(pty.IsOpen());
//   ASSERT_TRUE(pty.BindPort(1));      // SerialPort::Open(1, ...) opens it
//   pty.WriteAll(reply);                // bytes the port will receive
//   auto sent = pty.ReadExactly(12, std::chrono::seconds(2));
//
// The other side is also kept open here (DeviceFd) so its line settings can be
// read or set and so the pair stays alive while the port under test is closed.
// It starts with the cooked settings of a fresh tty (NL to CR NL, echo, XON/XOFF),
// so a port that fails to set a raw line shows it. Termios calls on the
// controlling side would change the device side too: do not make them.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool IsOpen() const { return controller_ >= 0; }
  // The path a SerialPort opens, e.g. /dev/pts/3.
  const std::string& DevicePath() const { return path_; }
  int ControllerFd() const { return controller_; }
  int DeviceFd() const { return device_; }

  // Sets MORVANE_COM<port> to DevicePath(); unset again when the pair goes.
  bool BindPort(std::int64_t port);

  // Writes every byte, waiting up to 5 s for room. False if not all went out.
  bool WriteAll(const std::vector<std::uint8_t>& bytes);
  // Reads until `n` bytes have come or `timeout` has passed; may return fewer.
  std::vector<std::uint8_t> ReadExactly(std::size_t n, std::chrono::milliseconds timeout);
  // Waits up to `timeout` for a first byte, then returns all that has arrived.
  std::vector<std::uint8_t> ReadAvailable(std::chrono::milliseconds timeout);

  // Closes the controlling side: the device hangs up as an unplugged adapter does.
  void HangUp();

 private:
  int controller_ = -1;
  int device_ = -1;
  std::string path_;
  std::vector<std::string> bound_;
};
