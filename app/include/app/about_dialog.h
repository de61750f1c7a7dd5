#pragma once
// The About box (template 100): product title and version, a one-line notice
// and the program icon. OK, Esc and the close box close it.

#include "ui/controls.h"
#include "ui/dialog.h"

inline constexpr int IDC_ABOUT_TITLE = 1085;
inline constexpr int IDC_ABOUT_NOTICE = 1086;
inline constexpr const char* ABOUT_NOTICE = "Satellite receiver service over RS-232";

class AboutDialog : public Dialog {
 public:
  AboutDialog();

  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& exchange) override;

  StaticText titleLabel;
  StaticText noticeLabel;
};
