// The driver's own structures: the C library's termios has no free rate,
// and its header cannot sit beside these, so this file uses ioctls only.
#include <asm/termbits.h>
#include <errno.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cmath>

#include "platform/base/WinError.h"
#include "platform/comm/Terminal.h"

namespace {

bool Fail(int err) {
  // A terminal answers EIO once its device has gone.
  if (err == EIO) SetLastError(ERROR_DEVICE_NOT_CONNECTED);
  else ZelSetLastErrorFromErrno(err);
  return false;
}

bool Refuse() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

bool Get(int fd, termios2& t) { return ioctl(fd, TCGETS2, &t) == 0 || Fail(errno); }

const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};

// The line-format bits a DCB asks for: size, parity, stop bits, flow.
tcflag_t FormatBits(const DCB& d) {
  tcflag_t c = kSizes[d.ByteSize - 5];
  switch (d.Parity) {
    case ODDPARITY: c |= PARENB | PARODD; break;
    case EVENPARITY: c |= PARENB; break;
    case MARKPARITY: c |= PARENB | PARODD | CMSPAR; break;
    case SPACEPARITY: c |= PARENB | CMSPAR; break;
    default: break;
  }
  if (d.StopBits == TWOSTOPBITS) c |= CSTOPB;
  // Linux throttles both ways with one flag, so only a request to hold
  // output on CTS sets it: RTS handshake alone must not stop output on a
  // device whose CTS is not wired.
  if (d.fOutxCtsFlow) c |= CRTSCTS;
  return c;
}

const tcflag_t kFormatMask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;

// A UART reaches a rate through a divisor; what it lands on within the
// tolerance of a serial line is the rate asked for.
bool RateTaken(unsigned asked, unsigned got) { return std::fabs(double(got) - asked) <= asked * 0.03; }

bool SetModemLine(int fd, int line, bool on) { return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0; }

}  // namespace

bool ZelTermMakeRaw(int fd) {
  termios2 t;
  if (!Get(fd, t)) return false;
  t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
  t.c_oflag &= ~OPOST;
  t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag |= CREAD | CLOCAL;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  return ioctl(fd, TCSETS2, &t) == 0 || Fail(errno);
}

bool ZelTermGetState(int fd, const DCB& kept, DCB& d) {
  termios2 t;
  if (!Get(fd, t)) return false;
  const bool haveKept = kept.DCBlength != 0;
  d = haveKept ? kept : DCB{};
  d.DCBlength = sizeof(DCB);
  d.BaudRate = t.c_ospeed;
  d.ByteSize = static_cast<BYTE>(5 + ((t.c_cflag & CSIZE) == CS6) + 2 * ((t.c_cflag & CSIZE) == CS7) +
                                 3 * ((t.c_cflag & CSIZE) == CS8));
  if (!(t.c_cflag & PARENB)) d.Parity = NOPARITY;
  else if (t.c_cflag & CMSPAR) d.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
  else d.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  d.StopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
  d.fBinary = 1;
  d.fParity = (t.c_iflag & INPCK) ? 1 : 0;
  d.fOutxCtsFlow = (t.c_cflag & CRTSCTS) ? 1 : 0;
  d.fOutX = (t.c_iflag & IXON) ? 1 : 0;
  d.fInX = (t.c_iflag & IXOFF) ? 1 : 0;
  d.XonChar = static_cast<char>(t.c_cc[VSTART]);
  d.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
  if (!haveKept) {
    // Linux raises both lines on open.
    d.fDtrControl = DTR_CONTROL_ENABLE;
    d.fRtsControl = d.fOutxCtsFlow ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    d.fTXContinueOnXoff = 1;
  }
  return true;
}

bool ZelTermSetState(int fd, const DCB& d) {
  if (d.BaudRate == 0 || d.ByteSize < 5 || d.ByteSize > 8 || d.Parity > SPACEPARITY ||
      (d.StopBits != ONESTOPBIT && d.StopBits != TWOSTOPBITS) || d.fRtsControl == RTS_CONTROL_TOGGLE)
    return Refuse();
  if ((d.fOutX || d.fInX) && d.XonChar == d.XoffChar) return Refuse();
  termios2 t;
  if (!Get(fd, t)) return false;
  t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  if (d.fParity) t.c_iflag |= INPCK;
  if (d.fOutX) t.c_iflag |= IXON;
  if (d.fInX) t.c_iflag |= IXOFF;
  t.c_cflag &= ~(kFormatMask | CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= FormatBits(d) | BOTHER | CREAD | CLOCAL;
  t.c_ispeed = t.c_ospeed = d.BaudRate;
  t.c_cc[VSTART] = static_cast<cc_t>(d.XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(d.XoffChar);
  if (ioctl(fd, TCSETS2, &t) != 0) return errno == EINVAL ? Refuse() : Fail(errno);
  termios2 got;
  if (!Get(fd, got)) return false;
  if ((got.c_cflag & kFormatMask) != (t.c_cflag & kFormatMask) || !RateTaken(d.BaudRate, got.c_ospeed))
    return Refuse();
  // A device without modem lines (a pseudo-terminal) has none to set.
  SetModemLine(fd, TIOCM_DTR, d.fDtrControl != DTR_CONTROL_DISABLE);
  if (!d.fOutxCtsFlow) SetModemLine(fd, TIOCM_RTS, d.fRtsControl != RTS_CONTROL_DISABLE);
  return true;
}

bool ZelTermQueues(int fd, DWORD& inQueue, DWORD& outQueue) {
  int in = 0, out = 0;
  if (ioctl(fd, TIOCINQ, &in) != 0 || ioctl(fd, TIOCOUTQ, &out) != 0) return Fail(errno);
  inQueue = static_cast<DWORD>(in);
  outQueue = static_cast<DWORD>(out);
  return true;
}

bool ZelTermCounts(int fd, ZelLineCounts& c) {
  serial_icounter_struct s{};
  if (ioctl(fd, TIOCGICOUNT, &s) != 0) return Fail(errno);
  c.frame = s.frame;
  c.overrun = s.overrun;
  c.parity = s.parity;
  c.brk = s.brk;
  c.bufOverrun = s.buf_overrun;
  return true;
}

bool ZelTermFlush(int fd, bool rx, bool tx) {
  if (!rx && !tx) return true;
  int which = rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH;
  return ioctl(fd, TCFLSH, which) == 0 || Fail(errno);
}

bool ZelTermEscape(int fd, DWORD func) {
  int r;
  switch (func) {
    case SETXOFF: r = ioctl(fd, TCXONC, TCOOFF); break;
    case SETXON: r = ioctl(fd, TCXONC, TCOON); break;
    case SETRTS: r = SetModemLine(fd, TIOCM_RTS, true) ? 0 : -1; break;
    case CLRRTS: r = SetModemLine(fd, TIOCM_RTS, false) ? 0 : -1; break;
    case SETDTR: r = SetModemLine(fd, TIOCM_DTR, true) ? 0 : -1; break;
    case CLRDTR: r = SetModemLine(fd, TIOCM_DTR, false) ? 0 : -1; break;
    case SETBREAK: r = ioctl(fd, TIOCSBRK); break;
    case CLRBREAK: r = ioctl(fd, TIOCCBRK); break;
    default: return Refuse();
  }
  if (r == 0) return true;
  // A terminal without modem lines answers ENOTTY or EINVAL.
  if (errno == ENOTTY || errno == EINVAL) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  return Fail(errno);
}

bool ZelTermDsrUp(int fd) {
  int bits = 0;
  if (ioctl(fd, TIOCMGET, &bits) != 0) return true;
  return (bits & TIOCM_DSR) != 0;
}
