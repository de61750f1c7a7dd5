#include "termios_line.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Line settings as a fresh Linux tty has them, plus parity, 2 stop bits, RTS/CTS and 7 bits.
termios CookedLine() {
  termios t{};
  t.c_iflag = ICRNL | IXON | IXOFF | IXANY | INLCR | IGNCR | ISTRIP | PARMRK | BRKINT | IUCLC |
              IMAXBEL | INPCK | IGNPAR | IUTF8;
  t.c_oflag = OPOST | ONLCR;
  t.c_lflag = ICANON | ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOKE | ISIG | IEXTEN;
  t.c_cflag = CS7 | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 5;
  t.c_cc[VINTR] = 3;
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  return t;
}

TEST(TermiosLine, RawLineStopsEveryTranslationAndKeepsParityStopBitsAndFlowControl) {
  termios t = CookedLine();
  SetRawLine(t);
  EXPECT_EQ(t.c_iflag, tcflag_t{IGNBRK | INPCK | IGNPAR | IUTF8});
  EXPECT_EQ(t.c_oflag, tcflag_t{ONLCR});  // inert once OPOST is off
  EXPECT_EQ(t.c_lflag, tcflag_t{0});
  EXPECT_EQ(t.c_cflag & ~(CBAUD | CBAUDEX),
            tcflag_t{CS7 | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL | CLOCAL | CREAD});
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
  EXPECT_EQ(t.c_cc[VINTR], 3);
  EXPECT_EQ(cfgetospeed(&t), speed_t{B9600});
}

TEST(TermiosLine, DataBits8ChangesOnlyTheCharacterSize) {
  for (tcflag_t size : {CS5, CS6, CS7, CS8}) {
    termios t = CookedLine();
    t.c_cflag = (t.c_cflag & ~CSIZE) | size;
    termios expected = t;
    expected.c_cflag = (expected.c_cflag & ~CSIZE) | CS8;
    SetDataBits8(t);
    EXPECT_EQ(0, std::memcmp(&t, &expected, sizeof t)) << "from size flag " << size;
  }
}

TEST(TermiosLine, SpeedSetsBothDirectionsOrRefusesAndLeavesTheLineAlone) {
  struct Case {
    std::uint32_t baud;
    bool taken;
    speed_t code;
  };
  const Case cases[] = {
      {115200, true, B115200}, {9600, true, B9600},     {57600, true, B57600},
      {460800, true, B460800}, {0, false, B9600},       {12345, false, B9600},
      {115201, false, B9600},  {0xFFFFFFFFu, false, B9600},
  };
  for (const Case& c : cases) {
    termios t = CookedLine();
    EXPECT_EQ(SetSpeed(t, c.baud), c.taken) << c.baud;
    EXPECT_EQ(cfgetospeed(&t), c.code) << c.baud;
    EXPECT_EQ(cfgetispeed(&t), c.code) << c.baud;
    if (!c.taken) {
      const termios before = CookedLine();
      EXPECT_EQ(0, std::memcmp(&t, &before, sizeof t)) << c.baud;
    }
  }
}

TEST(TermiosLine, LineSettingsMatchOnlyWhenEverySetFieldCameBack) {
  termios wanted = CookedLine();
  SetRawLine(wanted);
  SetDataBits8(wanted);
  ASSERT_TRUE(SetSpeed(wanted, 115200));
  EXPECT_TRUE(HasLineSettings(wanted, wanted));

  termios other = wanted;
  other.c_cflag &= ~PARENB;  // a device without parity support drops it: still a match
  EXPECT_TRUE(HasLineSettings(other, wanted));

  const auto breaks = [&](auto change) {
    termios t = wanted;
    change(t);
    return !HasLineSettings(t, wanted);
  };
  EXPECT_TRUE(breaks([](termios& t) { t.c_oflag |= OPOST; }));
  EXPECT_TRUE(breaks([](termios& t) { t.c_iflag |= IXON; }));
  EXPECT_TRUE(breaks([](termios& t) { t.c_lflag |= ECHO; }));
  EXPECT_TRUE(breaks([](termios& t) { t.c_cflag = (t.c_cflag & ~CSIZE) | CS7; }));
  EXPECT_TRUE(breaks([](termios& t) { t.c_cc[VMIN] = 1; }));
  EXPECT_TRUE(breaks([](termios& t) { cfsetospeed(&t, B38400); }));
}

}  // namespace
