#pragma once
// Message boxes and file dialogs go through one replaceable interface, so a
// test can answer them and read what was asked.

#include <optional>
#include <string>

#include "resources/product.h"

class Dialog;

enum class FileDialogKind { Open, Save };

struct FileRequest {
  FileDialogKind kind = FileDialogKind::Open;
  std::string title;
  std::string filter;  // "description|pattern|...||", patterns separated by ';'
  std::string initialName;
  std::string defaultExtension;
  bool confirmOverwrite = false;
  bool fileMustExist = false;
  bool hideReadOnly = false;
  Dialog* owner = nullptr;
};

class Prompts {
 public:
  virtual ~Prompts();
  // Modal; OK only, no icon. owner may be nullptr.
  virtual void ShowMessage(Dialog* owner, const std::string& text, const std::string& caption) = 0;
  // The chosen full path, or nothing when cancelled.
  virtual std::optional<std::string> ChooseFile(const FileRequest& request) = 0;
};

// The installed prompts, or the Qt ones when none is installed.
Prompts& CurrentPrompts();
// Installs prompts (nullptr: the Qt ones again); returns the previous one
// (nullptr when it was the Qt one).
Prompts* InstallPrompts(Prompts* prompts);

// "rom image file(*.bin)|*.bin||" -> "rom image file(*.bin) (*.bin)";
// several entries are joined with ";;".
std::string QtFilterFromFilterString(const std::string& filter);

// A message box without owner. Returns IDOK.
int MessageBox(const std::string& text, const std::string& caption = PRODUCT_TITLE);

class FileDialog {
 public:
  explicit FileDialog(FileRequest fileRequest);
  int DoModal();  // IDOK with a path chosen, else IDCANCEL
  std::string GetPathName() const;  // full path; "" before or after a cancel
  const FileRequest& Request() const { return request; }

 private:
  FileRequest request;
  std::string path;
};
