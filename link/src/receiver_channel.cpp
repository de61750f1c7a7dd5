#include "link/receiver_channel.h"

#include <chrono>
#include <thread>

ReceiverChannel::~ReceiverChannel() { Close(); }

std::uint32_t ReceiverChannel::SendCommand(std::uint8_t code, std::uint8_t kind,
                                           std::uint8_t param1, std::uint8_t param2) {
  const FrameBytes frame = MakeFrame(code, kind, param1, param2).Bytes();
  return Write(frame.data(), static_cast<std::uint32_t>(frame.size()));
}

bool ReceiverChannel::WaitForAcknowledge() {
  const FrameBytes expected = PLAIN_ACK.Bytes();
  // 200 polls, each tested before its 10 ms sleep: an acknowledgement already
  // waiting is taken at once; one that arrives during the last sleep is not seen.
  for (std::uint32_t waitedMs = 0; waitedMs < 2000; waitedMs += 10) {
    // Only exactly one frame waiting counts: more is never an acknowledgement.
    if (BytesWaiting() == FRAME_SIZE) {
      FrameBytes reply{};
      if (Read(reply.data(), static_cast<std::uint32_t>(reply.size())) == FRAME_SIZE &&
          reply == expected) {
        return true;
      }
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  SendCommand(CMD_STOP, FRAME_KIND_COMMAND, 0x00, 0x00);
  return false;
}
