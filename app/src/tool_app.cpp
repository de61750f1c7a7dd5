#include "app/tool_app.h"

#include "app/globals.h"

bool ToolApp::InitInstance() {
  // When the directory's name cannot be read, "." still names it; the empty
  // directory would put the file at the root of the file system.
  g_portSettings.FixConfigPath(ReadWorkingDirectory().value_or("."));
  g_portSettings.Load();
  SetMainWindow(&g_controlPanel);
  g_controlPanel.DoModal();
  g_portSettings.Save();
  return false;
}

void ToolApp::WinHelp(std::uint32_t, std::uint32_t) {}
