#pragma once
// What the control panel's buttons run. Each function constructs its dialog
// as a fresh object, runs it modally, ignores the result and destroys it.
// Tests replace the whole set with their own.

#include <cstdint>
#include <memory>
#include <string>

class Dialog;

class PanelActions {
 public:
  virtual ~PanelActions();
  virtual void RunSetupComm(std::int32_t& portIndex);
  // The keypad object, not yet run: the panel runs it with itself hidden.
  // nullptr when there is no keypad to run.
  virtual std::unique_ptr<Dialog> MakeRemoteKeypad(std::int32_t& portIndex);
  virtual void RunReadSoftware(std::int32_t& portIndex);
  // romPath: the full path chosen in the panel's open-file dialog.
  virtual void RunUpgradeSoftware(const std::string& romPath, std::int32_t& portIndex);
  virtual void RunAbout();
};

// The program's own actions (one instance for the process).
PanelActions& DefaultPanelActions();
