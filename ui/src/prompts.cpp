#include "ui/prompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include <utility>

#include "ui/dialog.h"
#include "ui/qt_bridge.h"
#include "window_internal.h"

namespace {

class QtPrompts : public Prompts {
 public:
  void ShowMessage(Dialog* owner, const std::string& text, const std::string& caption) override {
    QWidget* parent = owner != nullptr ? DialogAccess::Window(*owner) : nullptr;
    QMessageBox box(QMessageBox::NoIcon, ToQt(caption), CrLfToLf(ToQt(text)), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  }

  std::optional<std::string> ChooseFile(const FileRequest& request) override {
    QWidget* parent = request.owner != nullptr ? DialogAccess::Window(*request.owner) : nullptr;
    QFileDialog dialog(parent, ToQt(request.title));
    // Qt's own dialog: a platform one can hang a modal run under some desktop themes.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(request.kind == FileDialogKind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    const QString filter = ToQt(QtFilterFromFilterString(request.filter));
    if (!filter.isEmpty()) dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(ToQt(request.defaultExtension));
    if (!request.initialName.empty()) dialog.selectFile(ToQt(request.initialName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return FromQt(files.first());
  }
};

QtPrompts g_qtPrompts;
Prompts* g_installed = nullptr;

}  // namespace

Prompts::~Prompts() = default;

Prompts& CurrentPrompts() { return g_installed != nullptr ? *g_installed : g_qtPrompts; }

Prompts* InstallPrompts(Prompts* prompts) { return std::exchange(g_installed, prompts); }

std::string QtFilterFromFilterString(const std::string& filter) {
  // Entries are description|pattern pairs; an empty description ends the list.
  std::vector<std::string> parts;
  std::string current;
  for (char ch : filter) {
    if (ch == '|') {
      parts.push_back(current);
      current.clear();
    } else {
      current += ch;
    }
  }
  if (!current.empty()) parts.push_back(current);
  std::string result;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty()) break;
    std::string patterns = parts[i + 1];
    for (char& ch : patterns) {
      if (ch == ';') ch = ' ';
    }
    if (!result.empty()) result += ";;";
    result += parts[i] + " (" + patterns + ")";
  }
  return result;
}

int MessageBox(const std::string& text, const std::string& caption) {
  CurrentPrompts().ShowMessage(nullptr, text, caption);
  return IDOK;
}

FileDialog::FileDialog(FileRequest fileRequest) : request(std::move(fileRequest)) {}

int FileDialog::DoModal() {
  std::optional<std::string> chosen = CurrentPrompts().ChooseFile(request);
  path = chosen.value_or(std::string());
  return chosen ? IDOK : IDCANCEL;
}

std::string FileDialog::GetPathName() const { return path; }
