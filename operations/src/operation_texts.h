#pragma once
// Texts and small helpers shared by the operation dialogs.

#include <cstdint>
#include <string>

#include "catalogue/rom_image.h"

class Dialog;
class ReceiverChannel;

inline constexpr const char* MSG_CONNECT_OK = "connect ok!";
inline constexpr const char* MSG_NO_ANSWER = "no answer！";
inline constexpr const char* MSG_NO_ANSWER_1 = "no answer1！";
inline constexpr const char* MSG_NO_ANSWER_2 = "no answer2！";
inline constexpr const char* MSG_NO_ANSWER_C = "no answer C！";
inline constexpr const char* MSG_NO_ANSWER_F = "no answer F！";
inline constexpr const char* MSG_ALLOC_MEMORY_ERROR = "alloc memory error！";
inline constexpr const char* TEXT_CLOSE = "Close";

// Every operation runs the line at this speed.
inline constexpr std::uint32_t LINE_BAUD = 115200;

// COM n for a port index: n = index + 1, in a type wide enough for any index.
std::int64_t PortNumber(std::int32_t portIndex);
// "open port%d error!" with n in place of %d.
std::string OpenPortErrorText(std::int64_t port);
// "%d/%d blocks" with done and total.
std::string BlocksText(std::uint32_t done, std::uint32_t total);

// Opens COM(portIndex + 1) at the line speed, switches binary mode on and
// sends `command`. When the port cannot be opened, shows "open port%d error!"
// owned by `owner` and returns false.
bool OpenPortAndSend(Dialog& owner, ReceiverChannel& channel, std::int32_t portIndex,
                     std::uint8_t command);

// Shows each catalogue message in a message box owned by the dialog.
class DialogRomMessages : public RomMessages {
 public:
  explicit DialogRomMessages(Dialog& owner) : dialog(owner) {}
  void ShowMessage(const std::string& text) override;

 private:
  Dialog& dialog;
};
