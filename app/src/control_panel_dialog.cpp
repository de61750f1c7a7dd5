#include "app/control_panel_dialog.h"

#include <memory>
#include <string>

#include "catalogue/rom_image.h"
#include "resources/dialog_templates.h"
#include "resources/product.h"
#include "resources/program_icon.h"
#include "ui/application.h"
#include "ui/prompts.h"

namespace {

constexpr const char* ROM_OPEN_TITLE = "open rom(*.bin) file";

}  // namespace

ControlPanelDialog::ControlPanelDialog(std::int32_t& port, PanelActions& panelActions, Dialog* parent)
    : Dialog(DIALOG_CONTROL_PANEL, parent), portIndex(port), actions(panelActions) {}

void ControlPanelDialog::DoDataExchange(DataExchange& exchange) {
  Dialog::DoDataExchange(exchange);
  exchange.Control(IDC_PANEL_GROUP, groupBox);
}

bool ControlPanelDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  SetIcon(PROGRAM_ICON_ID, false);
  SetIcon(PROGRAM_ICON_ID, true);
  SetCaption(PRODUCT_TITLE);
  groupBox.SetText(std::string(PRODUCT_TITLE) + " Control Panel");
  CenterWindow();
  return true;
}

void ControlPanelDialog::OnOK() {}

void ControlPanelDialog::OnCommand(int id) {
  switch (id) {
    case IDC_SETUP_COMM:
      OnSetupComm();
      break;
    case IDC_KEYBOARD_CONTROL:
      OnKeyboardControl();
      break;
    case IDC_READ_SOFTWARE:
      OnReadSoftware();
      break;
    case IDC_UPGRADE_SOFTWARE:
      OnUpgradeSoftware();
      break;
    case IDC_ABOUT:
      OnAbout();
      break;
    default:
      Dialog::OnCommand(id);
      break;
  }
}

void ControlPanelDialog::OnSetupComm() { actions.RunSetupComm(portIndex); }

void ControlPanelDialog::OnKeyboardControl() {
  std::unique_ptr<Dialog> keypad = actions.MakeRemoteKeypad(portIndex);
  if (!keypad) return;
  Application* app = Application::Current();
  Dialog* const rememberedActive = app != nullptr ? app->ActiveMainWindow() : nullptr;
  SetVisible(false);
  // While the keypad is the active main window it has no owner window, so it
  // stands alone on the desktop and task bar and no window is disabled.
  if (app != nullptr) app->SetActiveMainWindow(keypad.get());
  keypad->DoModal();
  if (app != nullptr) app->SetActiveMainWindow(rememberedActive);
  SetVisible(true);
  keypad.reset();
}

void ControlPanelDialog::OnReadSoftware() { actions.RunReadSoftware(portIndex); }

void ControlPanelDialog::OnUpgradeSoftware() {
  FileRequest request;
  request.kind = FileDialogKind::Open;
  request.title = ROM_OPEN_TITLE;
  request.filter = ROM_FILE_FILTER;
  request.initialName = ROM_DEFAULT_NAME;
  request.fileMustExist = true;
  request.hideReadOnly = true;
  request.confirmOverwrite = true;
  // Like every dialog run from the panel, the file dialog belongs to it.
  request.owner = this;
  FileDialog fileDialog(request);
  if (fileDialog.DoModal() != IDOK) return;
  actions.RunUpgradeSoftware(fileDialog.GetPathName(), portIndex);
}

void ControlPanelDialog::OnAbout() { actions.RunAbout(); }
