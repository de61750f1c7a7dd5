#pragma once
// A modal dialog built from a dialog template. The object is plain: its
// window exists only during DoModal, so dialogs can be globals or members
// constructed before the application starts.

#include <memory>
#include <string>
#include <vector>

#include "resources/product.h"
#include "ui/controls.h"

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class Dialog;

// One data exchange between a dialog's fields and its controls.
class DataExchange {
 public:
  bool FromControls() const { return fromControls; }

  // Binds wrapper to control id (each exchange; binding again is harmless).
  void Control(int id, ControlWrapper& wrapper);
  // The radio group starting at control firstId: the auto radio buttons from
  // firstId in template order until a control with CTL_GROUP or the end.
  // From the controls: index of the checked one, -1 when none is. Towards
  // them: checks button index and clears the others (none when out of range).
  void Radio(int firstId, int& index);

 private:
  friend class Dialog;
  DataExchange(Dialog& target, bool towardsFields) : dialog(target), fromControls(towardsFields) {}
  Dialog& dialog;
  bool fromControls;
};

class Dialog {
 public:
  // owner nullptr: at run time the application's main window owns it (if it
  // has a window); see Application.
  explicit Dialog(int templateId, Dialog* owner = nullptr);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Builds the window, calls OnInitDialog, and unless that ended the dialog
  // shows the window and runs until EndDialog; destroys the window and
  // returns the result. -1 when the template is unknown or a run is going on.
  int DoModal();
  // Hides the window at once; the modal run ends when the current handler
  // returns. Valid only while the window exists.
  void EndDialog(int result);
  bool UpdateData(bool fromControls);

  // Handlers. Buttons and radio buttons reach OnCommand with their id; Esc
  // and the close box reach OnCancel; Enter reaches OnCommand of the focused
  // push button, else of the default push button, else OnOK.
  // A subclass's OnInitDialog calls Dialog::OnInitDialog first (it runs the
  // data exchange towards the controls). true: focus on the first tab stop.
  virtual bool OnInitDialog();
  virtual void OnOK();  // UpdateData(true), then EndDialog(IDOK)
  virtual void OnCancel();  // EndDialog(IDCANCEL)
  virtual void OnCommand(int id);  // IDOK -> OnOK, IDCANCEL -> OnCancel
  virtual void OnTimer(int id);
  virtual void DoDataExchange(DataExchange& exchange);
  // false: Enter on a focused push button is the OK command like anywhere
  // else, so it cannot press that button by accident.
  virtual bool EnterPressesFocusedButton() const { return true; }

  int TemplateId() const;
  Dialog* Owner() const;  // as constructed
  bool HasWindow() const;
  bool IsRunningModal() const;  // inside the modal loop (window shown, not yet ended)

  // Window operations; no-ops (reads give "" or false) without a window.
  void SetCaption(const std::string& text);
  std::string Caption() const;
  void SetControlText(int id, const std::string& text);
  std::string ControlText(int id) const;
  void SetControlFocus(int id);
  void CenterWindow();  // over the owner's window, or on the screen
  void SetVisible(bool visible);
  bool IsVisible() const;
  void SetIcon(int iconId, bool large);  // small or large window icon
  void InvalidateWindow();  // repaint all, background erased

  // Window timers with fixed ids. SetTimer restarts a running id and returns
  // false without a window; KillTimer is harmless for an id not running.
  bool SetTimer(int id, unsigned periodMs);
  void KillTimer(int id);
  bool IsTimerRunning(int id) const;
  std::vector<int> RunningTimers() const;  // ascending

  // A message box owned by this dialog (OK only, no icon). Returns IDOK.
  int MessageBox(const std::string& text, const std::string& caption = PRODUCT_TITLE);

 private:
  friend class DataExchange;
  friend struct DialogAccess;
  struct Impl;
  std::unique_ptr<Impl> impl;
};
