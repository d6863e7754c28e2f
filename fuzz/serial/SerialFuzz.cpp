// What comes from outside a serial port: the name a caller gives and the
// bytes a device sends. A name must resolve without fault, a COM name to
// its built-in device; the bytes, sent through a real pseudo-terminal in
// pieces the input chooses, must come out of Get whole and in order,
// whatever sizes Get is asked for.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "ZELSerial.h"
#include "platform/comm/CommName.h"

namespace {

constexpr unsigned kPort = 239;

struct Line {
  int master = -1, slave = -1;
  std::string path;
  ZELSerial serial;
  Line() {
    char name[128];
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) std::abort();
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    fcntl(master, F_SETFL, O_NONBLOCK);
    path = name;
    DefineDosDeviceW(0, L"COM239", std::wstring(path.begin(), path.end()).c_str());
    if (!serial.Connect(kPort, 115200, 8, 0, 0)) std::abort();
  }
};

// Any name but a path resolves to a built-in device or to the one named.
void CheckName(const uint8_t* data, size_t size, const std::string& named) {
  std::wstring name;
  for (size_t i = 0; i < size && i < 64; ++i) name += static_cast<wchar_t>(data[i]);
  std::string path = ZelCommDevicePath(name.c_str());
  bool isPath = name.find(L'/') != std::wstring::npos;
  if (!isPath && !path.empty() && path != named && path.compare(0, 9, "/dev/ttyS") != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Line* line = new Line;
  CheckName(data, size, line->path);
  if (size < 2) return 0;
  const int piece = 1 + data[0] % 97;   // written this many at a time
  const int take = 1 + data[1] % 1500;  // Get asked for this many
  std::string sent(reinterpret_cast<const char*>(data + 2), size - 2);
  std::string got;
  size_t written = 0;
  int idle = 0;
  while (got.size() < sent.size()) {
    if (written < sent.size()) {
      size_t n = std::min(sent.size() - written, static_cast<size_t>(piece));
      ssize_t w = write(line->master, sent.data() + written, n);
      if (w > 0) written += static_cast<size_t>(w);
    }
    unsigned char buf[1500];
    int n = line->serial.Get(buf, take);
    got.append(reinterpret_cast<char*>(buf), static_cast<size_t>(n));
    if (n == 0 && written == sent.size()) {
      if (++idle > 5000) std::abort();  // bytes lost
      usleep(100);
    }
  }
  if (got != sent) std::abort();
  return 0;
}
