// zelutil serial list                        ports and the devices behind them
// zelutil serial PORT [--baud N] [--data 8] [--parity none] [--stop 1]
//                     [--hex] [--delay MS] [--wait MS] [--messages]
//   a terminal: standard input goes to the port, received bytes to
//   standard output. PORT is COMn (the device /dev/ttyS<n-1>), COMn=DEVICE
//   (COMn names DEVICE for this run) or a device path. After the end of
//   the input it keeps receiving until the line has been quiet for --wait
//   milliseconds. --delay paces sending byte by byte; --messages tells on
//   standard error of each notification message.
#include <dirent.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <regex>
#include <vector>

#include "Command.h"
#include "ZELSerial.h"

namespace {

constexpr UINT kReceived = WM_APP + 1;

struct Args {
  std::string port;
  unsigned baud = 115200;
  int data = 8;
  std::string parity = "none";
  std::string stop = "1";
  bool hex = false;
  bool messages = false;
  unsigned delay = 0;
  unsigned wait = 500;
};

// The newest record, for a message: its text and detail.
std::string LastReport(ZELSerial& s) {
  if (s.GetLogCount() == 0) return std::string();
  ZEL_LOG_RECORD r = s.GetLog(s.GetLogCount() - 1);
  return zelutil::Narrow(r.strText) + (r.strDetail.IsEmpty() ? "" : " (" + zelutil::Narrow(r.strDetail) + ")");
}

// The port number PORT stands for, naming its device first where asked.
unsigned PortNumber(const std::string& port, std::string& shown) {
  static const std::regex com("^[Cc][Oo][Mm]([1-9][0-9]{0,8})(=(.+))?$");
  std::smatch m;
  std::string device;
  unsigned n;
  if (std::regex_match(port, m, com)) {
    n = static_cast<unsigned>(std::stoul(m[1]));
    device = m[3];
    shown = "COM" + std::string(m[1]);
  } else if (!port.empty() && port[0] != '-' && port.find('/') != std::string::npos) {
    n = 256;  // a number no machine gives a built-in port
    device = port;
    shown = port;
  } else {
    throw zelutil::Failure(2, "not a port: " + port + " (COMn, COMn=DEVICE or a device path)");
  }
  if (!device.empty() && !DefineDosDeviceW(0, (L"COM" + std::to_wstring(n)).c_str(), zelutil::Wide(device).c_str()))
    throw zelutil::Failure(2, "cannot name a device for " + shown);
  return n;
}

unsigned char Code(const std::string& value, const std::vector<std::string>& names, const char* what) {
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == value) return static_cast<unsigned char>(i);
  throw zelutil::Failure(2, std::string("not a ") + what + ": " + value);
}

// Received bytes to standard output, as they are or in hexadecimal.
class Output {
public:
  explicit Output(bool hex) : m_hex(hex) {}
  ~Output() {
    if (m_column) std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  void Write(const unsigned char* data, int n) {
    if (!m_hex) {
      std::fwrite(data, 1, static_cast<size_t>(n), stdout);
    } else {
      for (int i = 0; i < n; ++i) {
        std::fprintf(stdout, m_column ? " %02x" : "%02x", data[i]);
        if (++m_column == 16) std::fputc('\n', stdout), m_column = 0;
      }
    }
    std::fflush(stdout);
  }

private:
  bool m_hex;
  int m_column = 0;
};

// Takes each block when its message arrives.
class Receiver : public CWnd {
public:
  Receiver(ZELSerial& serial, Output& out, bool tell) : m_serial(serial), m_out(out), m_tell(tell) {
    CreateEx(0, L"", L"zelutil serial", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL);
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != kReceived) return CWnd::WindowProc(message, wParam, lParam);
    if (m_tell) std::fprintf(stderr, "[message %#x: %lu bytes]\n", message, static_cast<unsigned long>(wParam));
    unsigned char buf[4096];
    for (int n; (n = m_serial.Get(buf, sizeof buf)) > 0;) m_out.Write(buf, n);
    m_last = std::chrono::steady_clock::now();
    return 0;
  }
  std::chrono::steady_clock::time_point LastReceived() const { return m_last; }

private:
  ZELSerial& m_serial;
  Output& m_out;
  bool m_tell;
  std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

void Terminal(const Args& a) {
  std::string shown;
  unsigned port = PortNumber(a.port, shown);
  unsigned char parity = Code(a.parity, {"none", "odd", "even", "mark", "space"}, "parity");
  unsigned char stop = Code(a.stop, {"1", "1.5", "2"}, "number of stop bits");
  ZELSerial serial;
  Output out(a.hex);
  Receiver receiver(serial, out, a.messages);
  serial.SetNotify(&receiver, kReceived);
  if (!serial.Connect(port, a.baud, static_cast<unsigned char>(a.data), stop, parity))
    throw zelutil::Failure(1, "cannot open " + shown + ": " + LastReport(serial));

  bool input = true;
  for (;;) {
    Pump();
    if (!input) {
      auto quiet = std::chrono::steady_clock::now() - receiver.LastReceived();
      if (quiet >= std::chrono::milliseconds(a.wait)) break;
    }
    pollfd p{0, POLLIN, 0};
    if (!input || poll(&p, 1, 10) <= 0) {
      if (!input) usleep(10000);
      continue;
    }
    unsigned char buf[4096];
    ssize_t n = read(0, buf, sizeof buf);
    if (n <= 0) {
      input = false;
      receiver.LastReceived();
      continue;
    }
    int sent = a.delay ? serial.PutDelay(buf, static_cast<int>(n), a.delay) : serial.Put(buf, static_cast<int>(n));
    if (!sent) throw zelutil::Failure(1, "cannot send to " + shown + ": " + LastReport(serial));
  }
  Pump();
}

std::string Link(const std::string& path) {
  char buf[4096];
  ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  buf[n] = 0;
  std::string target = buf;
  if (target[0] != '/') target = path.substr(0, path.rfind('/') + 1) + target;
  char real[4096];
  return realpath(target.c_str(), real) ? real : target;
}

std::vector<std::string> Names(const char* dir) {
  std::vector<std::string> out;
  if (DIR* d = opendir(dir)) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') out.push_back(e->d_name);
    closedir(d);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Built-in ports whose driver found a UART, then adapters, with the name
// the system gives each in /dev/serial/by-id.
void List() {
  std::map<std::string, std::string> byId;
  for (const auto& n : Names("/dev/serial/by-id")) byId[Link("/dev/serial/by-id/" + n)] = n;
  for (const auto& n : Names("/sys/class/tty")) {
    bool builtIn = n.rfind("ttyS", 0) == 0;
    if (!builtIn && n.rfind("ttyUSB", 0) != 0 && n.rfind("ttyACM", 0) != 0) continue;
    std::string dev = "/dev/" + n;
    if (access(dev.c_str(), F_OK) != 0) continue;
    if (builtIn) {
      std::ifstream type("/sys/class/tty/" + n + "/type");
      int t = 0;
      if (!(type >> t) || t == 0) continue;  // a node with no UART behind it
      std::cout << "COM" << std::stoul(n.substr(4)) + 1 << "\t" << dev << "\n";
    } else {
      std::cout << "-\t" << dev;
      if (byId.count(dev)) std::cout << "\t" << byId[dev];
      std::cout << "\n";
    }
  }
}

void Add(CLI::App& app) {
  auto a = std::make_shared<Args>();
  auto* serial = app.add_subcommand("serial", "list serial ports, or talk through one (stdin to the port, the port to stdout)");
  serial->require_subcommand(0, 1);
  auto* list = serial->add_subcommand("list", "list the serial ports and their devices");
  list->callback(List);
  serial->add_option("PORT", a->port, "COMn, COMn=DEVICE, or a device path");
  serial->add_option("--baud", a->baud, "bits per second (any rate the device takes)");
  serial->add_option("--data", a->data, "data bits, 5 to 8");
  serial->add_option("--parity", a->parity, "none, odd, even, mark or space");
  serial->add_option("--stop", a->stop, "stop bits: 1 or 2");
  serial->add_flag("--hex", a->hex, "show received bytes in hexadecimal, 16 a line");
  serial->add_option("--delay", a->delay, "send byte by byte, pausing MS milliseconds after each");
  serial->add_option("--wait", a->wait, "after the input ends, receive until quiet for MS milliseconds");
  serial->add_flag("--messages", a->messages, "tell of each notification message on standard error");
  serial->callback([a, list] {
    if (list->parsed()) return;
    if (a->port.empty()) throw zelutil::Failure(zelutil::kExitUsage, "serial: give a PORT, or list");
    Terminal(*a);
  });
}

zelutil::Registrar reg("serial", Add);

}  // namespace
