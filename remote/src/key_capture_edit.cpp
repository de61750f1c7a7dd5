#include "remote/key_capture_edit.h"

#include "remote/remote_keypad_dialog.h"
#include "ui/virtual_keys.h"

KeyCaptureEdit::~KeyCaptureEdit() = default;

void KeyCaptureEdit::SetOwner(RemoteKeypadDialog* dialog) { owner = dialog; }

void KeyCaptureEdit::OnKeyDown(unsigned virtualKey, unsigned repeatCount, unsigned flags) {
  Edit::OnKeyDown(virtualKey, repeatCount, flags);
  // Every key-down sends one frame; the repeat count and flags do not matter.
  const RemoteKey* key = FindRemoteKeyByVirtualKey(virtualKey);
  if (key != nullptr && owner != nullptr) owner->SendKey(key->code);
}

bool KeyCaptureEdit::PreTranslateKeyDown(unsigned virtualKey) {
  if (virtualKey == VK_RETURN || virtualKey == VK_ESCAPE) {
    OnKeyDown(virtualKey, 1, 0);
    return true;
  }
  return Edit::PreTranslateKeyDown(virtualKey);
}
