#include <Qt>

#include <gtest/gtest.h>

#include "ui/qt_bridge.h"
#include "ui/virtual_keys.h"

TEST(VirtualKeys, QtKeysMapToVirtualKeyCodes) {
  struct Case {
    int key;
    unsigned modifiers;
    unsigned vk;
  } const cases[] = {
      {Qt::Key_0, Qt::NoModifier, 0x30},     {Qt::Key_9, Qt::NoModifier, 0x39},
      {Qt::Key_0, Qt::KeypadModifier, 0x60}, {Qt::Key_5, Qt::KeypadModifier, 0x65},
      {Qt::Key_9, Qt::KeypadModifier, 0x69}, {Qt::Key_Left, Qt::NoModifier, 0x25},
      {Qt::Key_Up, Qt::NoModifier, 0x26},    {Qt::Key_Right, Qt::NoModifier, 0x27},
      {Qt::Key_Down, Qt::NoModifier, 0x28},  {Qt::Key_Return, Qt::NoModifier, 0x0D},
      {Qt::Key_Enter, Qt::KeypadModifier, 0x0D}, {Qt::Key_Space, Qt::NoModifier, 0x20},
      {Qt::Key_Escape, Qt::NoModifier, 0x1B}, {Qt::Key_Delete, Qt::NoModifier, 0x2E},
      {Qt::Key_A, Qt::NoModifier, 0x41},     {Qt::Key_Z, Qt::ShiftModifier, 0x5A},
      {Qt::Key_F1, Qt::NoModifier, 0x70},    {Qt::Key_F12, Qt::NoModifier, 0x7B},
      {Qt::Key_Up, Qt::KeypadModifier, 0x26}, {Qt::Key_Exclam, Qt::NoModifier, 0},
      {Qt::Key_F13, Qt::NoModifier, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VirtualKeyFromQtKey(c.key, c.modifiers), c.vk) << std::hex << c.key << " " << c.modifiers;
  }
}

TEST(VirtualKeys, EveryMappedCodeHasAQtKeyThatMapsBack) {
  for (unsigned vk = 1; vk < 0x100; ++vk) {
    int key = 0;
    unsigned modifiers = 0;
    if (!QtKeyFromVirtualKey(vk, key, modifiers)) continue;
    EXPECT_EQ(VirtualKeyFromQtKey(key, modifiers), vk) << std::hex << vk;
  }
  int key = 0;
  unsigned modifiers = 0;
  EXPECT_TRUE(QtKeyFromVirtualKey(VK_NUMPAD_0 + 7, key, modifiers));
  EXPECT_EQ(key, Qt::Key_7);
  EXPECT_EQ(modifiers, static_cast<unsigned>(Qt::KeypadModifier));
  EXPECT_FALSE(QtKeyFromVirtualKey(0xFF, key, modifiers));
}
