#pragma once
// A serial port that speaks the receiver's 12-byte command frames.

#include <cstdint>

#include "link/command_frame.h"
#include "link/serial_port.h"

class ReceiverChannel : public SerialPort {
 public:
  ReceiverChannel() = default;
  ~ReceiverChannel() override;

  // Argument order is not byte order: `code` goes to byte 9, `kind` to byte 8.
  std::uint32_t SendCommand(std::uint8_t code, std::uint8_t kind, std::uint8_t param1,
                            std::uint8_t param2);

  // Polls about 2 s for PLAIN_ACK; on failure CMD_STOP has been sent.
  bool WaitForAcknowledge();
};
