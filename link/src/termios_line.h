#pragma once
// Pure helpers that change one group of line settings in a termios record, so
// the raw 8-bit line can be checked without a device.

#include <termios.h>

#include <cstdint>

// Turns off every translation of the tty layer so each byte 0x00..0xFF passes
// as it is in both directions; parity, stop bits, flow control and speed stay.
void SetRawLine(termios& t);

// 8 data bits; nothing else changes.
void SetDataBits8(termios& t);

// Sets input and output speed. False, with `t` unchanged, for a rate that has
// no termios constant (0 included: B0 would mean "hang up").
bool SetSpeed(termios& t, std::uint32_t baud);

// True when `actual` (read back from the device) holds everything the helpers
// above put into `wanted`: the raw flags, 8 data bits and the speed.
bool HasLineSettings(const termios& actual, const termios& wanted);
