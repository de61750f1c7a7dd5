#pragma once
// The 12-byte frames exchanged with the receiver: an 8-byte magic followed by
// four one-byte fields. A frame is recognised only as a whole, never by
// searching the byte stream for the magic.

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t FRAME_SIZE = 12;
inline constexpr std::size_t FRAME_MAGIC_SIZE = 8;

// "ZulaPeKo"
inline constexpr std::array<std::uint8_t, FRAME_MAGIC_SIZE> FRAME_MAGIC = {
    0x5A, 0x75, 0x6C, 0x61, 0x50, 0x65, 0x4B, 0x6F};

using FrameBytes = std::array<std::uint8_t, FRAME_SIZE>;

// Values of the `kind` byte.
inline constexpr std::uint8_t FRAME_KIND_COMMAND = 0x00;
inline constexpr std::uint8_t FRAME_KIND_VARIANT = 0x10;
inline constexpr std::uint8_t FRAME_KIND_KEY = 0x47;  // 'G'

// Command codes the PC sends with kind 0x00.
inline constexpr std::uint8_t CMD_CONNECT = 0x10;
inline constexpr std::uint8_t CMD_READ = 0x97;
inline constexpr std::uint8_t CMD_UPGRADE = 0x99;
inline constexpr std::uint8_t CMD_READ_DONE = 0x01;
inline constexpr std::uint8_t CMD_STOP = 0x02;

// Fixed parameter bytes of a key frame.
inline constexpr std::uint8_t KEY_FRAME_PARAM1 = 0x41;  // 'A'
inline constexpr std::uint8_t KEY_FRAME_PARAM2 = 0x4E;  // 'N'

struct CommandFrame {
  std::array<std::uint8_t, FRAME_MAGIC_SIZE> magic = FRAME_MAGIC;
  std::uint8_t kind = 0;
  std::uint8_t code = 0;
  std::uint8_t param1 = 0;
  std::uint8_t param2 = 0;

  constexpr FrameBytes Bytes() const {
    FrameBytes b{};
    for (std::size_t i = 0; i < FRAME_MAGIC_SIZE; ++i) b[i] = magic[i];
    b[8] = kind;
    b[9] = code;
    b[10] = param1;
    b[11] = param2;
    return b;
  }

  static constexpr CommandFrame FromBytes(const FrameBytes& b) {
    CommandFrame f;
    for (std::size_t i = 0; i < FRAME_MAGIC_SIZE; ++i) f.magic[i] = b[i];
    f.kind = b[8];
    f.code = b[9];
    f.param1 = b[10];
    f.param2 = b[11];
    return f;
  }

  friend constexpr bool operator==(const CommandFrame&, const CommandFrame&) = default;
};
static_assert(sizeof(CommandFrame) == FRAME_SIZE, "a frame is 12 bytes with no padding");

// Builds a frame the way SendCommand does: note that the code comes first.
constexpr CommandFrame MakeFrame(std::uint8_t code, std::uint8_t kind, std::uint8_t param1,
                                 std::uint8_t param2) {
  CommandFrame f;
  f.kind = kind;
  f.code = code;
  f.param1 = param1;
  f.param2 = param2;
  return f;
}

// The receiver's plain acknowledgement: the magic and four zero bytes.
inline constexpr CommandFrame PLAIN_ACK = MakeFrame(0x00, FRAME_KIND_COMMAND, 0x00, 0x00);

// A remote-control key; the keypad keeps one and rewrites only `code`.
using KeyFrame = CommandFrame;

constexpr KeyFrame MakeKeyFrame(std::uint8_t keyCode) {
  return MakeFrame(keyCode, FRAME_KIND_KEY, KEY_FRAME_PARAM1, KEY_FRAME_PARAM2);
}
