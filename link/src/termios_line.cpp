#include "termios_line.h"

#include <array>
#include <utility>

namespace {

// Input: no break or parity marks in the stream, no 8th-bit strip, no CR/NL
// mapping, no XON/XOFF (0x11 and 0x13 are key codes and block data).
constexpr tcflag_t INPUT_CLEARED =
    BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IXON | IXANY | IXOFF | IMAXBEL;
// A break on the line is a condition, not a byte: drop it instead of reading 0x00.
constexpr tcflag_t INPUT_SET = IGNBRK;
// Output: no processing at all (OPOST off disables NL to CR NL and the rest).
constexpr tcflag_t OUTPUT_CLEARED = OPOST;
// Local: no canonical line buffering, no echo back to the receiver, no signals.
constexpr tcflag_t LOCAL_CLEARED =
    ICANON | ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOPRT | ECHOKE | ISIG | IEXTEN;
// Ignore modem lines (open and reads never wait for carrier) and enable the receiver.
constexpr tcflag_t CONTROL_SET = CLOCAL | CREAD;

constexpr std::array<std::pair<std::uint32_t, speed_t>, 19> SPEEDS = {{
    {50, B50},         {75, B75},         {110, B110},       {134, B134},
    {150, B150},       {200, B200},       {300, B300},       {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800},
}};

}  // namespace

void SetRawLine(termios& t) {
  t.c_iflag &= ~INPUT_CLEARED;
  t.c_iflag |= INPUT_SET;
  t.c_oflag &= ~OUTPUT_CLEARED;
  t.c_lflag &= ~LOCAL_CLEARED;
  t.c_cflag |= CONTROL_SET;
  // A read returns at once with whatever has arrived.
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

void SetDataBits8(termios& t) {
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
  t.c_cflag |= CS8;
}

bool SetSpeed(termios& t, std::uint32_t baud) {
  for (const auto& [rate, code] : SPEEDS) {
    if (rate != baud) continue;
    termios changed = t;
    if (cfsetispeed(&changed, code) != 0 || cfsetospeed(&changed, code) != 0) return false;
    t = changed;
    return true;
  }
  return false;
}

bool HasLineSettings(const termios& actual, const termios& wanted) {
  return (actual.c_iflag & (INPUT_CLEARED | INPUT_SET)) ==
             (wanted.c_iflag & (INPUT_CLEARED | INPUT_SET)) &&
         (actual.c_oflag & OUTPUT_CLEARED) == (wanted.c_oflag & OUTPUT_CLEARED) &&
         (actual.c_lflag & LOCAL_CLEARED) == (wanted.c_lflag & LOCAL_CLEARED) &&
         (actual.c_cflag & (CSIZE | CONTROL_SET)) == (wanted.c_cflag & (CSIZE | CONTROL_SET)) &&
         actual.c_cc[VMIN] == wanted.c_cc[VMIN] && actual.c_cc[VTIME] == wanted.c_cc[VTIME] &&
         cfgetispeed(&actual) == cfgetispeed(&wanted) &&
         cfgetospeed(&actual) == cfgetospeed(&wanted);
}
