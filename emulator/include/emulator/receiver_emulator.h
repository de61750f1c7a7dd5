#pragma once
// An emulator of the receiver's firmware on the far side of a pseudo-terminal.
// It answers the PC's frames from its own table of literal frames, paces the
// line at 115,200 baud 8N1 unless told to run fast, and can be told to
// misbehave. Tests run it in-process on a thread of its own; the
// morvane-receiver program is a thin command line over it.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One accepted upgrade reply.
enum class UpgradeReply {
  Variant,    // its own identification frame
  PlainAck,   // kind 0x00 code 0x00
  Code11,     // kind 0x11 code 0x11
  CodeAA,     // kind 0x00 code 0xAA
  CodeF0,     // kind 0x00 code 0xF0
  CodeF2,     // kind 0x00 code 0xF2
  CodeFF,     // kind 0x00 code 0xFF
};

// What goes wrong with a reply from the reply numbered `faultReply` on.
enum class ReplyFault {
  None,
  Short,        // sends only the first 11 bytes, then nothing more in that exchange
  StrayByte,    // one byte 0xA5 ahead of the reply
  NotAccepted,  // a well-formed frame the PC does not accept at that point
};

struct EmulatorOptions {
  int variant = -1;          // 0..15; -1: from the ROM file's signature, else 0
  std::string linkPath;      // symlink to the device; empty: none
  std::string romFile;       // ROM image file (signature, then blocks); empty: FlashPattern
  std::string savePath;      // where a completed upgrade's blocks are stored; empty: nowhere
  bool fast = false;         // unpaced: as fast as the pseudo-terminal takes it

  // Replies during an upgrade, in turn; the last one repeats. Empty: its own
  // identification frame first, then its family's first acknowledgement code.
  std::vector<UpgradeReply> upgradeReplies;

  // Faults.
  bool silent = false;       // answers nothing at all
  int answerVariant = -1;    // names this variant (0..15) instead of its own
  ReplyFault replyFault = ReplyFault::None;
  int faultReply = 0;        // replies of an exchange counted from 0 (0 answers the command)
  int stopAfterBlocks = -1;  // a read sends, an upgrade acknowledges, N blocks, then nothing
  int hangUpAfterBlocks = -1;  // after N blocks closes its side of the line for good
  int delayMs = 0;           // waits this long before each reply and each block sent

  // Called on the emulator's thread with each event line (no newline).
  std::function<void(const std::string&)> onEvent;
};

// Block count of a variant: 256 for even indexes, 512 for odd ones.
std::uint32_t EmulatorBlockCount(int variant);
// The deterministic flash content an emulator of `variant` holds without a ROM file.
std::vector<std::uint8_t> EmulatorFlashPattern(int variant);
// 64-bit FNV-1a, the checksum reported for an upgrade, as "0x" and 16 hex digits.
std::string EmulatorChecksum(const std::vector<std::uint8_t>& bytes);

// Event lines, one per event:
//   link PATH | device PATH | frame CMD_CONNECT|CMD_READ|CMD_UPGRADE|CMD_READ_DONE|CMD_STOP
//   frame VARIANT v | frame UNKNOWN xx xx xx xx | junk N | key K
//   reply PLAIN_ACK|VARIANT v|CODE_11|CODE_AA|CODE_F0|CODE_F2|CODE_FF|UNKNOWN xx xx xx xx
//   reply-short ... | stray-byte | block-sent I | block-received I bytes=4096
//   read-complete blocks=N | read-stopped blocks=N
//   upgrade-complete blocks=N bytes=B fnv1a=0x... | upgrade-stopped blocks=N
//   saved PATH | save-error PATH | hangup | error TEXT
class ReceiverEmulator {
 public:
  explicit ReceiverEmulator(EmulatorOptions options);
  ~ReceiverEmulator();
  ReceiverEmulator(const ReceiverEmulator&) = delete;
  ReceiverEmulator& operator=(const ReceiverEmulator&) = delete;

  // Opens the pseudo-terminal, makes the link and starts the thread.
  bool Start(std::string& error);
  // Stops the thread, closes the line and removes the link. Idempotent.
  void Stop();

  // The link path, or the device path when there is no link.
  const std::string& LinkPath() const;
  std::string DevicePath() const;
  int Variant() const;
  const std::vector<std::uint8_t>& Flash() const;

  std::vector<std::uint8_t> ReceivedBytes() const;  // every byte from the PC, in order
  std::vector<std::array<std::uint8_t, 12>> FramesReceived() const;
  std::vector<std::uint8_t> UpgradeReceived() const;  // block bytes of the last upgrade
  std::vector<int> KeysReceived() const;
  std::vector<std::string> Events() const;
  // True once an event line containing `substring` has been seen (before or during the wait).
  bool WaitForEvent(std::string_view substring, std::chrono::milliseconds timeout) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl;
};
