#pragma once
// The layer's Qt side of a running dialog: the window, its controls and the
// record that ties each control widget to its template entry.

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "resources/dialog_templates.h"

class Dialog;
class Edit;
class QButtonGroup;

struct ControlSlot {
  int id = NO_CONTROL_ID;
  ControlKind kind = ControlKind::StaticText;
  unsigned style = 0;
  QWidget* widget = nullptr;  // nullptr once the window is gone
  QButtonGroup* radioGroup = nullptr;
  Edit* edit = nullptr;  // the bound Edit wrapper, for its key hooks

  bool TakesReturn() const {
    return kind == ControlKind::Edit && (style & CTL_MULTI_LINE) && (style & CTL_WANT_RETURN);
  }
};

QString ToQt(const std::string& utf8);
std::string FromQt(const QString& text);
QFont DialogFont(const char* fontName, int pointSize);
QIcon ProgramIcon();
QString CrLfToLf(const QString& text);
void SetSlotText(ControlSlot& slot, const std::string& text);

// Calls the bound edit's OnKeyDown after the widget's own processing.
void NotifyKeyDown(ControlSlot& slot, const QKeyEvent& event);

class LineEditWidget : public QLineEdit {
 public:
  LineEditWidget(ControlSlot& record, QWidget* parent) : QLineEdit(parent), slot(record) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ControlSlot& slot;
};

class TextEditWidget : public QPlainTextEdit {
 public:
  TextEditWidget(ControlSlot& record, QWidget* parent) : QPlainTextEdit(parent), slot(record) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ControlSlot& slot;
};

class DialogWindow : public QDialog {
 public:
  using Controls = std::vector<std::shared_ptr<ControlSlot>>;
  DialogWindow(Dialog& owner, const Controls& records, QWidget* parent, Qt::WindowFlags flags)
      : QDialog(parent, flags), dialog(owner), controls(records) {}

  ControlSlot* SlotOf(const QObject* widget) const;

  void done(int result) override;
  void reject() override;
  void accept() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Dialog& dialog;
  const Controls& controls;
};
