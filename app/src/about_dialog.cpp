#include "app/about_dialog.h"

#include <string>

#include "resources/dialog_templates.h"
#include "resources/product.h"

AboutDialog::AboutDialog() : Dialog(DIALOG_ABOUT) {}

void AboutDialog::DoDataExchange(DataExchange& exchange) {
  Dialog::DoDataExchange(exchange);
  exchange.Control(IDC_ABOUT_TITLE, titleLabel);
  exchange.Control(IDC_ABOUT_NOTICE, noticeLabel);
}

bool AboutDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  SetCaption(std::string("About ") + PRODUCT_TITLE);
  titleLabel.SetText(std::string(PRODUCT_TITLE) + "    " + PRODUCT_VERSION);
  noticeLabel.SetText(ABOUT_NOTICE);
  return true;
}
