#pragma once
// The application object: the whole program run is InitInstance.

#include <cstdint>

#include "ui/application.h"

class ToolApp : public Application {
 public:
  ToolApp() = default;

  // Fixes the settings path from the working directory, loads the port index,
  // runs the control panel, saves the port index. Always false: the program
  // ends when the panel has closed.
  bool InitInstance() override;
  // Help is switched off: F1 and the Help command end here and do nothing.
  virtual void WinHelp(std::uint32_t data, std::uint32_t command);
};
