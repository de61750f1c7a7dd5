#pragma once
// The connection check: opens COM(portIndex + 1), sends CMD_CONNECT and waits
// for the receiver's plain acknowledgement. Ends with IDOK when it came.

#include <cstdint>

#include "link/receiver_channel.h"
#include "ui/controls.h"
#include "ui/dialog.h"

class ConnectDialog : public Dialog {
 public:
  static constexpr int IDC_PROGRESS = 1057;
  static constexpr int TIMER_CHECK = 1;
  static constexpr unsigned CHECK_DELAY_MS = 200;
  static constexpr int START_POS = 60;
  static constexpr int DONE_POS = 100;
  static constexpr unsigned DONE_PAUSE_MS = 300;

  // timerPeriodMs: when the check starts after the dialog is shown; tests
  // that run the check by calling OnTimer pass a long one.
  explicit ConnectDialog(std::int32_t& portIndex, unsigned timerPeriodMs = CHECK_DELAY_MS);
  ~ConnectDialog() override;

  bool OnInitDialog() override;
  void OnOK() override;  // nothing: Enter does not end the check
  void OnTimer(int id) override;
  void DoDataExchange(DataExchange& exchange) override;

  // True when the receiver acknowledged. The port stays open until the
  // dialog object is destroyed.
  bool CheckConnection();

 private:
  ReceiverChannel channel;
  ProgressBar progressBar;
  std::int32_t& portIndex;
  unsigned timerPeriod;
};
