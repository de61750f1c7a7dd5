#include "ui/controls.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>

#include "ui/qt_bridge.h"
#include "ui/virtual_keys.h"
#include "window_internal.h"

namespace {
constexpr const char* RAW_TEXT = "morvaneText";

QString StaticShown(const QString& text, unsigned style) {
  if (style & CTL_NO_PREFIX) return text;
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (i + 1 < text.size() && text[i + 1] == u'&') {
        shown += u'&';
        ++i;
      }
      continue;
    }
    shown += text[i];
  }
  return shown;
}
}  // namespace

QString ToQt(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }

QString CrLfToLf(const QString& text) {
  QString copy = text;
  copy.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return copy;
}

void SetSlotText(ControlSlot& slot, const std::string& utf8) {
  QWidget* w = slot.widget;
  if (w == nullptr) return;
  const QString text = ToQt(utf8);
  w->setProperty(RAW_TEXT, text);
  switch (slot.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::AutoRadioButton:
      static_cast<QAbstractButton*>(w)->setText(text);
      break;
    case ControlKind::GroupBox:
      static_cast<QGroupBox*>(w)->setTitle(text);
      break;
    case ControlKind::StaticText:
      static_cast<QLabel*>(w)->setText(StaticShown(text, slot.style));
      break;
    case ControlKind::Edit:
      if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
        e->setPlainText(CrLfToLf(text));
      } else if (auto* l = qobject_cast<QLineEdit*>(w)) {
        l->setText(text);
      }
      break;
    case ControlKind::Icon:
    case ControlKind::ProgressBar:
    case ControlKind::RaisedFrame:
      break;  // the text is kept but not shown, as for the window text of such controls
  }
}

std::string WidgetText(const QWidget* w) {
  if (w == nullptr) return {};
  if (auto* e = qobject_cast<const QPlainTextEdit*>(w)) {
    QString text = e->toPlainText();
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return FromQt(text);
  }
  if (auto* l = qobject_cast<const QLineEdit*>(w)) return FromQt(l->text());
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) return FromQt(b->text());
  if (auto* g = qobject_cast<const QGroupBox*>(w)) return FromQt(g->title());
  return FromQt(w->property(RAW_TEXT).toString());
}

void NotifyKeyDown(ControlSlot& slot, const QKeyEvent& event) {
  if (slot.edit == nullptr) return;
  const unsigned vk = VirtualKeyFromQtKey(event.key(), static_cast<unsigned>(event.modifiers().toInt()));
  const unsigned repeat = static_cast<unsigned>(std::max(1, event.count()));
  slot.edit->OnKeyDown(vk, repeat, event.isAutoRepeat() ? KEY_FLAG_REPEAT : 0u);
}

void LineEditWidget::keyPressEvent(QKeyEvent* event) {
  QLineEdit::keyPressEvent(event);
  NotifyKeyDown(slot, *event);
}

void TextEditWidget::keyPressEvent(QKeyEvent* event) {
  QPlainTextEdit::keyPressEvent(event);
  if (slot.TakesReturn()) event->accept();  // keeps every key, Enter included, from the dialog
  NotifyKeyDown(slot, *event);
}

// ---------------------------------------------------------------------------

ControlWrapper::ControlWrapper() = default;
ControlWrapper::~ControlWrapper() = default;

void ControlWrapper::Attach(const std::shared_ptr<ControlSlot>& s) { slot = s; }

std::shared_ptr<ControlSlot> ControlWrapper::Slot() const {
  auto s = slot.lock();
  return (s && s->widget != nullptr) ? s : nullptr;
}

bool ControlWrapper::IsAttached() const { return Slot() != nullptr; }

int ControlWrapper::Id() const {
  auto s = Slot();
  return s ? s->id : NO_CONTROL_ID;
}

void ControlWrapper::Show(bool show) {
  if (auto s = Slot()) s->widget->setVisible(show);
}

bool ControlWrapper::IsVisible() const {
  auto s = Slot();
  // Visible as the control's own style says, even while the dialog is not yet shown.
  return s && !s->widget->isHidden();
}

void ControlWrapper::Enable(bool enable) {
  if (auto s = Slot()) s->widget->setEnabled(enable);
}

bool ControlWrapper::IsEnabled() const {
  auto s = Slot();
  return s && s->widget->isEnabled();
}

void ControlWrapper::SetFocus() {
  if (auto s = Slot()) s->widget->setFocus(Qt::OtherFocusReason);
}

void ControlWrapper::Repaint() {
  if (auto s = Slot()) s->widget->repaint();
}

void ControlWrapper::SetText(const std::string& text) {
  if (auto s = Slot()) SetSlotText(*s, text);
}

std::string ControlWrapper::Text() const {
  auto s = Slot();
  return s ? WidgetText(s->widget) : std::string();
}

void ProgressBar::SetPos(int pos) {
  auto s = Slot();
  if (!s) return;
  if (auto* p = qobject_cast<QProgressBar*>(s->widget)) p->setValue(std::clamp(pos, p->minimum(), p->maximum()));
}

int ProgressBar::Pos() const {
  auto s = Slot();
  if (!s) return 0;
  auto* p = qobject_cast<QProgressBar*>(s->widget);
  return p ? p->value() : 0;
}

bool Button::IsChecked() const {
  auto s = Slot();
  if (!s) return false;
  auto* b = qobject_cast<QAbstractButton*>(s->widget);
  return b != nullptr && b->isChecked();
}

void Button::SetChecked(bool checked) {
  auto s = Slot();
  if (!s) return;
  if (auto* b = qobject_cast<QAbstractButton*>(s->widget)) b->setChecked(checked);
}

Edit::~Edit() {
  if (auto s = Slot(); s && s->edit == this) s->edit = nullptr;
}

void Edit::Attach(const std::shared_ptr<ControlSlot>& s) {
  ControlWrapper::Attach(s);
  if (s && s->kind == ControlKind::Edit) s->edit = this;
}

void Edit::OnKeyDown(unsigned, unsigned, unsigned) {}
bool Edit::PreTranslateKeyDown(unsigned) { return false; }
