#include "remote/remote_keypad_dialog.h"

#include <array>

#include "resources/dialog_templates.h"
#include "resources/product.h"
#include "resources/program_icon.h"

namespace {

struct ComRadio {
  int id;
  int portNumber;
  const char* openError;
};

constexpr std::array<ComRadio, 4> COM_RADIOS = {{
    {IDC_COM1, 1, "open port1 error!"},
    {IDC_COM2, 2, "open port2 error!"},
    {IDC_COM3, 3, "open port3 error!"},
    {IDC_COM4, 4, "open port4 error!"},
}};

}  // namespace

RemoteKeypadDialog::RemoteKeypadDialog(std::int32_t& savedPortIndex, Dialog* parent)
    : Dialog(DIALOG_REMOTE_KEYPAD, parent), portIndex(savedPortIndex) {}

RemoteKeypadDialog::~RemoteKeypadDialog() = default;

void RemoteKeypadDialog::DoDataExchange(DataExchange& exchange) {
  exchange.Control(IDC_KEY_CAPTURE, keyEdit);
  exchange.Radio(IDC_COM1, selectedPort);
}

bool RemoteKeypadDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  SetIcon(PROGRAM_ICON_ID, false);
  keyFrame = MakeKeyFrame(0);
  keyEdit.SetText(KEYPAD_HELP_TEXT);
  SetCaption(PRODUCT_TITLE);
  CenterWindow();
  selectedPort = portIndex;
  keyEdit.SetOwner(this);
  UpdateData(false);
  // No binary-mode call and no frame: the keypad only ever sends keys.
  OpenSavedPort();
  return true;  // the focus goes to the capture field, the first tab stop
}

void RemoteKeypadDialog::OnOK() {}

void RemoteKeypadDialog::OnCancel() { Dialog::OnCancel(); }

void RemoteKeypadDialog::OnCommand(int id) {
  if (const RemoteKey* key = FindRemoteKeyByButton(id)) {
    SendKey(key->code);
    return;
  }
  for (const ComRadio& radio : COM_RADIOS) {
    if (radio.id == id) {
      SelectComPort(radio.portNumber);
      return;
    }
  }
  Dialog::OnCommand(id);
}

void RemoteKeypadDialog::SendKey(RemoteKeyCode code) {
  keyFrame.code = code;
  const FrameBytes bytes = keyFrame.Bytes();
  // A closed port writes nothing; a failed or short write is not reported.
  channel.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void RemoteKeypadDialog::SelectComPort(int portNumber) {
  UpdateData(true);
  // Stored before the open and whatever it gives, so the other dialogs use the chosen port.
  portIndex = selectedPort;
  if (channel.Open(portNumber, KEYPAD_BAUD)) return;
  for (const ComRadio& radio : COM_RADIOS) {
    if (radio.portNumber == portNumber) MessageBox(radio.openError, PRODUCT_TITLE);
  }
}

void RemoteKeypadDialog::OpenSavedPort() {
  if (selectedPort >= 0 && selectedPort <= 3) SelectComPort(selectedPort + 1);
}
