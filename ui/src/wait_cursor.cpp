#include "ui/wait_cursor.h"

#include <QCursor>
#include <QGuiApplication>

WaitCursor::WaitCursor() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    active = true;
  }
}

WaitCursor::~WaitCursor() { Restore(); }

void WaitCursor::Restore() {
  if (!active) return;
  active = false;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    QGuiApplication::restoreOverrideCursor();
  }
}
