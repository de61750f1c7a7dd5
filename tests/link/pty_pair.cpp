#include "pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

// Waits for `events` until `deadline`; false on time-out or hang-up.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd p{fd, events, 0};
    const int r = ::poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (r < 0 && errno == EINTR) continue;
    return r > 0 && (p.revents & events) != 0;
  }
}

}  // namespace

PtyPair::PtyPair() {
  int controller = -1;
  int device = -1;
  std::array<char, 256> name{};
  if (::openpty(&controller, &device, name.data(), nullptr, nullptr) != 0) return;
  // The controlling side has a raw line of its own. Termios calls on it reach
  // the device side instead, which keeps the cooked defaults of a fresh tty.
  ::fcntl(controller, F_SETFL, ::fcntl(controller, F_GETFL) | O_NONBLOCK);
  ::fcntl(controller, F_SETFD, FD_CLOEXEC);
  ::fcntl(device, F_SETFD, FD_CLOEXEC);
  controller_ = controller;
  device_ = device;
  path_ = name.data();
}

PtyPair::~PtyPair() {
  for (const auto& variable : bound_) {
    const char* value = std::getenv(variable.c_str());
    if (value != nullptr && path_ == value) ::unsetenv(variable.c_str());
  }
  HangUp();
  if (device_ >= 0) ::close(device_);
}

bool PtyPair::BindPort(std::int64_t port) {
  if (!IsOpen()) return false;
  const std::string variable = "MORVANE_COM" + std::to_string(port);
  if (::setenv(variable.c_str(), path_.c_str(), 1) != 0) return false;
  bound_.push_back(variable);
  return true;
}

bool PtyPair::WriteAll(const std::vector<std::uint8_t>& bytes) {
  if (!IsOpen()) return false;
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(controller_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      if (!WaitFor(controller_, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

std::vector<std::uint8_t> PtyPair::ReadExactly(std::size_t n, std::chrono::milliseconds timeout) {
  std::vector<std::uint8_t> out;
  if (!IsOpen()) return out;
  const auto deadline = Clock::now() + timeout;
  out.resize(n);
  std::size_t got = 0;
  while (got < n) {
    const ssize_t r = ::read(controller_, out.data() + got, n - got);
    if (r > 0) {
      got += static_cast<std::size_t>(r);
    } else if (r < 0 && errno == EINTR) {
      continue;
    } else if (r < 0 && errno == EAGAIN) {
      if (!WaitFor(controller_, POLLIN, deadline)) break;
    } else {
      break;
    }
  }
  out.resize(got);
  return out;
}

std::vector<std::uint8_t> PtyPair::ReadAvailable(std::chrono::milliseconds timeout) {
  std::vector<std::uint8_t> out;
  if (!IsOpen() || !WaitFor(controller_, POLLIN, Clock::now() + timeout)) return out;
  std::array<std::uint8_t, 4096> chunk{};
  for (;;) {
    const ssize_t r = ::read(controller_, chunk.data(), chunk.size());
    if (r > 0) {
      out.insert(out.end(), chunk.begin(), chunk.begin() + r);
    } else if (r < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  return out;
}

void PtyPair::HangUp() {
  if (controller_ >= 0) ::close(controller_);
  controller_ = -1;
}
