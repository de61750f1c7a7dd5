#pragma once
// Virtual-key codes that the layer reports for key presses.

inline constexpr unsigned VK_UNKNOWN = 0x00;
inline constexpr unsigned VK_RETURN = 0x0D;
inline constexpr unsigned VK_ESCAPE = 0x1B;
inline constexpr unsigned VK_SPACE = 0x20;
inline constexpr unsigned VK_LEFT = 0x25;
inline constexpr unsigned VK_UP = 0x26;
inline constexpr unsigned VK_RIGHT = 0x27;
inline constexpr unsigned VK_DOWN = 0x28;
inline constexpr unsigned VK_DELETE = 0x2E;
inline constexpr unsigned VK_DIGIT_0 = 0x30;   // top-row digits 0x30..0x39
inline constexpr unsigned VK_LETTER_A = 0x41;  // letters 0x41..0x5A
inline constexpr unsigned VK_NUMPAD_0 = 0x60;  // keypad digits 0x60..0x69
inline constexpr unsigned VK_F1 = 0x70;        // F1..F12 0x70..0x7B
inline constexpr unsigned VK_TAB = 0x09;
inline constexpr unsigned VK_BACK = 0x08;
inline constexpr unsigned VK_HOME = 0x24;
inline constexpr unsigned VK_END = 0x23;
inline constexpr unsigned VK_PRIOR = 0x21;  // Page Up
inline constexpr unsigned VK_NEXT = 0x22;   // Page Down
inline constexpr unsigned VK_INSERT = 0x2D;

// Flag bit of OnKeyDown's flags: the key was already down (auto-repeat).
inline constexpr unsigned KEY_FLAG_REPEAT = 0x4000;
