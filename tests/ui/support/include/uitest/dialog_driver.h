#pragma once
// Drives dialogs of the layer in tests without Qt code in the test: runs a
// modal run while acting inside it, clicks controls, presses keys and reads
// controls by id. All helpers act on the dialog's current window and return
// false / "" / -1 when it has none or the control does not exist.

#include <functional>
#include <string>

#include "ui/dialog.h"
#include "ui/virtual_keys.h"

namespace uitest {

// Runs dialog.DoModal(). Once its modal loop is running, calls during() inside
// it (not at all when the dialog ends before it is shown). If the dialog is
// still running timeoutMs after its loop started, the test fails and any box
// or dialog above it, then the dialog itself, is ended. Returns DoModal's result.
int RunModal(Dialog& dialog, const std::function<void()>& during = {}, int timeoutMs = 10000);

// Queues an action for the next dialog with template templateId whose modal
// loop starts, e.g. the one a button opens from inside RunModal. Actions run
// in the order queued; the same timeout rule as RunModal applies.
void WhenModal(int templateId, std::function<void(Dialog&)> action, int timeoutMs = 10000);
// Forgets queued actions that never ran; returns how many there were.
int ClearPendingModalActions();

// Clicks a visible, enabled button or radio button (its click handler runs).
bool Click(Dialog& dialog, int id);
// Presses (and releases) a key on the widget that has the focus in the
// dialog's window, or on the window itself when none has it.
bool PressKey(Dialog& dialog, unsigned virtualKey, bool autoRepeat = false);
// Gives control id the focus, then presses the key on it.
bool PressKeyOn(Dialog& dialog, int id, unsigned virtualKey, bool autoRepeat = false);
// The window's close box.
bool ClickCloseBox(Dialog& dialog);

std::string Text(const Dialog& dialog, int id);
bool IsChecked(const Dialog& dialog, int id);
bool IsShown(const Dialog& dialog, int id);  // not hidden (even while the window is not up)
bool IsEnabled(const Dialog& dialog, int id);
int ProgressPos(const Dialog& dialog, int id);
int FocusedId(const Dialog& dialog);  // -1 when no control has the focus
bool IsWindowShown(const Dialog& dialog);
// Geometry of a control in pixels, relative to the window's client area.
struct Rect {
  int x, y, width, height;
};
Rect ControlRect(const Dialog& dialog, int id);
Rect ClientSize(const Dialog& dialog);  // x = y = 0
// The dialog whose window owns this one's; nullptr when it stands alone.
bool IsOwnedByWindowOf(const Dialog& dialog, const Dialog& owner);
bool StandsAlone(const Dialog& dialog);  // no owner window: its own task-bar entry
bool IsBlockedByModal(const Dialog& dialog);  // visible but takes no input while another runs

// Processes events for ms of real time (for the few end-to-end waits).
void ProcessEventsFor(int ms);

}  // namespace uitest
