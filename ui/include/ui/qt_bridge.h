#pragma once
// Access from Qt code (the shared test support) to the widgets behind a
// dialog. Dialog code of the program does not use this header.

#include <string>

class Dialog;
class QWidget;
class QKeyEvent;

struct DialogAccess {
  static QWidget* Window(const Dialog& dialog);  // nullptr without a window
  // The first control with that id, or nullptr.
  static QWidget* Control(const Dialog& dialog, int id);
  // The id of the control behind widget (or one of its children), NO_CONTROL_ID if none.
  static int ControlId(const Dialog& dialog, const QWidget* widget);
};

// Virtual-key code of a Qt key (Qt::Key value) with its modifiers; 0 if unknown.
unsigned VirtualKeyFromQtKey(int qtKey, unsigned qtModifiers);
// A Qt key and modifiers producing that virtual-key code; false if none.
bool QtKeyFromVirtualKey(unsigned virtualKey, int& qtKey, unsigned& qtModifiers);

// Text of a control widget as the wrappers report it (UTF-8; multi-line
// edits with CR LF line ends).
std::string WidgetText(const QWidget* widget);

// Called whenever a dialog's modal loop has started (inside the loop), and
// once more with running false when the loop ends. Used by test support.
using ModalObserver = void (*)(Dialog& dialog, bool running);
void SetModalObserver(ModalObserver observer);
