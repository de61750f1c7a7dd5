#include "emulator/receiver_emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "frames.h"

using Clock = std::chrono::steady_clock;
using emu::Frame;

namespace {

// 115,200 baud with a start bit, 8 data bits and a stop bit: 11,520 bytes a second.
constexpr double BYTES_PER_SECOND = 11520.0;
constexpr std::size_t PACE_CHUNK = 64;
constexpr int POLL_MS = 20;
// A lone command frame at a block boundary of an upgrade is taken for a
// command, not for the start of a block, once the PC has been quiet this long.
constexpr auto COMMAND_QUIET = std::chrono::milliseconds(150);
constexpr std::uint8_t STRAY_BYTE = 0xA5;

Clock::duration LineTime(std::size_t bytes) {
  return std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(static_cast<double>(bytes) / BYTES_PER_SECOND));
}

std::string Hex2(std::uint8_t b) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", b);
  return text;
}

std::string FrameName(const Frame& f) {
  if (f == emu::CONNECT) return "CMD_CONNECT";
  if (f == emu::READ) return "CMD_READ";
  if (f == emu::UPGRADE) return "CMD_UPGRADE";
  if (f == emu::READ_DONE) return "CMD_READ_DONE";
  if (f == emu::STOP) return "CMD_STOP";
  if (f == emu::PLAIN_ACK) return "PLAIN_ACK";
  if (f == emu::CODE_11) return "CODE_11";
  if (f == emu::CODE_AA) return "CODE_AA";
  if (f == emu::CODE_F0) return "CODE_F0";
  if (f == emu::CODE_F2) return "CODE_F2";
  if (f == emu::CODE_FF) return "CODE_FF";
  for (std::size_t v = 0; v < emu::VARIANT_FRAMES.size(); ++v)
    if (f == emu::VARIANT_FRAMES[v]) return "VARIANT " + std::to_string(v);
  if (std::equal(emu::KEY_HEAD.begin(), emu::KEY_HEAD.end(), f.begin()) && f[10] == emu::KEY_PARAM1 &&
      f[11] == emu::KEY_PARAM2)
    return "KEY " + std::to_string(f[9]);
  return "UNKNOWN " + Hex2(f[8]) + " " + Hex2(f[9]) + " " + Hex2(f[10]) + " " + Hex2(f[11]);
}

bool IsPcCommand(const Frame& f) {
  return f == emu::CONNECT || f == emu::READ || f == emu::UPGRADE || f == emu::READ_DONE || f == emu::STOP;
}

const Frame& ReplyFrame(UpgradeReply r, const Frame& identification) {
  switch (r) {
    case UpgradeReply::Variant: return identification;
    case UpgradeReply::PlainAck: return emu::PLAIN_ACK;
    case UpgradeReply::Code11: return emu::CODE_11;
    case UpgradeReply::CodeAA: return emu::CODE_AA;
    case UpgradeReply::CodeF0: return emu::CODE_F0;
    case UpgradeReply::CodeF2: return emu::CODE_F2;
    case UpgradeReply::CodeFF: return emu::CODE_FF;
  }
  return identification;
}

bool ValidVariant(int v) { return v >= 0 && v < 16; }

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return fd_; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

}  // namespace

std::uint32_t EmulatorBlockCount(int variant) { return variant % 2 == 0 ? 256u : 512u; }

std::vector<std::uint8_t> EmulatorFlashPattern(int variant) {
  // splitmix64, seeded by the variant, so every variant has its own content.
  std::uint64_t state = 0x4D6F7276616E6531ull ^ (static_cast<std::uint64_t>(variant) * 0x9E3779B97F4A7C15ull);
  std::vector<std::uint8_t> flash(EmulatorBlockCount(variant) * emu::BLOCK_SIZE);
  for (std::size_t i = 0; i < flash.size(); i += 8) {
    state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    for (std::size_t k = 0; k < 8; ++k) flash[i + k] = static_cast<std::uint8_t>(z >> (8 * k));
  }
  return flash;
}

std::string EmulatorChecksum(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (std::uint8_t b : bytes) {
    h ^= b;
    h *= 0x100000001B3ull;
  }
  char text[19];
  std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(h));
  return text;
}

struct ReceiverEmulator::Impl {
  enum class Mode { Idle, Reading, Upgrading, UpgradeDone, Dead };

  explicit Impl(EmulatorOptions o) : options(std::move(o)) {}

  EmulatorOptions options;
  int variant = 0;
  std::uint32_t blockCount = 256;
  std::vector<std::uint8_t> flash;
  std::string devicePath;
  std::string linkPath;
  bool linkMade = false;

  Fd master;
  Fd slave;
  Fd wakeRead;
  Fd wakeWrite;
  std::thread thread;
  std::atomic<bool> stopping{false};
  bool started = false;

  // Thread state.
  Mode mode = Mode::Idle;
  std::vector<std::uint8_t> pending;  // received, not yet taken
  Clock::time_point lastReceived{};
  Clock::time_point txLineFree{};
  int replyIndex = 0;   // replies sent in this exchange
  bool stalled = false; // a short reply ended this exchange
  std::uint32_t blocksSent = 0;
  bool awaitingAck = false;
  std::uint32_t blocksReceived = 0;
  Clock::time_point blockStarted{};

  // Shared with callers.
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::vector<std::uint8_t> received;
  std::vector<Frame> frames;
  std::vector<std::uint8_t> upgradeData;
  std::vector<int> keys;
  std::vector<std::string> events;

  Frame Identification() const {
    return emu::VARIANT_FRAMES[static_cast<std::size_t>(ValidVariant(options.answerVariant) ? options.answerVariant
                                                                                           : variant)];
  }

  void Event(const std::string& line) {
    {
      std::lock_guard lock(mutex);
      events.push_back(line);
    }
    changed.notify_all();
    if (options.onEvent) options.onEvent(line);
  }

  // Waits until `until` or a stop request; false on a stop request.
  bool SleepUntil(Clock::time_point until) {
    while (!stopping) {
      auto now = Clock::now();
      if (now >= until) return true;
      auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count() + 1;
      pollfd p{wakeRead.Get(), POLLIN, 0};
      ::poll(&p, 1, static_cast<int>(std::min<long long>(ms, 100)));
    }
    return false;
  }

  bool Delay() {
    if (options.delayMs <= 0) return true;
    return SleepUntil(Clock::now() + std::chrono::milliseconds(options.delayMs));
  }

  // Writes everything, no faster than the line unless fast; false when the
  // line is gone or a stop was requested.
  bool Send(const std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
      std::size_t chunk = size - done;
      if (!options.fast) {
        chunk = std::min(chunk, PACE_CHUNK);
        txLineFree = std::max(txLineFree, Clock::now());
        if (!SleepUntil(txLineFree)) return false;
        txLineFree += LineTime(chunk);
      }
      std::size_t chunkDone = 0;
      while (chunkDone < chunk) {
        if (stopping || master.Get() < 0) return false;
        ssize_t n = ::write(master.Get(), data + done + chunkDone, chunk - chunkDone);
        if (n > 0) {
          chunkDone += static_cast<std::size_t>(n);
          continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd p[2] = {{master.Get(), POLLOUT, 0}, {wakeRead.Get(), POLLIN, 0}};
        ::poll(p, 2, 100);
      }
      done += chunk;
    }
    return true;
  }

  void SendReply(const Frame& frame) {
    if (!Delay()) return;
    int index = replyIndex++;
    ReplyFault fault = index >= options.faultReply ? options.replyFault : ReplyFault::None;
    Frame out = frame;
    if (fault == ReplyFault::NotAccepted) {
      out = NotAccepted();
      Event("fault not-accepted");
    }
    if (fault == ReplyFault::StrayByte) {
      std::uint8_t stray = STRAY_BYTE;
      if (!Send(&stray, 1)) return;
      Event("stray-byte");
    }
    if (fault == ReplyFault::Short) {
      Send(out.data(), out.size() - 1);
      stalled = true;
      Event("reply-short " + FrameName(out) + " bytes=11");
      return;
    }
    if (Send(out.data(), out.size())) Event("reply " + FrameName(out));
  }

  // A well-formed frame the PC must refuse at this point of the exchange.
  Frame NotAccepted() const {
    switch (mode) {
      case Mode::Reading: return emu::NO_SUCH_VARIANT;
      case Mode::Upgrading:
      case Mode::UpgradeDone: return emu::UsesFxAcks(variant) ? emu::PLAIN_ACK : emu::CODE_F0;
      default: return emu::VARIANT_FRAMES[static_cast<std::size_t>(variant)];
    }
  }

  void HangUp() {
    // Closing the line discards what the PC has not read yet; give it up to
    // two seconds to take what was already sent. The kernel hands written
    // bytes to the reading side a little later, hence the first pause.
    auto until = Clock::now() + std::chrono::seconds(2);
    int waiting = 0;
    SleepUntil(Clock::now() + std::chrono::milliseconds(50));
    while (slave.Get() >= 0 && ::ioctl(slave.Get(), FIONREAD, &waiting) == 0 && waiting > 0 &&
           Clock::now() < until && SleepUntil(Clock::now() + std::chrono::milliseconds(5))) {
    }
    master.Reset();
    slave.Reset();
    mode = Mode::Dead;
    pending.clear();
    Event("hangup");
  }

  bool HangUpDue(std::uint32_t blocks) {
    if (options.hangUpAfterBlocks < 0 || blocks != static_cast<std::uint32_t>(options.hangUpAfterBlocks)) return false;
    HangUp();
    return true;
  }

  void SendNextBlock() {
    awaitingAck = false;
    if (stalled || options.silent || blocksSent >= blockCount) return;
    if (HangUpDue(blocksSent)) return;
    if (options.stopAfterBlocks >= 0 && blocksSent >= static_cast<std::uint32_t>(options.stopAfterBlocks)) return;
    if (!Delay()) return;
    const std::uint8_t* block = flash.data() + std::size_t{blocksSent} * emu::BLOCK_SIZE;
    if (!Send(block, emu::BLOCK_SIZE)) return;
    Event("block-sent " + std::to_string(blocksSent));
    ++blocksSent;
    awaitingAck = true;
  }

  // The upgrade reply with number `index` of this exchange (0 answers CMD_UPGRADE).
  void UpgradeReplyFor(std::size_t index) {
    if (options.silent || stalled) return;
    if (options.stopAfterBlocks >= 0 && index > static_cast<std::size_t>(options.stopAfterBlocks)) return;
    const auto& list = options.upgradeReplies;
    UpgradeReply r = list.empty() ? (index == 0 ? UpgradeReply::Variant
                                                : (emu::UsesFxAcks(variant) ? UpgradeReply::CodeF0
                                                                            : UpgradeReply::PlainAck))
                                  : list[std::min(index, list.size() - 1)];
    SendReply(ReplyFrame(r, Identification()));
  }

  void BeginExchange(Mode next) {
    mode = next;
    replyIndex = 0;
    stalled = false;
    awaitingAck = false;
  }

  void FinishUpgrade() {
    std::vector<std::uint8_t> data;
    {
      std::lock_guard lock(mutex);
      data = upgradeData;
    }
    if (!options.savePath.empty()) {
      // Written beside the destination and renamed over it, so a failed save
      // never leaves a truncated file under the chosen name.
      std::string temp = options.savePath + ".part";
      bool ok = false;
      {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (out) {
          out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
          out.close();
          ok = !out.fail();
        }
      }
      if (ok && std::rename(temp.c_str(), options.savePath.c_str()) == 0) {
        Event("saved " + options.savePath);
      } else {
        std::remove(temp.c_str());
        Event("save-error " + options.savePath);
      }
    }
    Event("upgrade-complete blocks=" + std::to_string(blocksReceived) + " bytes=" + std::to_string(data.size()) +
          " fnv1a=" + EmulatorChecksum(data));
  }

  void HandleFrame(const Frame& f) {
    {
      std::lock_guard lock(mutex);
      frames.push_back(f);
    }
    std::string name = FrameName(f);
    if (name.rfind("KEY ", 0) == 0) {
      {
        std::lock_guard lock(mutex);
        keys.push_back(f[9]);
      }
      Event("key " + std::to_string(f[9]));
      return;
    }
    Event("frame " + name);

    if (f == emu::CONNECT) {
      BeginExchange(Mode::Idle);
      if (!options.silent) SendReply(emu::PLAIN_ACK);
    } else if (f == emu::READ) {
      BeginExchange(Mode::Reading);
      blocksSent = 0;
      if (options.silent) return;
      SendReply(Identification());
      SendNextBlock();
    } else if (f == emu::UPGRADE) {
      BeginExchange(Mode::Upgrading);
      blocksReceived = 0;
      {
        std::lock_guard lock(mutex);
        upgradeData.clear();
      }
      UpgradeReplyFor(0);
      if (mode != Mode::Dead) HangUpDue(0);
    } else if (f == emu::READ_DONE) {
      if (mode == Mode::Reading) Event("read-complete blocks=" + std::to_string(blocksSent));
      BeginExchange(Mode::Idle);
    } else if (f == emu::STOP) {
      if (mode == Mode::Reading) Event("read-stopped blocks=" + std::to_string(blocksSent));
      if (mode == Mode::Upgrading) Event("upgrade-stopped blocks=" + std::to_string(blocksReceived));
      if (mode == Mode::UpgradeDone) FinishUpgrade();
      BeginExchange(Mode::Idle);
    } else if (mode == Mode::Reading && awaitingAck && f == Identification()) {
      SendNextBlock();
    }
  }

  // Takes upgrade block bytes from `pending`; false when it must wait for more.
  bool TakeUpgradeData() {
    std::size_t partial = 0;
    {
      std::lock_guard lock(mutex);
      partial = upgradeData.size() - std::size_t{blocksReceived} * emu::BLOCK_SIZE;
    }
    if (partial == 0 && pending.size() <= emu::MAGIC.size() + 4) {
      std::size_t n = std::min(pending.size(), emu::MAGIC.size());
      if (std::equal(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(n), emu::MAGIC.begin())) {
        if (pending.size() < 12) return false;
        Frame f;
        std::copy_n(pending.begin(), 12, f.begin());
        if (IsPcCommand(f)) {
          if (Clock::now() - lastReceived < COMMAND_QUIET) return false;
          pending.erase(pending.begin(), pending.begin() + 12);
          HandleFrame(f);
          return true;
        }
      }
    }
    if (partial == 0) blockStarted = lastReceived;
    std::size_t take = std::min(pending.size(), emu::BLOCK_SIZE - partial);
    {
      std::lock_guard lock(mutex);
      upgradeData.insert(upgradeData.end(), pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(take));
    }
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(take));
    if (partial + take < emu::BLOCK_SIZE) return false;

    // The block is not counted before the line could have carried it.
    if (!options.fast && !SleepUntil(blockStarted + LineTime(emu::BLOCK_SIZE))) return false;
    Event("block-received " + std::to_string(blocksReceived) + " bytes=4096");
    ++blocksReceived;
    if (blocksReceived == blockCount) mode = Mode::UpgradeDone;
    UpgradeReplyFor(blocksReceived);
    if (mode != Mode::Dead) HangUpDue(blocksReceived);
    return true;
  }

  void Process() {
    while (!stopping && mode != Mode::Dead) {
      if (mode == Mode::Upgrading) {
        if (pending.empty() || !TakeUpgradeData()) return;
        continue;
      }
      // Frame mode: drop whatever cannot start a frame.
      std::size_t start = 0;
      while (start < pending.size()) {
        std::size_t n = std::min(pending.size() - start, emu::MAGIC.size());
        if (std::equal(pending.begin() + static_cast<std::ptrdiff_t>(start),
                       pending.begin() + static_cast<std::ptrdiff_t>(start + n), emu::MAGIC.begin()))
          break;
        ++start;
      }
      if (start > 0) {
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(start));
        Event("junk " + std::to_string(start));
      }
      if (pending.size() < 12) return;
      Frame f;
      std::copy_n(pending.begin(), 12, f.begin());
      pending.erase(pending.begin(), pending.begin() + 12);
      HandleFrame(f);
    }
  }

  void Run() {
    std::uint8_t buffer[4096];
    while (!stopping) {
      if (mode == Mode::Dead) {
        pollfd p{wakeRead.Get(), POLLIN, 0};
        ::poll(&p, 1, -1);
        continue;
      }
      pollfd p[2] = {{master.Get(), POLLIN, 0}, {wakeRead.Get(), POLLIN, 0}};
      int ready = ::poll(p, 2, POLL_MS);
      if (ready > 0 && (p[0].revents & POLLIN)) {
        ssize_t n = ::read(master.Get(), buffer, sizeof buffer);
        if (n > 0) {
          lastReceived = Clock::now();
          {
            std::lock_guard lock(mutex);
            received.insert(received.end(), buffer, buffer + n);
          }
          pending.insert(pending.end(), buffer, buffer + n);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
          Event("error line lost");
          HangUp();
          continue;
        }
      } else if (ready > 0 && (p[0].revents & (POLLHUP | POLLERR | POLLNVAL))) {
        // Only happens if the device side is gone despite the descriptor held on it.
        Event("error line lost");
        HangUp();
        continue;
      }
      Process();
    }
  }

  bool LoadFlash(std::string& error) {
    if (options.romFile.empty()) {
      variant = ValidVariant(options.variant) ? options.variant : 0;
      flash = EmulatorFlashPattern(variant);
      return true;
    }
    std::ifstream in(options.romFile, std::ios::binary);
    if (!in) {
      error = "cannot open ROM file " + options.romFile;
      return false;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
      error = "cannot read ROM file " + options.romFile;
      return false;
    }
    int named = -1;
    if (bytes.size() >= emu::SIGNATURE_SIZE) {
      std::string_view sig(reinterpret_cast<const char*>(bytes.data()), emu::SIGNATURE_SIZE);
      for (std::size_t v = 0; v < emu::SIGNATURES.size(); ++v)
        if (sig == emu::SIGNATURES[v]) named = static_cast<int>(v);
    }
    variant = ValidVariant(options.variant) ? options.variant : named;
    if (!ValidVariant(variant)) {
      error = "ROM file names no known variant: " + options.romFile;
      return false;
    }
    std::size_t want = emu::SIGNATURE_SIZE + EmulatorBlockCount(variant) * emu::BLOCK_SIZE;
    if (bytes.size() != want) {
      error = "ROM file " + options.romFile + " is " + std::to_string(bytes.size()) + " bytes, variant " +
              std::to_string(variant) + " needs " + std::to_string(want);
      return false;
    }
    flash.assign(bytes.begin() + static_cast<std::ptrdiff_t>(emu::SIGNATURE_SIZE), bytes.end());
    return true;
  }

  bool MakeLink(std::string& error) {
    struct stat st {};
    if (::lstat(linkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
      error = "not replacing " + linkPath + ": it exists and is not a symbolic link";
      return false;
    }
    // A new link under a temporary name, renamed over any old one in one step.
    std::string temp = linkPath + ".new" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(devicePath.c_str(), temp.c_str()) != 0) {
      error = "cannot create link " + linkPath + ": " + std::strerror(errno);
      return false;
    }
    if (::rename(temp.c_str(), linkPath.c_str()) != 0) {
      error = "cannot create link " + linkPath + ": " + std::strerror(errno);
      ::unlink(temp.c_str());
      return false;
    }
    linkMade = true;
    return true;
  }

  void RemoveLink() {
    if (!linkMade) return;
    linkMade = false;
    // Only our own link: another emulator may have taken the path over since.
    char target[4096];
    ssize_t n = ::readlink(linkPath.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == devicePath) ::unlink(linkPath.c_str());
  }
};

ReceiverEmulator::ReceiverEmulator(EmulatorOptions options) : impl(std::make_unique<Impl>(std::move(options))) {}

ReceiverEmulator::~ReceiverEmulator() { Stop(); }

bool ReceiverEmulator::Start(std::string& error) {
  Impl& d = *impl;
  if (d.started || d.stopping) {
    error = "already started";
    return false;
  }
  if (d.options.variant < -1 || d.options.variant > 15) {
    error = "variant must be 0 to 15";
    return false;
  }
  if (d.options.answerVariant < -1 || d.options.answerVariant > 15) {
    error = "answer variant must be 0 to 15";
    return false;
  }
  if (!d.LoadFlash(error)) return false;
  d.blockCount = EmulatorBlockCount(d.variant);

  int m = -1, s = -1;
  char name[256] = {};
  termios raw{};
  cfmakeraw(&raw);
  cfsetispeed(&raw, B115200);
  cfsetospeed(&raw, B115200);
  if (::openpty(&m, &s, name, &raw, nullptr) != 0) {
    error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  d.master.Reset(m);
  d.slave.Reset(s);
  d.devicePath = name;
  ::fcntl(m, F_SETFL, ::fcntl(m, F_GETFL) | O_NONBLOCK);
  ::fcntl(m, F_SETFD, FD_CLOEXEC);
  ::fcntl(s, F_SETFD, FD_CLOEXEC);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
    error = std::string("cannot make a pipe: ") + std::strerror(errno);
    d.master.Reset();
    d.slave.Reset();
    return false;
  }
  d.wakeRead.Reset(pipeFds[0]);
  d.wakeWrite.Reset(pipeFds[1]);

  d.linkPath = d.options.linkPath.empty() ? d.devicePath : d.options.linkPath;
  if (!d.options.linkPath.empty() && !d.MakeLink(error)) {
    d.master.Reset();
    d.slave.Reset();
    return false;
  }
  d.started = true;
  if (!d.options.linkPath.empty()) d.Event("link " + d.linkPath);
  d.Event("device " + d.devicePath);
  d.thread = std::thread([&d] { d.Run(); });
  return true;
}

void ReceiverEmulator::Stop() {
  Impl& d = *impl;
  if (!d.started) return;
  d.started = false;
  d.stopping = true;
  std::uint8_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(d.wakeWrite.Get(), &one, 1);
  if (d.thread.joinable()) d.thread.join();
  d.RemoveLink();
  d.master.Reset();
  d.slave.Reset();
}

const std::string& ReceiverEmulator::LinkPath() const { return impl->linkPath; }
std::string ReceiverEmulator::DevicePath() const { return impl->devicePath; }
int ReceiverEmulator::Variant() const { return impl->variant; }
const std::vector<std::uint8_t>& ReceiverEmulator::Flash() const { return impl->flash; }

std::vector<std::uint8_t> ReceiverEmulator::ReceivedBytes() const {
  std::lock_guard lock(impl->mutex);
  return impl->received;
}

std::vector<std::array<std::uint8_t, 12>> ReceiverEmulator::FramesReceived() const {
  std::lock_guard lock(impl->mutex);
  return impl->frames;
}

std::vector<std::uint8_t> ReceiverEmulator::UpgradeReceived() const {
  std::lock_guard lock(impl->mutex);
  return impl->upgradeData;
}

std::vector<int> ReceiverEmulator::KeysReceived() const {
  std::lock_guard lock(impl->mutex);
  return impl->keys;
}

std::vector<std::string> ReceiverEmulator::Events() const {
  std::lock_guard lock(impl->mutex);
  return impl->events;
}

bool ReceiverEmulator::WaitForEvent(std::string_view substring, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(impl->mutex);
  return impl->changed.wait_for(lock, timeout, [&] {
    return std::any_of(impl->events.begin(), impl->events.end(),
                       [&](const std::string& e) { return e.find(substring) != std::string::npos; });
  });
}
