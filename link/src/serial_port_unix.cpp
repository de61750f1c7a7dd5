// SerialPort over POSIX termios: the only code that calls the OS for the port.

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "link/serial_port.h"
#include "termios_line.h"

namespace {

// Owns one file descriptor and closes it exactly once.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.fd_;
      other.fd_ = -1;
    }
    return *this;
  }

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// Whether a descriptor that just returned 0 or an error has lost its device.
bool PeerGone(int fd) {
  pollfd p{fd, POLLIN, 0};
  int r;
  do {
    r = ::poll(&p, 1, 0);
  } while (r < 0 && errno == EINTR);
  return r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool IsGoneErrno(int err) { return err == EIO || err == ENXIO || err == ENODEV || err == EBADF; }

}  // namespace

struct SerialPort::Impl {
  UniqueFd fd;
  termios saved{};
  bool hungUp = false;
  // The tty layer holds at most 4095 unread bytes; this queue is what callers
  // see as "waiting", so two 4096-byte blocks fit as they do on the receiver side.
  std::array<std::uint8_t, QUEUE_SIZE> queue{};
  std::uint32_t queued = 0;

  // Moves what the device holds into the queue, up to its capacity.
  void TakeIn() {
    while (!hungUp && queued < QUEUE_SIZE) {
      const ssize_t n = ::read(fd.Get(), queue.data() + queued, QUEUE_SIZE - queued);
      if (n > 0) {
        queued += static_cast<std::uint32_t>(n);
        continue;
      }
      if (n < 0) {
        const int err = errno;
        if (err == EINTR) continue;
        if (IsGoneErrno(err)) hungUp = true;
        return;
      }
      // With VMIN = VTIME = 0 a read returns 0 both for "nothing yet" and after a hang-up.
      if (PeerGone(fd.Get())) hungUp = true;
      return;
    }
  }

  void Release() {
    if (!fd.Valid()) return;
    ::tcsetattr(fd.Get(), TCSANOW, &saved);
    ::ioctl(fd.Get(), TIOCNXCL);
    ::flock(fd.Get(), LOCK_UN);
    fd.Reset();
    hungUp = false;
    queued = 0;
  }
};

SerialPort::SerialPort() : impl(std::make_unique<Impl>()) {}

SerialPort::~SerialPort() { Close(); }

std::string SerialPort::DeviceName(std::int64_t port) {
  const std::string variable = "MORVANE_COM" + std::to_string(port);
  const char* named = std::getenv(variable.c_str());
  // An empty value names no device; it reads as "not set".
  if (named != nullptr && named[0] != '\0') return named;
  // port - 1 without overflow at INT64_MIN.
  if (port >= 1) return "/dev/ttyS" + std::to_string(port - 1);
  const std::uint64_t magnitude = std::uint64_t{0} - static_cast<std::uint64_t>(port);
  return "/dev/ttyS-" + std::to_string(magnitude + 1);
}

bool SerialPort::Open(std::int64_t port, std::uint32_t baud) {
  Close();

  UniqueFd fd(::open(DeviceName(port).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid()) return false;
  // TIOCEXCL does not stop root; the lock stops every other opener that locks.
  // Closing the descriptor releases the lock on every failure below.
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return false;
  // Root also gets past another program's TIOCEXCL: a flag already set means
  // the device is held, and it is not ours to clear.
  int heldExclusive = 0;
  if (::ioctl(fd.Get(), TIOCGEXCL, &heldExclusive) == 0 && heldExclusive != 0) return false;
  if (::ioctl(fd.Get(), TIOCEXCL) != 0) return false;

  termios saved{};
  if (::tcgetattr(fd.Get(), &saved) != 0) {
    ::ioctl(fd.Get(), TIOCNXCL);
    return false;
  }
  termios line = saved;
  SetRawLine(line);
  SetDataBits8(line);
  termios check{};
  if (!SetSpeed(line, baud) || ::tcsetattr(fd.Get(), TCSANOW, &line) != 0 ||
      ::tcgetattr(fd.Get(), &check) != 0 || !HasLineSettings(check, line)) {
    // tcsetattr succeeds when any part was taken; put everything back.
    ::tcsetattr(fd.Get(), TCSANOW, &saved);
    ::ioctl(fd.Get(), TIOCNXCL);
    return false;
  }

  impl->fd = std::move(fd);
  impl->saved = saved;
  impl->hungUp = false;
  impl->queued = 0;
  return true;
}

void SerialPort::Close() { impl->Release(); }

bool SerialPort::IsOpen() const { return impl->fd.Valid(); }

std::uint32_t SerialPort::BytesWaiting() {
  if (!IsOpen()) return 0;
  impl->TakeIn();
  return impl->queued;
}

std::uint32_t SerialPort::Write(const void* buffer, std::uint32_t length) {
  if (!IsOpen() || impl->hungUp || buffer == nullptr || length == 0) return 0;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(WRITE_TIMEOUT_MS);
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  std::uint32_t written = 0;
  while (written < length) {
    const ssize_t n = ::write(impl->fd.Get(), bytes + written, length - written);
    if (n > 0) {
      written += static_cast<std::uint32_t>(n);
      continue;
    }
    if (n == 0) break;  // a device that takes nothing without saying why: never spin on it
    const int err = errno;
    if (err == EINTR) continue;
    if (err != EAGAIN && err != EWOULDBLOCK) {
      if (IsGoneErrno(err)) impl->hungUp = true;
      break;
    }
    // The device takes no more for now: wait for room until the deadline.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    pollfd p{impl->fd.Get(), POLLOUT, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      impl->hungUp = true;
      break;
    }
  }
  return written;
}

std::uint32_t SerialPort::Read(void* buffer, std::uint32_t length) {
  if (!IsOpen() || buffer == nullptr) return 0;
  impl->TakeIn();
  // Only bytes already received are taken, so a read never waits.
  const std::uint32_t n = std::min(length, impl->queued);
  if (n == 0) return 0;
  std::memcpy(buffer, impl->queue.data(), n);
  std::memmove(impl->queue.data(), impl->queue.data() + n, impl->queued - n);
  impl->queued -= n;
  return n;
}

bool SerialPort::SetBinaryMode(std::uint32_t on) {
  if (!IsOpen() || impl->hungUp || (on & 1U) == 0) return false;
  termios line{};
  if (::tcgetattr(impl->fd.Get(), &line) != 0) {
    if (IsGoneErrno(errno)) impl->hungUp = true;
    return false;
  }
  SetRawLine(line);
  SetDataBits8(line);
  termios check{};
  return ::tcsetattr(impl->fd.Get(), TCSANOW, &line) == 0 &&
         ::tcgetattr(impl->fd.Get(), &check) == 0 && HasLineSettings(check, line);
}
