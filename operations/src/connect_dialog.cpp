#include "operations/connect_dialog.h"

#include <chrono>
#include <thread>

#include "operation_texts.h"
#include "resources/dialog_templates.h"
#include "ui/wait_cursor.h"

ConnectDialog::ConnectDialog(std::int32_t& index, unsigned timerPeriodMs)
    : Dialog(DIALOG_CONNECT), portIndex(index), timerPeriod(timerPeriodMs) {}

ConnectDialog::~ConnectDialog() = default;

void ConnectDialog::DoDataExchange(DataExchange& exchange) { exchange.Control(IDC_PROGRESS, progressBar); }

bool ConnectDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  progressBar.SetPos(START_POS);
  SetTimer(TIMER_CHECK, timerPeriod);
  return true;
}

void ConnectDialog::OnOK() {}

void ConnectDialog::OnTimer(int id) {
  WaitCursor cursor;
  Dialog::OnTimer(id);
  // Killed first, so the check runs once even though it blocks for seconds.
  KillTimer(TIMER_CHECK);
  if (CheckConnection()) {
    Dialog::OnOK();
  } else {
    Dialog::OnCancel();
  }
  cursor.Restore();
}

bool ConnectDialog::CheckConnection() {
  try {
    if (!OpenPortAndSend(*this, channel, portIndex, CMD_CONNECT)) return false;
    if (channel.WaitForAcknowledge()) {
      progressBar.SetPos(DONE_POS);
      progressBar.Repaint();
      std::this_thread::sleep_for(std::chrono::milliseconds(DONE_PAUSE_MS));
      return true;
    }
    MessageBox(MSG_NO_ANSWER);  // CMD_STOP has gone out already
    return false;
  } catch (...) {
    return false;
  }
}
