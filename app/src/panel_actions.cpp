#include "app/panel_actions.h"

#include "app/about_dialog.h"
#include "remote/remote_keypad_dialog.h"
#include "ui/dialog.h"

PanelActions::~PanelActions() = default;

void PanelActions::RunSetupComm(std::int32_t&) {}

std::unique_ptr<Dialog> PanelActions::MakeRemoteKeypad(std::int32_t& portIndex) {
  return std::make_unique<RemoteKeypadDialog>(portIndex);
}

void PanelActions::RunReadSoftware(std::int32_t&) {}

void PanelActions::RunUpgradeSoftware(const std::string&, std::int32_t&) {}

void PanelActions::RunAbout() {
  AboutDialog about;
  about.DoModal();
}

PanelActions& DefaultPanelActions() {
  static PanelActions actions;
  return actions;
}
