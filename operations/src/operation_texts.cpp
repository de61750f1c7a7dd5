#include "operation_texts.h"

#include "resources/product.h"
#include "ui/dialog.h"

std::int64_t PortNumber(std::int32_t portIndex) { return std::int64_t{portIndex} + 1; }

std::string OpenPortErrorText(std::int64_t port) {
  return "open port" + std::to_string(port) + " error!";
}

std::string BlocksText(std::uint32_t done, std::uint32_t total) {
  return std::to_string(done) + "/" + std::to_string(total) + " blocks";
}

void DialogRomMessages::ShowMessage(const std::string& text) { dialog.MessageBox(text, PRODUCT_TITLE); }
