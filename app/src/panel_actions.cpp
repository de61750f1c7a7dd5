#include "app/panel_actions.h"

#include "app/about_dialog.h"
#include "operations/comm_setup_dialog.h"
#include "operations/read_software_dialog.h"
#include "operations/upgrade_software_dialog.h"
#include "remote/remote_keypad_dialog.h"
#include "ui/dialog.h"

PanelActions::~PanelActions() = default;

void PanelActions::RunSetupComm(std::int32_t& portIndex) {
  CommSetupDialog setup(portIndex);
  setup.DoModal();
}

std::unique_ptr<Dialog> PanelActions::MakeRemoteKeypad(std::int32_t& portIndex) {
  return std::make_unique<RemoteKeypadDialog>(portIndex);
}

void PanelActions::RunReadSoftware(std::int32_t& portIndex) {
  ReadSoftwareDialog read(portIndex);
  read.DoModal();
}

void PanelActions::RunUpgradeSoftware(const std::string& romPath, std::int32_t& portIndex) {
  UpgradeSoftwareDialog upgrade(romPath, portIndex);
  upgrade.DoModal();
}

void PanelActions::RunAbout() {
  AboutDialog about;
  about.DoModal();
}

PanelActions& DefaultPanelActions() {
  static PanelActions actions;
  return actions;
}
