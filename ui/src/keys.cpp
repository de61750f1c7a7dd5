// Qt keys to virtual-key codes and back.

#include <Qt>

#include "ui/qt_bridge.h"
#include "ui/virtual_keys.h"

namespace {

struct KeyPair {
  int qtKey;
  unsigned virtualKey;
};

constexpr KeyPair NAMED_KEYS[] = {
    {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},  {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},   {Qt::Key_Left, VK_LEFT},     {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},   {Qt::Key_Down, VK_DOWN},     {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backtab, VK_TAB},   {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Home, VK_HOME},     {Qt::Key_End, VK_END},       {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_Insert, VK_INSERT},
};

}  // namespace

unsigned VirtualKeyFromQtKey(int qtKey, unsigned qtModifiers) {
  const bool keypad = (qtModifiers & Qt::KeypadModifier) != 0;
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
    return static_cast<unsigned>(qtKey - Qt::Key_0) + (keypad ? VK_NUMPAD_0 : VK_DIGIT_0);
  }
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<unsigned>(qtKey - Qt::Key_A) + VK_LETTER_A;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return static_cast<unsigned>(qtKey - Qt::Key_F1) + VK_F1;
  for (const KeyPair& pair : NAMED_KEYS) {
    if (pair.qtKey == qtKey) return pair.virtualKey;
  }
  return VK_UNKNOWN;
}

bool QtKeyFromVirtualKey(unsigned vk, int& qtKey, unsigned& qtModifiers) {
  qtModifiers = Qt::NoModifier;
  if (vk >= VK_DIGIT_0 && vk <= VK_DIGIT_0 + 9) {
    qtKey = Qt::Key_0 + static_cast<int>(vk - VK_DIGIT_0);
    return true;
  }
  if (vk >= VK_NUMPAD_0 && vk <= VK_NUMPAD_0 + 9) {
    qtKey = Qt::Key_0 + static_cast<int>(vk - VK_NUMPAD_0);
    qtModifiers = Qt::KeypadModifier;
    return true;
  }
  if (vk >= VK_LETTER_A && vk <= VK_LETTER_A + 25) {
    qtKey = Qt::Key_A + static_cast<int>(vk - VK_LETTER_A);
    return true;
  }
  if (vk >= VK_F1 && vk <= VK_F1 + 11) {
    qtKey = Qt::Key_F1 + static_cast<int>(vk - VK_F1);
    return true;
  }
  for (const KeyPair& pair : NAMED_KEYS) {
    if (pair.virtualKey == vk) {
      qtKey = pair.qtKey;
      return true;
    }
  }
  return false;
}
