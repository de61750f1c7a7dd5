#include "uitest/dialog_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "ui/qt_bridge.h"

namespace uitest {
namespace {

struct PendingAction {
  Dialog* target;  // nullptr: any dialog of templateId
  int templateId;
  std::function<void(Dialog&)> action;
  int timeoutMs;
};

std::deque<PendingAction> g_pending;

// Ends the dialog and everything modal above it, until it has left its loop.
void StartWatchdog(Dialog& dialog, int timeoutMs) {
  auto* timer = new QTimer(DialogAccess::Window(dialog));  // dies with the window
  QObject::connect(timer, &QTimer::timeout, timer, [&dialog, timer] {
    if (!dialog.IsRunningModal()) return;
    timer->setInterval(50);
    QWidget* top = QApplication::activeModalWidget();
    if (top != nullptr && top != DialogAccess::Window(dialog)) {
      if (auto* box = qobject_cast<QDialog*>(top)) {
        box->done(IDCANCEL);
        return;
      }
    }
    ADD_FAILURE() << "dialog " << dialog.TemplateId() << " still running after its time limit";
    dialog.EndDialog(-1);
  });
  timer->start(timeoutMs);
}

void Observe(Dialog& dialog, bool running) {
  if (!running) return;
  for (auto it = g_pending.begin(); it != g_pending.end(); ++it) {
    if (it->target == &dialog || (it->target == nullptr && it->templateId == dialog.TemplateId())) {
      PendingAction pending = std::move(*it);
      g_pending.erase(it);
      StartWatchdog(dialog, pending.timeoutMs);
      if (pending.action) pending.action(dialog);
      return;
    }
  }
}

void EnsureObserver() { SetModalObserver(&Observe); }

QWidget* ControlOf(const Dialog& dialog, int id) { return DialogAccess::Control(dialog, id); }

bool SendKey(QWidget* target, unsigned virtualKey, bool autoRepeat) {
  int key = 0;
  unsigned modifiers = 0;
  if (target == nullptr || !QtKeyFromVirtualKey(virtualKey, key, modifiers)) return false;
  const auto mods = Qt::KeyboardModifiers::fromInt(static_cast<int>(modifiers));
  QString text;
  if (virtualKey == VK_SPACE) text = QStringLiteral(" ");
  if (virtualKey == VK_RETURN) text = QStringLiteral("\r");
  if (virtualKey == VK_ESCAPE) text = QString(QChar(0x1B));
  if ((virtualKey >= VK_DIGIT_0 && virtualKey <= VK_DIGIT_0 + 9) || (virtualKey >= VK_LETTER_A && virtualKey <= VK_LETTER_A + 25)) {
    text = QString(QChar(static_cast<char16_t>(virtualKey)));
  }
  if (virtualKey >= VK_NUMPAD_0 && virtualKey <= VK_NUMPAD_0 + 9) {
    text = QString(QChar(static_cast<char16_t>('0' + (virtualKey - VK_NUMPAD_0))));
  }
  QPointer<QWidget> guard(target);
  QKeyEvent press(QEvent::KeyPress, key, mods, text, autoRepeat);
  QApplication::sendEvent(target, &press);
  if (guard) {
    QKeyEvent release(QEvent::KeyRelease, key, mods, text, autoRepeat);
    QApplication::sendEvent(guard.data(), &release);
  }
  return true;
}

}  // namespace

int RunModal(Dialog& dialog, const std::function<void()>& during, int timeoutMs) {
  EnsureObserver();
  g_pending.push_front(PendingAction{&dialog, dialog.TemplateId(), [during](Dialog&) {
                                       if (during) during();
                                     },
                                     timeoutMs});
  const int result = dialog.DoModal();
  // Drop the action when the dialog ended before its loop started.
  for (auto it = g_pending.begin(); it != g_pending.end(); ++it) {
    if (it->target == &dialog) {
      g_pending.erase(it);
      break;
    }
  }
  return result;
}

void WhenModal(int templateId, std::function<void(Dialog&)> action, int timeoutMs) {
  EnsureObserver();
  g_pending.push_back(PendingAction{nullptr, templateId, std::move(action), timeoutMs});
}

int ClearPendingModalActions() {
  int count = 0;
  for (auto it = g_pending.begin(); it != g_pending.end();) {
    if (it->target == nullptr) {
      it = g_pending.erase(it);
      ++count;
    } else {
      ++it;
    }
  }
  return count;
}

bool Click(Dialog& dialog, int id) {
  auto* button = qobject_cast<QAbstractButton*>(ControlOf(dialog, id));
  if (button == nullptr || !button->isVisible() || !button->isEnabled()) return false;
  button->click();
  return true;
}

bool PressKey(Dialog& dialog, unsigned virtualKey, bool autoRepeat) {
  QWidget* window = DialogAccess::Window(dialog);
  if (window == nullptr) return false;
  QWidget* focus = window->focusWidget();
  return SendKey(focus != nullptr ? focus : window, virtualKey, autoRepeat);
}

bool PressKeyOn(Dialog& dialog, int id, unsigned virtualKey, bool autoRepeat) {
  QWidget* control = ControlOf(dialog, id);
  if (control == nullptr) return false;
  control->setFocus(Qt::OtherFocusReason);
  return SendKey(control, virtualKey, autoRepeat);
}

bool ClickCloseBox(Dialog& dialog) {
  QWidget* window = DialogAccess::Window(dialog);
  if (window == nullptr) return false;
  window->close();
  return true;
}

std::string Text(const Dialog& dialog, int id) { return WidgetText(ControlOf(dialog, id)); }

bool IsChecked(const Dialog& dialog, int id) {
  auto* button = qobject_cast<QAbstractButton*>(ControlOf(dialog, id));
  return button != nullptr && button->isChecked();
}

bool IsShown(const Dialog& dialog, int id) {
  QWidget* control = ControlOf(dialog, id);
  return control != nullptr && !control->isHidden();
}

bool IsEnabled(const Dialog& dialog, int id) {
  QWidget* control = ControlOf(dialog, id);
  return control != nullptr && control->isEnabled();
}

int ProgressPos(const Dialog& dialog, int id) {
  auto* bar = qobject_cast<QProgressBar*>(ControlOf(dialog, id));
  return bar != nullptr ? bar->value() : -1;
}

int FocusedId(const Dialog& dialog) {
  QWidget* window = DialogAccess::Window(dialog);
  if (window == nullptr || window->focusWidget() == nullptr) return -1;
  return DialogAccess::ControlId(dialog, window->focusWidget());
}

bool IsWindowShown(const Dialog& dialog) {
  QWidget* window = DialogAccess::Window(dialog);
  return window != nullptr && window->isVisible();
}

Rect ControlRect(const Dialog& dialog, int id) {
  QWidget* control = ControlOf(dialog, id);
  if (control == nullptr) return Rect{-1, -1, -1, -1};
  const QRect r = control->geometry();
  return Rect{r.x(), r.y(), r.width(), r.height()};
}

Rect ClientSize(const Dialog& dialog) {
  QWidget* window = DialogAccess::Window(dialog);
  if (window == nullptr) return Rect{-1, -1, -1, -1};
  return Rect{0, 0, window->width(), window->height()};
}

bool IsOwnedByWindowOf(const Dialog& dialog, const Dialog& owner) {
  QWidget* window = DialogAccess::Window(dialog);
  return window != nullptr && window->parentWidget() != nullptr &&
         window->parentWidget() == DialogAccess::Window(owner);
}

bool StandsAlone(const Dialog& dialog) {
  QWidget* window = DialogAccess::Window(dialog);
  return window != nullptr && window->parentWidget() == nullptr && window->windowType() == Qt::Window;
}

bool IsBlockedByModal(const Dialog& dialog) {
  QWidget* window = DialogAccess::Window(dialog);
  QWidget* top = QApplication::activeModalWidget();
  return window != nullptr && window->isVisible() && top != nullptr && top != window;
}

void ProcessEventsFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
}

}  // namespace uitest
