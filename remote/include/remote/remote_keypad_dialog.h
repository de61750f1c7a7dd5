#pragma once
// The on-screen remote control (dialog template 141): 32 key buttons, the
// "Comport" radio group that chooses and opens COM1 to COM4, and a capture
// field that turns PC keys into remote keys. Each key goes out as one 12-byte
// key frame; nothing is awaited or read back.

#include <cstdint>

#include "link/command_frame.h"
#include "link/receiver_channel.h"
#include "remote/key_capture_edit.h"
#include "remote/remote_keys.h"
#include "ui/dialog.h"

inline constexpr int IDC_KEY_CAPTURE = 1076;
inline constexpr int IDC_COM1 = 1070;
inline constexpr int IDC_COM2 = 1071;
inline constexpr int IDC_COM3 = 1074;
inline constexpr int IDC_COM4 = 1075;

inline constexpr std::uint32_t KEYPAD_BAUD = 115200;

// The capture field's help text: ten lines, each ended by CR LF.
inline constexpr const char* KEYPAD_HELP_TEXT =
    "Set the Focus on me！\r\n"
    "And then Press the key as follow：\r\n"
    "\r\n"
    "KEY 'Left'  equal 'VOL left' key\r\n"
    "KEY 'Right' equal 'VOL right' key\r\n"
    "KEY 'Up'    equal 'CH up' key\r\n"
    "KEY 'Down'  equal 'CH down' key\r\n"
    "KEY 'Space' equal 'MENU' key\r\n"
    "KEY 'Enter' equal 'OK' key\r\n"
    "KEY 'Esc' or 'Delete' equal 'EXIT' key\r\n";

class RemoteKeypadDialog : public Dialog {
 public:
  // portIndex: the saved port setting (0 to 3 for COM1 to COM4); read when
  // the dialog starts and written on every radio click.
  explicit RemoteKeypadDialog(std::int32_t& portIndex, Dialog* parent = nullptr);
  ~RemoteKeypadDialog() override;

  // Writes one key frame with `code`; the result is not looked at.
  void SendKey(RemoteKeyCode code);
  // Stores the checked radio button's index into the port setting, then
  // opens COM portNumber (1 to 4); a failed open is reported and the dialog
  // stays usable.
  void SelectComPort(int portNumber);
  // SelectComPort for the saved index when it is 0 to 3; nothing otherwise.
  void OpenSavedPort();

  bool OnInitDialog() override;
  void OnOK() override;  // does nothing: Enter never ends the keypad
  // Enter on a focused button, "close" included, is the OK command too.
  bool EnterPressesFocusedButton() const override { return false; }
  void OnCancel() override;
  void OnCommand(int id) override;
  void DoDataExchange(DataExchange& exchange) override;

 private:
  ReceiverChannel channel;
  KeyFrame keyFrame;
  KeyCaptureEdit keyEdit;
  std::int32_t selectedPort = -1;
  std::int32_t& portIndex;
};
