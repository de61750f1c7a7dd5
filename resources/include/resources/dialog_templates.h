#pragma once
// Dialog templates as data: each dialog's caption, size and controls in tab
// order, with positions and sizes in dialog units.

#include <span>

enum class ControlKind {
  PushButton,
  DefaultPushButton,
  GroupBox,
  AutoRadioButton,
  StaticText,
  Icon,  // text holds the icon's resource number, e.g. "128"
  Edit,
  ProgressBar,
  RaisedFrame,  // static frame with a raised border, no text
};

// Control style flags.
inline constexpr unsigned CTL_TAB_STOP = 0x0001;
inline constexpr unsigned CTL_GROUP = 0x0002;  // starts a new group (radio groups end here)
inline constexpr unsigned CTL_CENTER = 0x0004;
inline constexpr unsigned CTL_READ_ONLY = 0x0008;
inline constexpr unsigned CTL_DISABLED = 0x0010;
inline constexpr unsigned CTL_HIDDEN = 0x0020;
inline constexpr unsigned CTL_MULTI_LINE = 0x0040;
inline constexpr unsigned CTL_WANT_RETURN = 0x0080;
inline constexpr unsigned CTL_AUTO_HSCROLL = 0x0100;
inline constexpr unsigned CTL_BORDER = 0x0200;  // without it an edit or progress bar has no frame
inline constexpr unsigned CTL_NO_PREFIX = 0x0400;  // '&' shown as it stands

// Dialog window style flags.
inline constexpr unsigned DLG_CAPTION = 0x01;
inline constexpr unsigned DLG_SYSTEM_MENU = 0x02;  // gives the window its close box
inline constexpr unsigned DLG_MINIMIZE_BOX = 0x04;
inline constexpr unsigned DLG_MODAL_FRAME = 0x08;

inline constexpr int NO_CONTROL_ID = -1;

struct ControlTemplate {
  int id;  // NO_CONTROL_ID for none
  ControlKind kind;
  const char* text;  // UTF-8
  int x, y, width, height;  // dialog units
  unsigned style;  // CTL_* flags
};

struct DialogTemplate {
  int id;
  const char* caption;  // UTF-8
  int width, height;  // client area, dialog units
  unsigned style;  // DLG_* flags
  const char* fontName;  // UTF-8
  int fontPointSize;
  std::span<const ControlTemplate> controls;  // in tab order
};

inline constexpr int DIALOG_ABOUT = 100;
inline constexpr int DIALOG_CONTROL_PANEL = 140;
inline constexpr int DIALOG_REMOTE_KEYPAD = 141;
inline constexpr int DIALOG_UPGRADE = 171;
inline constexpr int DIALOG_READ = 172;
inline constexpr int DIALOG_COMM_SETUP = 175;
inline constexpr int DIALOG_CONNECT = 176;

// nullptr when no template has that id.
const DialogTemplate* FindDialogTemplate(int id);
std::span<const DialogTemplate> AllDialogTemplates();
