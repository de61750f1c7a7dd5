#include "remote/remote_keys.h"

#include "ui/virtual_keys.h"

namespace {

constexpr unsigned NONE = VK_UNKNOWN;
constexpr unsigned DIGIT(unsigned d) { return VK_DIGIT_0 + d; }
constexpr unsigned NUMPAD(unsigned d) { return VK_NUMPAD_0 + d; }

constexpr std::array<RemoteKey, REMOTE_KEY_COUNT> KEYS = {{
    {KEY_MUTE,      "KEY_MUTE",      1089, {NONE, NONE}},
    {KEY_TEXT,      "KEY_TEXT",      1083, {NONE, NONE}},
    {KEY_CH_UP,     "KEY_CH_UP",     1090, {VK_UP, NONE}},
    {KEY_EXIT,      "KEY_EXIT",      1096, {VK_ESCAPE, VK_DELETE}},
    {KEY_SAT_TV,    "KEY_SAT_TV",    1099, {NONE, NONE}},
    {KEY_VOL_RIGHT, "KEY_VOL_RIGHT", 1092, {VK_RIGHT, NONE}},
    {KEY_OK,        "KEY_OK",        1091, {VK_RETURN, NONE}},
    {KEY_VOL_LEFT,  "KEY_VOL_LEFT",  1093, {VK_LEFT, NONE}},
    {KEY_RECALL,    "KEY_RECALL",    1097, {NONE, NONE}},
    {KEY_PAUSE,     "KEY_PAUSE",     1082, {NONE, NONE}},
    {KEY_CH_DOWN,   "KEY_CH_DOWN",   1094, {VK_DOWN, NONE}},
    {KEY_UHF,       "KEY_UHF",       1084, {NONE, NONE}},
    {KEY_FAV_DOWN,  "KEY_FAV_DOWN",  1086, {NONE, NONE}},
    {KEY_FAV_UP,    "KEY_FAV_UP",    1085, {NONE, NONE}},
    {KEY_0,         "KEY_0",         1110, {DIGIT(0), NUMPAD(0)}},
    {KEY_9,         "KEY_9",         1108, {DIGIT(9), NUMPAD(9)}},
    {KEY_8,         "KEY_8",         1107, {DIGIT(8), NUMPAD(8)}},
    {KEY_7,         "KEY_7",         1106, {DIGIT(7), NUMPAD(7)}},
    {KEY_6,         "KEY_6",         1105, {DIGIT(6), NUMPAD(6)}},
    {KEY_5,         "KEY_5",         1104, {DIGIT(5), NUMPAD(5)}},
    {KEY_4,         "KEY_4",         1103, {DIGIT(4), NUMPAD(4)}},
    {KEY_3,         "KEY_3",         1102, {DIGIT(3), NUMPAD(3)}},
    {KEY_2,         "KEY_2",         1101, {DIGIT(2), NUMPAD(2)}},
    {KEY_1,         "KEY_1",         1100, {DIGIT(1), NUMPAD(1)}},
    {KEY_POWER,     "KEY_POWER",     1080, {NONE, NONE}},
    {KEY_TV_RADIO,  "KEY_TV_RADIO",  1098, {NONE, NONE}},
    {KEY_AUDIO,     "KEY_AUDIO",     1088, {NONE, NONE}},
    {KEY_INFO,      "KEY_INFO",      1081, {NONE, NONE}},
    {KEY_FAV,       "KEY_FAV",       1087, {NONE, NONE}},
    {KEY_MENU,      "KEY_MENU",      1095, {VK_SPACE, NONE}},
    {KEY_EPG,       "KEY_EPG",       1111, {NONE, NONE}},
    {KEY_PNS,       "KEY_PNS",       1109, {NONE, NONE}},
}};

constexpr bool InCodeOrder() {
  for (std::size_t i = 0; i < KEYS.size(); ++i) {
    if (KEYS[i].code != i) return false;
  }
  return true;
}
static_assert(InCodeOrder(), "the key table is indexed by key code");

}  // namespace

std::span<const RemoteKey> RemoteKeyTable() { return KEYS; }

const RemoteKey* FindRemoteKeyByButton(int buttonId) {
  for (const RemoteKey& key : KEYS) {
    if (key.buttonId == buttonId) return &key;
  }
  return nullptr;
}

const RemoteKey* FindRemoteKeyByVirtualKey(unsigned virtualKey) {
  if (virtualKey == VK_UNKNOWN) return nullptr;
  for (const RemoteKey& key : KEYS) {
    for (unsigned pcKey : key.pcKeys) {
      if (pcKey == virtualKey) return &key;
    }
  }
  return nullptr;
}
