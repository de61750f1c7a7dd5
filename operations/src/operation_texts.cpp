#include "operation_texts.h"

#include "link/receiver_channel.h"
#include "resources/product.h"
#include "ui/dialog.h"

std::int64_t PortNumber(std::int32_t portIndex) { return std::int64_t{portIndex} + 1; }

std::string OpenPortErrorText(std::int64_t port) {
  return "open port" + std::to_string(port) + " error!";
}

std::string BlocksText(std::uint32_t done, std::uint32_t total) {
  return std::to_string(done) + "/" + std::to_string(total) + " blocks";
}

void DialogRomMessages::ShowMessage(const std::string& text) { dialog.MessageBox(text, PRODUCT_TITLE); }

bool OpenPortAndSend(Dialog& owner, ReceiverChannel& channel, std::int32_t portIndex,
                     std::uint8_t command) {
  const std::int64_t port = PortNumber(portIndex);
  if (!channel.Open(port, LINE_BAUD)) {
    owner.MessageBox(OpenPortErrorText(port));
    return false;
  }
  channel.SetBinaryMode(1);
  channel.SendCommand(command, FRAME_KIND_COMMAND, 0, 0);
  return true;
}
