#pragma once
// The control panel (template 140), the program's main window. Its buttons
// run the working dialogs; Enter never closes it, Exit, Esc and the close
// box do (result IDCANCEL).

#include <cstdint>

#include "app/panel_actions.h"
#include "ui/controls.h"
#include "ui/dialog.h"

inline constexpr int IDC_PANEL_GROUP = 1111;
inline constexpr int IDC_SETUP_COMM = 1106;
inline constexpr int IDC_KEYBOARD_CONTROL = 1078;
inline constexpr int IDC_READ_SOFTWARE = 1108;
inline constexpr int IDC_UPGRADE_SOFTWARE = 1107;
inline constexpr int IDC_ABOUT = 3;

class ControlPanelDialog : public Dialog {
 public:
  // portIndex: the shared port setting the working dialogs read and change.
  explicit ControlPanelDialog(std::int32_t& portIndex, PanelActions& actions = DefaultPanelActions(),
                              Dialog* parent = nullptr);

  bool OnInitDialog() override;
  void OnOK() override;
  void OnCommand(int id) override;
  void DoDataExchange(DataExchange& exchange) override;

  void OnSetupComm();
  void OnKeyboardControl();
  void OnReadSoftware();
  void OnUpgradeSoftware();
  void OnAbout();

  Button groupBox;

 private:
  std::int32_t& portIndex;
  PanelActions& actions;
};
