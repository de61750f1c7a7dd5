#pragma once
// The keypad's PC-key capture field: every key press it receives, auto-repeat
// included, that stands for a remote key is sent as that key. Enter and Esc
// are taken before the dialog sees them, so they neither press a button nor
// close the dialog.

#include "remote/remote_keys.h"
#include "ui/controls.h"

class RemoteKeypadDialog;

class KeyCaptureEdit : public Edit {
 public:
  ~KeyCaptureEdit() override;

  // The dialog whose SendKey the keys go to (not owned).
  void SetOwner(RemoteKeypadDialog* dialog);

  // After the edit's own processing: sends the key the PC key stands for.
  void OnKeyDown(unsigned virtualKey, unsigned repeatCount, unsigned flags) override;
  // Enter and Esc go to OnKeyDown and are reported handled.
  bool PreTranslateKeyDown(unsigned virtualKey) override;

 private:
  RemoteKeypadDialog* owner = nullptr;
};
