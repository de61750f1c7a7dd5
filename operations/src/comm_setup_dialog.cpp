#include "operations/comm_setup_dialog.h"

#include "operation_texts.h"
#include "operations/connect_dialog.h"
#include "resources/dialog_templates.h"

CommSetupDialog::CommSetupDialog(std::int32_t& index) : Dialog(DIALOG_COMM_SETUP), portIndex(index) {}

CommSetupDialog::~CommSetupDialog() = default;

void CommSetupDialog::DoDataExchange(DataExchange& exchange) { exchange.Radio(IDC_FIRST_PORT, selectedPort); }

bool CommSetupDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  selectedPort = portIndex;
  UpdateData(false);  // an index outside 0 to 3 leaves every button unchecked
  return true;
}

void CommSetupDialog::OnOK() {
  if (UpdateData(true)) {
    // Stored before the check and kept whatever it finds.
    portIndex = selectedPort;
    ConnectDialog connect(portIndex);
    if (connect.DoModal() == IDOK) MessageBox(MSG_CONNECT_OK);
    // `connect` goes here, after the message: the port is held while it shows.
  }
  Dialog::OnOK();
}
