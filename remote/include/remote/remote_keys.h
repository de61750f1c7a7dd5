#pragma once
// The receiver's remote-control keys, written once as a table: the key code
// sent in a key frame, its name, the keypad button that sends it and the PC
// keys (virtual-key codes) that stand for it in the capture field.

#include <array>
#include <cstdint>
#include <span>

using RemoteKeyCode = std::uint8_t;

inline constexpr RemoteKeyCode KEY_MUTE = 0;
inline constexpr RemoteKeyCode KEY_TEXT = 1;
inline constexpr RemoteKeyCode KEY_CH_UP = 2;
inline constexpr RemoteKeyCode KEY_EXIT = 3;
inline constexpr RemoteKeyCode KEY_SAT_TV = 4;
inline constexpr RemoteKeyCode KEY_VOL_RIGHT = 5;
inline constexpr RemoteKeyCode KEY_OK = 6;
inline constexpr RemoteKeyCode KEY_VOL_LEFT = 7;
inline constexpr RemoteKeyCode KEY_RECALL = 8;
inline constexpr RemoteKeyCode KEY_PAUSE = 9;
inline constexpr RemoteKeyCode KEY_CH_DOWN = 10;
inline constexpr RemoteKeyCode KEY_UHF = 11;
inline constexpr RemoteKeyCode KEY_FAV_DOWN = 12;
inline constexpr RemoteKeyCode KEY_FAV_UP = 13;
// The digits run downwards from "1" (23) to "9" (15); "0" is 14.
inline constexpr RemoteKeyCode KEY_0 = 14;
inline constexpr RemoteKeyCode KEY_9 = 15;
inline constexpr RemoteKeyCode KEY_8 = 16;
inline constexpr RemoteKeyCode KEY_7 = 17;
inline constexpr RemoteKeyCode KEY_6 = 18;
inline constexpr RemoteKeyCode KEY_5 = 19;
inline constexpr RemoteKeyCode KEY_4 = 20;
inline constexpr RemoteKeyCode KEY_3 = 21;
inline constexpr RemoteKeyCode KEY_2 = 22;
inline constexpr RemoteKeyCode KEY_1 = 23;
inline constexpr RemoteKeyCode KEY_POWER = 24;
inline constexpr RemoteKeyCode KEY_TV_RADIO = 25;
inline constexpr RemoteKeyCode KEY_AUDIO = 26;
inline constexpr RemoteKeyCode KEY_INFO = 27;
inline constexpr RemoteKeyCode KEY_FAV = 28;
inline constexpr RemoteKeyCode KEY_MENU = 29;
inline constexpr RemoteKeyCode KEY_EPG = 30;
inline constexpr RemoteKeyCode KEY_PNS = 31;

inline constexpr int REMOTE_KEY_COUNT = 32;

struct RemoteKey {
  RemoteKeyCode code;
  const char* name;  // "KEY_MUTE", ...
  int buttonId;      // the keypad button of dialog template 141
  std::array<unsigned, 2> pcKeys;  // virtual-key codes; 0 (VK_UNKNOWN) where there is none
};

// The 32 keys in code order: RemoteKeyTable()[c].code == c.
std::span<const RemoteKey> RemoteKeyTable();
// The key a keypad button sends, or nullptr for any other control.
const RemoteKey* FindRemoteKeyByButton(int buttonId);
// The key a PC key stands for, or nullptr when that key sends nothing.
const RemoteKey* FindRemoteKeyByVirtualKey(unsigned virtualKey);
