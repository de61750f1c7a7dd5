#pragma once
// The program icon, resource 128: a 32 x 32 image in 16 colours, stored as
// XPM text (header line, 16 colour lines, 32 pixel rows).

#include <cstdint>
#include <span>
#include <vector>

inline constexpr int PROGRAM_ICON_ID = 128;
inline constexpr int PROGRAM_ICON_SIZE = 32;
inline constexpr int PROGRAM_ICON_COLOURS = 16;

// The XPM lines; nullptr-free, PROGRAM_ICON_XPM_LINES entries.
extern const char* const PROGRAM_ICON_XPM[];
inline constexpr int PROGRAM_ICON_XPM_LINES = 1 + PROGRAM_ICON_COLOURS + PROGRAM_ICON_SIZE;

// The XPM lines of icon `id`, or an empty span when there is no such icon.
std::span<const char* const> FindIconXpm(int id);

// The icon as 32 x 32 ARGB pixels, row by row (0xAARRGGBB; "None" is fully
// transparent). Empty when the XPM data is malformed.
std::vector<std::uint32_t> DecodeProgramIcon();
