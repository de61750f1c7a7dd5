#pragma once
// The port setup: one of four serial ports, stored as the port index when OK
// is pressed, then checked at once with a ConnectDialog.

#include <cstdint>

#include "ui/dialog.h"

class CommSetupDialog : public Dialog {
 public:
  static constexpr int IDC_FIRST_PORT = 1070;  // "Com 1"; the group runs to "Com 4"

  // portIndex is read when the dialog opens and written by OK, never by Cancel.
  explicit CommSetupDialog(std::int32_t& portIndex);
  ~CommSetupDialog() override;

  bool OnInitDialog() override;
  void OnOK() override;
  void DoDataExchange(DataExchange& exchange) override;

 private:
  std::int32_t& portIndex;
  int selectedPort = -1;  // checked radio button, -1 when none is
};
