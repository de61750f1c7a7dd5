#pragma once
// Reads the receiver's whole flash software into a ROM image file: asks for
// the destination, sends CMD_READ, learns the variant from the 12-byte reply,
// then takes one 4096-byte block per 50 ms tick and acknowledges each. The
// state of a read is which timer runs: TIMER_IDENT while it waits for the
// reply, TIMER_BLOCKS while blocks come, none before and after.

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/variants.h"
#include "link/receiver_channel.h"
#include "ui/controls.h"
#include "ui/dialog.h"

class ReadSoftwareDialog : public Dialog {
 public:
  static constexpr int IDC_PROGRESS = 1057;
  static constexpr int IDC_BLOCKS_TEXT = 1087;
  static constexpr int TIMER_IDENT = 1;
  static constexpr int TIMER_BLOCKS = 2;
  static constexpr unsigned TICK_MS = 50;
  static constexpr std::uint32_t WAIT_LIMIT_MS = 3000;

  // portIndex is read when the read starts: COM(portIndex + 1). timerPeriodMs
  // is the real timers' period; each tick counts TICK_MS whatever it is, so
  // tests that drive OnTimer themselves pass a long one.
  explicit ReadSoftwareDialog(std::int32_t& portIndex, unsigned timerPeriodMs = TICK_MS);
  ~ReadSoftwareDialog() override;

  bool OnInitDialog() override;
  void OnOK() override;  // nothing: Enter does not end a read
  // Nor does Enter on the focused Cancel button: a stray key must not abandon a read.
  bool EnterPressesFocusedButton() const override { return false; }
  void OnCancel() override;  // stops both timers and ends; sends nothing
  void OnTimer(int id) override;
  void DoDataExchange(DataExchange& exchange) override;

  std::uint32_t ReceivedBlocks() const { return receivedBlocks; }
  std::uint32_t IdentWaitMs() const { return identWaitMs; }
  std::uint32_t BlockWaitMs() const { return blockWaitMs; }

 private:
  bool StartRead();
  void OnIdentTick();
  void OnBlockTick();
  void ShowBlocks(std::uint32_t count);
  // Sends CMD_STOP, stops the timers and ends the dialog, then shows the message.
  void Fail(const char* message);

  ReceiverChannel channel;
  SoftwareVariant variant = NO_VARIANT;
  std::uint32_t blockCount = 0;
  std::uint32_t receivedBlocks = 0;
  std::uint32_t identWaitMs = 0;
  std::uint32_t blockWaitMs = 0;
  std::vector<std::uint8_t> image;
  std::string savePath;
  ProgressBar progressBar;
  Edit blocksText;
  std::int32_t& portIndex;
  unsigned timerPeriod;
};
