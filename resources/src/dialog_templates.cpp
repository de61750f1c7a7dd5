#include "resources/dialog_templates.h"

#include <array>

namespace {

using K = ControlKind;

constexpr const char* DIALOG_FONT = "宋体";
constexpr int DIALOG_FONT_POINTS = 9;

constexpr int NONE = NO_CONTROL_ID;
constexpr int OK_ID = 1;
constexpr int CANCEL_ID = 2;
constexpr unsigned TAB = CTL_TAB_STOP;
constexpr unsigned GROUP = CTL_GROUP;

//                id      kind                  text                x    y    w    h   style
constexpr std::array ABOUT_CONTROLS = {
    ControlTemplate{NONE,  K::Icon,              "128",              11,  12,  20,  20, 0},
    ControlTemplate{1085,  K::StaticText,        "Morvane 1.0",      40,  10, 180,   8, CTL_NO_PREFIX},
    ControlTemplate{1086,  K::StaticText,        "",                 40,  25, 165,   8, 0},
    ControlTemplate{OK_ID, K::DefaultPushButton, "OK",              218,  25,  50,  14, TAB},
};

constexpr std::array CONTROL_PANEL_CONTROLS = {
    ControlTemplate{NONE,      K::RaisedFrame, "",                   15,  13, 337, 162, 0},
    ControlTemplate{1111,      K::GroupBox,    "Control Panel",      23,  21, 323, 136, 0},
    ControlTemplate{1106,      K::PushButton,  "&Setup Comm",        51,  54,  72,  26, TAB},
    ControlTemplate{1078,      K::PushButton,  "&Keyboard Control",  51, 102,  72,  26, TAB},
    ControlTemplate{1108,      K::PushButton,  "&Read Software",    144,  54,  72,  26, TAB},
    ControlTemplate{1107,      K::PushButton,  "&Upgrade Software", 235,  54,  72,  26, TAB},
    ControlTemplate{CANCEL_ID, K::PushButton,  "&Exit",             235, 102,  72,  26, TAB},
    ControlTemplate{3,         K::PushButton,  "&About",            144, 102,  72,  26, TAB},
};

// The capture edit comes first so that it is the first tab stop; the key
// buttons follow in the order of their key codes 0 to 31.
constexpr std::array REMOTE_KEYPAD_CONTROLS = {
    ControlTemplate{1076,      K::Edit,            "",          20, 120, 205, 170,
                    TAB | CTL_MULTI_LINE | CTL_READ_ONLY | CTL_WANT_RETURN | CTL_AUTO_HSCROLL | CTL_BORDER},
    ControlTemplate{CANCEL_ID, K::PushButton,      "close",     20,  10,  50,  14, TAB},
    ControlTemplate{NONE,      K::GroupBox,        "Comport",   20,  35,  80,  70, 0},
    ControlTemplate{1070,      K::AutoRadioButton, "Com 1",     32,  48,  36,  10, TAB | GROUP},
    ControlTemplate{1071,      K::AutoRadioButton, "Com 2",     32,  62,  36,  10, 0},
    ControlTemplate{1074,      K::AutoRadioButton, "Com 3",     32,  77,  36,  10, 0},
    ControlTemplate{1075,      K::AutoRadioButton, "Com 4",     32,  91,  36,  10, 0},
    ControlTemplate{1089,      K::PushButton,      "MUTE",     380,  84,  30,  14, TAB},          //  0
    ControlTemplate{1083,      K::PushButton,      "TEXT",     326,  36,  30,  14, TAB},          //  1
    ControlTemplate{1090,      K::PushButton,      "CH▲",      326, 101,  30,  14, TAB},          //  2
    ControlTemplate{1096,      K::PushButton,      "EXIT",     380, 176,  30,  14, TAB},          //  3
    ControlTemplate{1099,      K::PushButton,      "SAT/TV",   372, 206,  40,  14, TAB},          //  4
    ControlTemplate{1092,      K::PushButton,      "VOL-->",   380, 126,  30,  14, TAB},          //  5
    ControlTemplate{1091,      K::PushButton,      "OK",       326, 126,  30,  14, TAB},          //  6
    ControlTemplate{1093,      K::PushButton,      "<--VOL",   270, 126,  30,  14, TAB},          //  7
    ControlTemplate{1097,      K::PushButton,      "RECALL",   270, 206,  40,  14, TAB},          //  8
    ControlTemplate{1082,      K::PushButton,      "PAUSE",    270,  36,  30,  14, TAB},          //  9
    ControlTemplate{1094,      K::PushButton,      "CH▼",      326, 151,  30,  14, TAB},          // 10
    ControlTemplate{1084,      K::PushButton,      "UHF",      380,  36,  30,  14, TAB},          // 11
    ControlTemplate{1086,      K::PushButton,      "FAV▼",     326,  60,  30,  14, TAB},          // 12
    ControlTemplate{1085,      K::PushButton,      "FAV▲",     270,  60,  30,  14, TAB},          // 13
    ControlTemplate{1110,      K::PushButton,      "0",        322, 308,  40,  14, TAB},          // 14
    ControlTemplate{1108,      K::PushButton,      "9",        372, 282,  40,  14, TAB},          // 15
    ControlTemplate{1107,      K::PushButton,      "8",        322, 282,  40,  14, TAB},          // 16
    ControlTemplate{1106,      K::PushButton,      "&7",       270, 282,  40,  14, TAB},          // 17
    ControlTemplate{1105,      K::PushButton,      "6",        372, 256,  40,  14, TAB},          // 18
    ControlTemplate{1104,      K::PushButton,      "5",        322, 256,  40,  14, TAB},          // 19
    ControlTemplate{1103,      K::PushButton,      "4",        270, 256,  40,  14, TAB},          // 20
    ControlTemplate{1102,      K::PushButton,      "3",        372, 232,  40,  14, TAB},          // 21
    ControlTemplate{1101,      K::PushButton,      "2",        322, 232,  40,  14, TAB},          // 22
    ControlTemplate{1100,      K::PushButton,      "1",        270, 232,  40,  14, TAB},          // 23
    ControlTemplate{1080,      K::PushButton,      "POWER⊙",   270,  14,  30,  14, TAB},          // 24
    ControlTemplate{1098,      K::PushButton,      "TV/RADIO", 322, 206,  40,  14, TAB},          // 25
    ControlTemplate{1088,      K::PushButton,      "AUDIO",    270,  84,  30,  14, TAB},          // 26
    ControlTemplate{1081,      K::PushButton,      "INFO",     380,  14,  30,  14, TAB},          // 27
    ControlTemplate{1087,      K::PushButton,      "FAV",      380,  60,  30,  14, TAB},          // 28
    ControlTemplate{1095,      K::PushButton,      "MENU",     270, 176,  30,  14, TAB},          // 29
    ControlTemplate{1111,      K::PushButton,      "EPG",      372, 308,  40,  14, TAB},          // 30
    ControlTemplate{1109,      K::PushButton,      "P/N/S",    270, 308,  40,  14, TAB},          // 31
};

constexpr std::array UPGRADE_CONTROLS = {
    ControlTemplate{NONE,      K::GroupBox,    "",        6,  5, 287, 34, 0},
    ControlTemplate{1087,      K::Edit,        "",       15,  5,  57, 12, CTL_CENTER | CTL_READ_ONLY | CTL_DISABLED},
    ControlTemplate{1057,      K::ProgressBar, "",       11, 20, 274, 11, CTL_BORDER},
    ControlTemplate{1093,      K::StaticText,
                    "Dont' power off during Saving Data.... The Receiver will Auto Reboot！",
                                                         10, 20, 282, 15, CTL_CENTER | CTL_HIDDEN},
    ControlTemplate{CANCEL_ID, K::PushButton,  "Cancel", 122, 44,  50, 14, TAB | GROUP},
};

constexpr std::array READ_CONTROLS = {
    ControlTemplate{NONE,      K::GroupBox,    "",        6,  5, 288, 34, 0},
    ControlTemplate{1087,      K::Edit,        "",       15,  5,  57, 12,
                    CTL_READ_ONLY | CTL_CENTER | CTL_AUTO_HSCROLL | CTL_DISABLED},
    ControlTemplate{1057,      K::ProgressBar, "",       11, 20, 274, 11, CTL_BORDER},
    ControlTemplate{CANCEL_ID, K::PushButton,  "Cancel", 122, 44,  50, 14, TAB | GROUP},
};

// Radio buttons on the left inside the group box, the icon and the two
// buttons in a column on the right.
constexpr std::array COMM_SETUP_CONTROLS = {
    ControlTemplate{NONE,      K::GroupBox,          "Select a port",  10,  8, 110, 82, 0},
    ControlTemplate{1070,      K::AutoRadioButton,   "Com 1",          24, 23,  50, 10, TAB | GROUP},
    ControlTemplate{1071,      K::AutoRadioButton,   "Com 2",          24, 39,  50, 10, 0},
    ControlTemplate{1074,      K::AutoRadioButton,   "Com 3",          24, 55,  50, 10, 0},
    ControlTemplate{1075,      K::AutoRadioButton,   "Com 4",          24, 71,  50, 10, 0},
    ControlTemplate{NONE,      K::Icon,              "128",           150, 12,  20, 20, 0},
    ControlTemplate{OK_ID,     K::DefaultPushButton, "OK",            134, 52,  50, 14, TAB},
    ControlTemplate{CANCEL_ID, K::PushButton,        "Cancel",        134, 72,  50, 14, TAB},
};

constexpr std::array CONNECT_CONTROLS = {
    ControlTemplate{1057, K::ProgressBar, "",                 10, 22, 162, 11, CTL_BORDER},
    ControlTemplate{NONE, K::StaticText,  "Connecting .....", 10,  8, 162,  8, 0},
};

constexpr unsigned MODAL = DLG_CAPTION | DLG_MODAL_FRAME;

constexpr std::array TEMPLATES = {
    DialogTemplate{DIALOG_ABOUT, "About", 275, 51, MODAL | DLG_SYSTEM_MENU,
                   DIALOG_FONT, DIALOG_FONT_POINTS, ABOUT_CONTROLS},
    DialogTemplate{DIALOG_CONTROL_PANEL, "Control Panel", 367, 193,
                   MODAL | DLG_SYSTEM_MENU | DLG_MINIMIZE_BOX,
                   DIALOG_FONT, DIALOG_FONT_POINTS, CONTROL_PANEL_CONTROLS},
    DialogTemplate{DIALOG_REMOTE_KEYPAD, "Morvane 1.0", 462, 349,
                   MODAL | DLG_SYSTEM_MENU | DLG_MINIMIZE_BOX,
                   DIALOG_FONT, DIALOG_FONT_POINTS, REMOTE_KEYPAD_CONTROLS},
    DialogTemplate{DIALOG_UPGRADE, "Upgrade Receiver Software", 301, 65, MODAL,
                   DIALOG_FONT, DIALOG_FONT_POINTS, UPGRADE_CONTROLS},
    DialogTemplate{DIALOG_READ, "Read Receiver Software", 301, 65, MODAL,
                   DIALOG_FONT, DIALOG_FONT_POINTS, READ_CONTROLS},
    DialogTemplate{DIALOG_COMM_SETUP, "Communication Setup", 195, 99, MODAL,
                   DIALOG_FONT, DIALOG_FONT_POINTS, COMM_SETUP_CONTROLS},
    DialogTemplate{DIALOG_CONNECT, "Connect to the receiver", 182, 43, MODAL,
                   DIALOG_FONT, DIALOG_FONT_POINTS, CONNECT_CONTROLS},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate& t : TEMPLATES) {
    if (t.id == id) return &t;
  }
  return nullptr;
}

std::span<const DialogTemplate> AllDialogTemplates() { return TEMPLATES; }
