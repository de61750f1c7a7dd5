#include "resources/program_icon.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

// A satellite dish on its mast above a receiver box with a display, three
// buttons and a power lamp; the 16 colours of the classic VGA palette.
const char* const PROGRAM_ICON_XPM[] = {
    "32 32 16 1",
    ". c None",
    "k c #000000",
    "r c #800000",
    "G c #008000",
    "o c #808000",
    "b c #000080",
    "m c #800080",
    "c c #008080",
    "g c #808080",
    "l c #C0C0C0",
    "R c #FF0000",
    "L c #00FF00",
    "y c #FFFF00",
    "B c #0000FF",
    "M c #FF00FF",
    "w c #FFFFFF",
    "................................",
    "................................",
    "............................y...",
    "......llwww...............y..y..",
    ".....llllwwww..............y..y.",
    ".....lllllwwwww.............y...",
    "......glllllwwwww....rr.........",
    "......gglllllwwwww...rr.........",
    ".......ggllllllwwww.kk..........",
    ".......gggglllllwwkk............",
    "........ggggllllkkww............",
    ".........gggggkklllww...........",
    "..........ggggglllllw...........",
    "............ggggglllll..........",
    "..............ggggllll..........",
    "............gg..gggll...........",
    "............gg..................",
    "............gg..................",
    "............gg..................",
    "...........kkkk.................",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
    "..kBBBBBBBBBBBBBBBBBBBBBBBBBBk..",
    "..kbbbbbbbbbbbbbbbbbbbbbbbbbbk..",
    "..kbbkkkkkkkkbbbbbbbbbbbbbbbbk..",
    "..kbbkGkGGkGkbbbllbllbllbbRbbk..",
    "..kbbkkkkkkkkbbbllbllbllbbbbbk..",
    "..kbbbbbbbbbbbbbbbbbbbbbbbbbbk..",
    "..kbbbbbbbbbbbbbbbbbbbbbbbbbbk..",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
    "....kkk..................kkk....",
    "................................",
    "................................",
};

static_assert(sizeof(PROGRAM_ICON_XPM) / sizeof(PROGRAM_ICON_XPM[0]) == PROGRAM_ICON_XPM_LINES);

std::span<const char* const> FindIconXpm(int id) {
  if (id != PROGRAM_ICON_ID) return {};
  return {PROGRAM_ICON_XPM, static_cast<std::size_t>(PROGRAM_ICON_XPM_LINES)};
}

std::vector<std::uint32_t> DecodeProgramIcon() {
  int width = 0, height = 0, colours = 0, charsPerPixel = 0;
  if (std::sscanf(PROGRAM_ICON_XPM[0], "%d %d %d %d", &width, &height, &colours, &charsPerPixel) != 4 ||
      width != PROGRAM_ICON_SIZE || height != PROGRAM_ICON_SIZE || colours != PROGRAM_ICON_COLOURS ||
      charsPerPixel != 1) {
    return {};
  }
  std::array<std::uint32_t, 256> palette{};
  std::array<bool, 256> known{};
  for (int i = 0; i < colours; ++i) {
    const std::string_view line = PROGRAM_ICON_XPM[1 + i];
    if (line.size() < 5 || line.substr(1, 3) != " c ") return {};
    const auto key = static_cast<unsigned char>(line[0]);
    const std::string_view value = line.substr(4);
    std::uint32_t argb = 0;
    if (value == "None") {
      argb = 0;
    } else if (value.size() == 7 && value[0] == '#') {
      unsigned rgb = 0;
      if (std::sscanf(value.data() + 1, "%6x", &rgb) != 1) return {};
      argb = 0xFF000000u | rgb;
    } else {
      return {};
    }
    palette[key] = argb;
    known[key] = true;
  }
  std::vector<std::uint32_t> pixels;
  pixels.reserve(static_cast<std::size_t>(width * height));
  for (int y = 0; y < height; ++y) {
    const char* row = PROGRAM_ICON_XPM[1 + colours + y];
    if (std::strlen(row) != static_cast<std::size_t>(width)) return {};
    for (int x = 0; x < width; ++x) {
      const auto key = static_cast<unsigned char>(row[x]);
      if (!known[key]) return {};
      pixels.push_back(palette[key]);
    }
  }
  return pixels;
}
