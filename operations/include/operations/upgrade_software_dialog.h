#pragma once
// Writes a ROM image file into the receiver: loads the file, sends
// CMD_UPGRADE and then one 4096-byte block per accepted 12-byte reply, driven
// by a 50 ms timer.

#include <cstdint>
#include <string>

#include "catalogue/rom_image.h"
#include "catalogue/variants.h"
#include "link/receiver_channel.h"
#include "ui/controls.h"
#include "ui/dialog.h"

class UpgradeSoftwareDialog : public Dialog {
 public:
  static constexpr int TIMER_UPGRADE = 1;
  static constexpr unsigned TICK_MS = 50;
  static constexpr std::uint32_t WAIT_LIMIT_MS = 3000;

  // portIndex is read when the upgrade starts: COM(portIndex + 1).
  UpgradeSoftwareDialog(std::string path, std::int32_t& portIndex);
  ~UpgradeSoftwareDialog() override;

  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnTimer(int id) override;
  void DoDataExchange(DataExchange& exchange) override;
  // An Enter while Cancel has the focus must not abandon a running upgrade.
  bool EnterPressesFocusedButton() const override { return false; }

  std::uint32_t SentBlocks() const { return sentBlocks; }
  std::uint32_t ReplyWaitMs() const { return replyWaitMs; }

 private:
  bool LoadImage();
  bool StartUpgrade();
  bool IsAcceptedReply(const FrameBytes& reply) const;
  void SendNextBlock();
  void FinishUpgrade();
  void ShowBlocks(std::uint32_t n);
  // Sends CMD_STOP, ends the dialog, then shows the message.
  void Fail(const std::string& message);

  ReceiverChannel channel;
  SoftwareVariant fileVariant = NO_VARIANT;
  std::uint32_t blockCount = 0;
  std::uint32_t sentBlocks = 0;
  std::uint32_t replyWaitMs = 0;
  RomImage image;
  std::string romPath;
  std::int32_t& portIndex;
  Button cancelButton;
  StaticText warningText;
  ProgressBar progressBar;
  Edit blocksText;
};
