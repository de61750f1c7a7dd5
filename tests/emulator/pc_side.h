#pragma once
// The PC's end of the emulator's line, as plain descriptor calls, and the
// frames a test sends and expects, written out literally.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

using Frame12 = std::array<std::uint8_t, 12>;

inline constexpr Frame12 T_CONNECT   = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x00, 0x10, 0x00, 0x00};
inline constexpr Frame12 T_READ      = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x00, 0x97, 0x00, 0x00};
inline constexpr Frame12 T_UPGRADE   = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x00, 0x99, 0x00, 0x00};
inline constexpr Frame12 T_READ_DONE = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x00, 0x01, 0x00, 0x00};
inline constexpr Frame12 T_STOP      = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x00, 0x02, 0x00, 0x00};
inline constexpr Frame12 T_PLAIN_ACK = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x00, 0x00, 0x00, 0x00};
inline constexpr Frame12 T_CODE_F0   = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x00, 0xF0, 0x00, 0x00};
inline constexpr Frame12 T_CODE_FF   = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x00, 0xFF, 0x00, 0x00};
inline constexpr Frame12 T_VARIANT_0 = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x10, 0x01, 0x00, 0x00};
inline constexpr Frame12 T_VARIANT_2 = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x10, 0x03, 0x00, 0x00};
// Identification frames of variants 0 (Fta 29 1), 2 (Fta 39 1), 3 (Fta 39 2), 4 (CI 29 1) and 6 (CI 39 1).
inline constexpr Frame12 T_VARIANT_3 = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x10, 0x04, 0x00, 0x00};
inline constexpr Frame12 T_VARIANT_4 = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x10, 0x05, 0x00, 0x00};
inline constexpr Frame12 T_VARIANT_6 = {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x10, 0x07, 0x00, 0x00};

inline Frame12 KeyFrame(std::uint8_t code) {
  return {0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F, 0x47, code, 0x41, 0x4E};
}

class PcSide {
 public:
  explicit PcSide(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0) {
      termios t{};
      ::tcgetattr(fd_, &t);
      ::cfmakeraw(&t);
      ::tcsetattr(fd_, TCSANOW, &t);
    }
  }
  ~PcSide() {
    if (fd_ >= 0) ::close(fd_);
  }
  PcSide(const PcSide&) = delete;
  PcSide& operator=(const PcSide&) = delete;

  bool IsOpen() const { return fd_ >= 0; }

  bool Write(const std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
      ssize_t n = ::write(fd_, data + done, size - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && errno == EAGAIN) {
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, 5000) <= 0) return false;
      } else {
        return false;
      }
    }
    return true;
  }
  bool Write(const Frame12& f) { return Write(f.data(), f.size()); }
  bool Write(const std::vector<std::uint8_t>& v) { return Write(v.data(), v.size()); }

  // Up to `size` bytes, stopping early only when `timeout` passes with the line quiet.
  std::vector<std::uint8_t> Read(std::size_t size, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    std::vector<std::uint8_t> out;
    std::uint8_t buffer[4096];
    while (out.size() < size) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0 || !(p.revents & POLLIN)) break;
      ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, size - out.size()));
      if (n <= 0) break;
      out.insert(out.end(), buffer, buffer + n);
    }
    return out;
  }
  Frame12 ReadFrame() {
    Frame12 f{};
    auto bytes = Read(12);
    std::copy(bytes.begin(), bytes.end(), f.begin());
    return f;
  }
  // True when the far side has closed the line within `timeout`.
  bool HungUp(std::chrono::milliseconds timeout) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return false;
    if (p.revents & POLLHUP) return true;
    std::uint8_t b;
    return ::read(fd_, &b, 1) <= 0;
  }

 private:
  int fd_ = -1;
};
