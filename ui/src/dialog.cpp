#include "ui/dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <map>
#include <set>

#include "resources/program_icon.h"
#include "ui/application.h"
#include "ui/dialog_units.h"
#include "ui/prompts.h"
#include "ui/qt_bridge.h"
#include "ui/virtual_keys.h"
#include "window_internal.h"

namespace {

ModalObserver g_modalObserver = nullptr;

bool IsPushButton(const ControlSlot& slot) {
  return slot.kind == ControlKind::PushButton || slot.kind == ControlKind::DefaultPushButton;
}

bool IsButtonKind(ControlKind kind) {
  return kind == ControlKind::PushButton || kind == ControlKind::DefaultPushButton ||
         kind == ControlKind::AutoRadioButton;
}


}  // namespace

void SetModalObserver(ModalObserver observer) { g_modalObserver = observer; }

// ---------------------------------------------------------------------------

struct Dialog::Impl {
  int templateId;
  Dialog* owner;
  const DialogTemplate* tmpl = nullptr;
  std::unique_ptr<DialogWindow> window;
  DialogWindow::Controls controls;
  std::map<int, QTimer*> timers;
  std::set<int> pendingTicks;
  QEventLoop* loop = nullptr;
  bool ended = false;
  bool running = false;
  int result = 0;

  Impl(int id, Dialog* ownerDialog) : templateId(id), owner(ownerDialog) {}

  ControlSlot* Find(int id) const {
    for (const auto& slot : controls) {
      if (slot->id == id) return slot.get();
    }
    return nullptr;
  }

  void Build(Dialog& dialog, QWidget* parent);
  void Destroy();
};

void Dialog::Impl::Build(Dialog& dialog, QWidget* parent) {
  const DialogTemplate& t = *tmpl;
  // A dialog with an owner window is that window's transient child; one
  // without is a window of its own, with its own task-bar entry.
  Qt::WindowFlags flags = (parent ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint;
  if (t.style & DLG_CAPTION) flags |= Qt::WindowTitleHint;
  if (t.style & DLG_SYSTEM_MENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (t.style & DLG_MINIMIZE_BOX) flags |= Qt::WindowMinimizeButtonHint;
  window = std::make_unique<DialogWindow>(dialog, controls, parent, flags);
  DialogWindow* w = window.get();

  const QFont font = DialogFont(t.fontName, t.fontPointSize);
  w->setFont(font);
  const DialogBaseUnits base = MeasureDialogBaseUnits(t.fontName, t.fontPointSize);
  auto px = [&](int du) { return DialogUnitsToPixelsX(du, base); };
  auto py = [&](int du) { return DialogUnitsToPixelsY(du, base); };
  w->setFixedSize(px(t.width), py(t.height));
  w->setWindowTitle(ToQt(t.caption));
  w->installEventFilter(w);

  QButtonGroup* group = nullptr;
  for (const ControlTemplate& c : t.controls) {
    auto slot = std::make_shared<ControlSlot>();
    slot->id = c.id;
    slot->kind = c.kind;
    slot->style = c.style;
    const QString text = ToQt(c.text);
    QWidget* widget = nullptr;
    switch (c.kind) {
      case ControlKind::PushButton:
      case ControlKind::DefaultPushButton: {
        auto* b = new QPushButton(text, w);
        // Enter is handled by the dialog's own rules, never by Qt's default-button logic.
        b->setAutoDefault(false);
        b->setDefault(c.kind == ControlKind::DefaultPushButton);
        widget = b;
        break;
      }
      case ControlKind::AutoRadioButton: {
        auto* r = new QRadioButton(text, w);
        r->setAutoExclusive(false);
        if (!group || (c.style & CTL_GROUP)) {
          group = new QButtonGroup(w);
          group->setExclusive(true);
        }
        group->addButton(r);
        slot->radioGroup = group;
        widget = r;
        break;
      }
      case ControlKind::GroupBox:
        widget = new QGroupBox(text, w);
        break;
      case ControlKind::StaticText: {
        auto* l = new QLabel(w);
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        l->setAlignment((c.style & CTL_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        widget = l;
        break;
      }
      case ControlKind::Icon: {
        auto* l = new QLabel(w);
        if (text.toInt() == PROGRAM_ICON_ID) {
          l->setPixmap(ProgramIcon().pixmap(PROGRAM_ICON_SIZE, PROGRAM_ICON_SIZE));
        }
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = l;
        break;
      }
      case ControlKind::Edit: {
        if (c.style & CTL_MULTI_LINE) {
          auto* e = new TextEditWidget(*slot, w);
          e->setReadOnly(c.style & CTL_READ_ONLY);
          if (c.style & CTL_READ_ONLY) {
            e->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
          }
          e->setTabChangesFocus(true);
          e->setLineWrapMode((c.style & CTL_AUTO_HSCROLL) ? QPlainTextEdit::NoWrap
                                                           : QPlainTextEdit::WidgetWidth);
          if (!(c.style & CTL_BORDER)) e->setFrameShape(QFrame::NoFrame);
          e->setPlainText(CrLfToLf(text));
          widget = e;
        } else {
          auto* e = new LineEditWidget(*slot, w);
          e->setReadOnly(c.style & CTL_READ_ONLY);
          e->setFrame(c.style & CTL_BORDER);
          if (c.style & CTL_CENTER) e->setAlignment(Qt::AlignCenter);
          if (c.style & CTL_READ_ONLY) {
            // A read-only edit shows the dialog's background, so it can sit on a group box's edge.
            QPalette palette = e->palette();
            palette.setColor(QPalette::Base, palette.color(QPalette::Window));
            e->setPalette(palette);
          }
          e->setText(text);
          widget = e;
        }
        break;
      }
      case ControlKind::ProgressBar: {
        auto* p = new QProgressBar(w);
        p->setRange(0, 100);
        p->setValue(0);
        p->setTextVisible(false);
        widget = p;
        break;
      }
      case ControlKind::RaisedFrame: {
        auto* f = new QFrame(w);
        f->setFrameStyle(QFrame::Panel | QFrame::Raised);
        widget = f;
        break;
      }
    }
    if (c.kind != ControlKind::AutoRadioButton && (c.style & CTL_GROUP)) group = nullptr;
    slot->widget = widget;
    SetSlotText(*slot, c.text);
    widget->setGeometry(px(c.x), py(c.y), px(c.width), py(c.height));
    if (IsButtonKind(c.kind) || c.kind == ControlKind::Edit) {
      widget->setFocusPolicy((c.style & CTL_TAB_STOP) ? Qt::StrongFocus : Qt::ClickFocus);
    } else {
      widget->setFocusPolicy(Qt::NoFocus);
    }
    if (c.style & CTL_DISABLED) widget->setEnabled(false);
    if (c.style & CTL_HIDDEN) widget->hide();
    widget->installEventFilter(w);
    if (IsButtonKind(c.kind) && c.id != NO_CONTROL_ID) {
      const int id = c.id;
      QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, w,
                       [&dialog, id] { dialog.OnCommand(id); });
    }
    controls.push_back(std::move(slot));
  }
}

void Dialog::Impl::Destroy() {
  for (auto& [id, timer] : timers) timer->stop();
  timers.clear();  // owned by the window
  pendingTicks.clear();
  for (auto& slot : controls) {
    slot->widget = nullptr;
    slot->radioGroup = nullptr;
    slot->edit = nullptr;
  }
  window.reset();
  controls.clear();
}

// ---------------------------------------------------------------------------

Dialog::Dialog(int templateId, Dialog* owner) : impl(std::make_unique<Impl>(templateId, owner)) {}

Dialog::~Dialog() {
  if (impl->window) impl->Destroy();
}

int Dialog::DoModal() {
  if (impl->window || QApplication::instance() == nullptr) return -1;
  impl->tmpl = FindDialogTemplate(impl->templateId);
  if (impl->tmpl == nullptr) return -1;

  Dialog* owner = impl->owner;
  if (owner == nullptr && Application::Current() != nullptr) owner = Application::Current()->MainWindow();
  QWidget* parent = (owner != nullptr && owner != this && owner->impl->window) ? owner->impl->window.get()
                                                                               : nullptr;
  impl->ended = false;
  impl->result = 0;
  impl->Build(*this, parent);
  impl->window->setWindowModality(Qt::ApplicationModal);

  const bool focusFirst = OnInitDialog();
  if (!impl->ended) {
    if (focusFirst) {
      for (const auto& slot : impl->controls) {
        if ((slot->style & CTL_TAB_STOP) && slot->widget->isEnabled() && !slot->widget->isHidden()) {
          slot->widget->setFocus(Qt::OtherFocusReason);
          break;
        }
      }
    }
    impl->window->show();
    QEventLoop loop;
    impl->loop = &loop;
    impl->running = true;
    if (g_modalObserver != nullptr) {
      QTimer::singleShot(0, &loop, [this] {
        if (impl->running && g_modalObserver != nullptr) g_modalObserver(*this, true);
      });
    }
    if (!impl->ended) loop.exec(QEventLoop::DialogExec);
    impl->running = false;
    impl->loop = nullptr;
    if (g_modalObserver != nullptr) g_modalObserver(*this, false);
  }
  const int result = impl->result;
  impl->Destroy();
  return result;
}

void Dialog::EndDialog(int result) {
  if (!impl->window) return;
  impl->ended = true;
  impl->result = result;
  impl->window->hide();
  if (impl->loop != nullptr) impl->loop->exit(0);
}

bool Dialog::UpdateData(bool fromControls) {
  if (!impl->window) return false;
  DataExchange exchange(*this, fromControls);
  DoDataExchange(exchange);
  return true;
}

bool Dialog::OnInitDialog() { return UpdateData(false); }

void Dialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::OnCommand(int id) {
  if (id == IDOK) {
    OnOK();
  } else if (id == IDCANCEL) {
    OnCancel();
  }
}

void Dialog::OnTimer(int) {}
void Dialog::DoDataExchange(DataExchange&) {}

int Dialog::TemplateId() const { return impl->templateId; }
Dialog* Dialog::Owner() const { return impl->owner; }
bool Dialog::HasWindow() const { return impl->window != nullptr; }
bool Dialog::IsRunningModal() const { return impl->running && !impl->ended; }

void Dialog::SetCaption(const std::string& text) {
  if (impl->window) impl->window->setWindowTitle(ToQt(text));
}

std::string Dialog::Caption() const { return impl->window ? FromQt(impl->window->windowTitle()) : std::string(); }

void Dialog::SetControlText(int id, const std::string& text) {
  if (!impl->window) return;
  if (ControlSlot* slot = impl->Find(id)) SetSlotText(*slot, text);
}

std::string Dialog::ControlText(int id) const {
  ControlSlot* slot = impl->Find(id);
  return (slot != nullptr && slot->widget != nullptr) ? WidgetText(slot->widget) : std::string();
}

void Dialog::SetControlFocus(int id) {
  ControlSlot* slot = impl->Find(id);
  if (slot != nullptr && slot->widget != nullptr) slot->widget->setFocus(Qt::OtherFocusReason);
}

void Dialog::CenterWindow() {
  if (!impl->window) return;
  QWidget* w = impl->window.get();
  QRect area;
  if (w->parentWidget() != nullptr && w->parentWidget()->isVisible()) {
    area = w->parentWidget()->window()->frameGeometry();
  } else if (QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  } else {
    return;
  }
  const QSize size = w->frameGeometry().size().expandedTo(w->size());
  w->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

void Dialog::SetVisible(bool visible) {
  if (impl->window) impl->window->setVisible(visible);
}

bool Dialog::IsVisible() const { return impl->window && impl->window->isVisible(); }

void Dialog::SetIcon(int iconId, bool) {
  // Qt keeps one icon per window and scales it for the title bar and task bar.
  if (impl->window && iconId == PROGRAM_ICON_ID) impl->window->setWindowIcon(ProgramIcon());
}

void Dialog::InvalidateWindow() {
  if (impl->window) impl->window->update();
}

bool Dialog::SetTimer(int id, unsigned periodMs) {
  if (!impl->window) return false;
  QTimer*& timer = impl->timers[id];
  if (timer == nullptr) {
    timer = new QTimer(impl->window.get());
    // Qt does not fire a timer again while its own timeout handler runs, so a
    // tick handler's message box would see no further ticks. Each tick is
    // posted instead, at most one pending per id, so ticks reach OnTimer in
    // nested loops too, and a killed timer's pending tick is dropped.
    QObject::connect(timer, &QTimer::timeout, impl->window.get(), [this, id] {
      if (!impl->pendingTicks.insert(id).second) return;
      QMetaObject::invokeMethod(
          impl->window.get(),
          [this, id] {
            impl->pendingTicks.erase(id);
            if (IsTimerRunning(id)) OnTimer(id);
          },
          Qt::QueuedConnection);
    });
  }
  timer->start(static_cast<int>(std::min<unsigned>(periodMs, 0x7FFFFFFF)));
  return true;
}

void Dialog::KillTimer(int id) {
  auto it = impl->timers.find(id);
  if (it != impl->timers.end()) it->second->stop();
}

bool Dialog::IsTimerRunning(int id) const {
  auto it = impl->timers.find(id);
  return it != impl->timers.end() && it->second->isActive();
}

std::vector<int> Dialog::RunningTimers() const {
  std::vector<int> ids;
  for (const auto& [id, timer] : impl->timers) {
    if (timer->isActive()) ids.push_back(id);
  }
  return ids;
}

int Dialog::MessageBox(const std::string& text, const std::string& caption) {
  CurrentPrompts().ShowMessage(this, text, caption);
  return IDOK;
}

// ---------------------------------------------------------------------------

void DataExchange::Control(int id, ControlWrapper& wrapper) {
  for (const auto& slot : dialog.impl->controls) {
    if (slot->id == id) {
      wrapper.Attach(slot);
      return;
    }
  }
}

void DataExchange::Radio(int firstId, int& index) {
  const auto& controls = dialog.impl->controls;
  auto first = std::find_if(controls.begin(), controls.end(), [&](const auto& s) {
    return s->id == firstId && s->kind == ControlKind::AutoRadioButton;
  });
  if (first == controls.end()) return;
  std::vector<QAbstractButton*> buttons;
  for (auto it = first; it != controls.end(); ++it) {
    if (it != first && ((*it)->style & CTL_GROUP)) break;
    if ((*it)->kind == ControlKind::AutoRadioButton && (*it)->widget != nullptr) {
      buttons.push_back(static_cast<QAbstractButton*>((*it)->widget));
    }
  }
  if (fromControls) {
    index = -1;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      if (buttons[i]->isChecked()) {
        index = static_cast<int>(i);
        break;
      }
    }
    return;
  }
  // An exclusive group cannot clear its last checked button; lift that while setting.
  QButtonGroup* group = (*first)->radioGroup;
  if (group != nullptr) group->setExclusive(false);
  for (std::size_t i = 0; i < buttons.size(); ++i) buttons[i]->setChecked(static_cast<int>(i) == index);
  if (group != nullptr) group->setExclusive(true);
}

// ---------------------------------------------------------------------------

ControlSlot* DialogWindow::SlotOf(const QObject* widget) const {
  for (const auto& slot : controls) {
    if (slot->widget == widget) return slot.get();
  }
  return nullptr;
}

void DialogWindow::done(int result) { dialog.EndDialog(result); }
void DialogWindow::reject() { dialog.OnCancel(); }
void DialogWindow::accept() { dialog.OnCommand(IDOK); }

void DialogWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  dialog.OnCancel();
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const unsigned vk = VirtualKeyFromQtKey(key->key(), static_cast<unsigned>(key->modifiers().toInt()));
  ControlSlot* target = SlotOf(watched);
  if (target != nullptr && target->edit != nullptr && target->edit->PreTranslateKeyDown(vk)) return true;
  switch (vk) {
    case VK_ESCAPE:
      dialog.OnCancel();
      return true;
    case VK_RETURN: {
      ControlSlot* focus = SlotOf(focusWidget());
      if (focus != nullptr && focus->TakesReturn()) return false;
      if (focus != nullptr && IsPushButton(*focus) && focus->id != NO_CONTROL_ID &&
          dialog.EnterPressesFocusedButton()) {
        if (focus->widget->isEnabled()) dialog.OnCommand(focus->id);
        return true;
      }
      for (const auto& slot : controls) {
        if (slot->kind == ControlKind::DefaultPushButton) {
          if (slot->widget->isEnabled()) dialog.OnCommand(slot->id);
          return true;
        }
      }
      dialog.OnCommand(IDOK);
      return true;
    }
    case VK_F1:
      return true;  // no help
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------

QWidget* DialogAccess::Window(const Dialog& dialog) { return dialog.impl->window.get(); }

QWidget* DialogAccess::Control(const Dialog& dialog, int id) {
  ControlSlot* slot = dialog.impl->Find(id);
  return slot != nullptr ? slot->widget : nullptr;
}

int DialogAccess::ControlId(const Dialog& dialog, const QWidget* widget) {
  for (; widget != nullptr; widget = widget->parentWidget()) {
    for (const auto& slot : dialog.impl->controls) {
      if (slot->widget == widget) return slot->id;
    }
  }
  return NO_CONTROL_ID;
}
