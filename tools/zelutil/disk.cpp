// zelutil disks [--removable]                  the logical disks
// zelutil format E: --fs FAT32|FAT|NTFS [--quick] [--label L] [--yes]
// Formatting asks on a terminal first unless --yes, and only ever formats
// removable disks (sticks, cards, attached images).
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>
#include <vector>

#include "Command.h"
#include "ZELLogicalDisk.h"

namespace {

struct Args {
  bool removable = false;
  std::string drive, fs, label;
  bool quick = false, yes = false;
};

// The thread that loaded the library is in a single-threaded apartment,
// which the listing refuses; it runs on a thread of its own.
std::vector<__ZEL_PHYSICAL_DISK> List(bool removableOnly) {
  std::vector<__ZEL_PHYSICAL_DISK> out;
  std::thread t([&] {
    ZELLogicalDisk disk;
    int n = removableOnly ? disk.EnumerateRemovalDisk() : disk.EnumerateLogicalDisk();
    for (int i = 0; i < n; ++i) {
      __ZEL_PHYSICAL_DISK d{};
      if (disk.GetDriveInfo(i, d)) out.push_back(d);
    }
  });
  t.join();
  return out;
}

const char* TypeName(LONG t) {
  switch (t) {
    case 2: return "removable";
    case 3: return "fixed";
    case 4: return "network";
    case 5: return "optical";
    default: return "unknown";
  }
}

const char* MediaName(LONG m) { return m == 11 ? "removable" : m == 12 ? "fixed" : "-"; }

std::string Human(LONGLONG bytes) {
  if (bytes <= 0) return "-";
  const char* units[] = {"B", "KB", "MB", "GB", "TB", "PB"};
  double v = static_cast<double>(bytes);
  int u = 0;
  while (v >= 1024 && u < 5) v /= 1024, ++u;
  char buf[32];
  std::snprintf(buf, sizeof buf, u == 0 ? "%.0f %s" : "%.1f %s", v, units[u]);
  return buf;
}

void PrintDisks(const Args& a) {
  std::printf("%-6s %-10s %-10s %-12s %10s %10s\n", "Drive", "Type", "Media", "File system", "Size", "Free");
  for (const __ZEL_PHYSICAL_DISK& d : List(a.removable)) {
    std::string fs = d.strFileSystem.IsEmpty() ? "-" : zelutil::Narrow(d.strFileSystem);
    std::printf("%-6s %-10s %-10s %-12s %10s %10s\n", zelutil::Narrow(d.strName).c_str(), TypeName(d.nDriveType),
                MediaName(d.nMediaType), fs.c_str(), Human(d.nSize).c_str(), Human(d.nFreeSpace).c_str());
  }
}

// Draws the bar on standard error, when that is a terminal, as the notices
// come.
class Bar : public ZELCallBack {
public:
  long CallBack(__ZEL_NOTIFY& n) override {
    if (!m_draw) {
      if (n.nCode == 2) m_ok = n.nData != 0, m_done = true;
      return 0;
    }
    if (n.nCode == 1) {
      int p = static_cast<int>(n.nData);
      int fill = p * 40 / 100;
      std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<size_t>(fill), '#').c_str(),
                   std::string(static_cast<size_t>(40 - fill), ' ').c_str(), p);
      std::fflush(stderr);
    } else if (n.nCode == 2) {
      std::fprintf(stderr, "\n");
      m_ok = n.nData != 0;
      m_done = true;
    }
    return 0;
  }
  bool m_draw = isatty(2) != 0;
  bool m_ok = false, m_done = false;
};

// "E", "E:", "E:\" or "E:/".
char DriveLetter(const std::string& s) {
  bool root = s.size() == 1 || (s.size() >= 2 && s[1] == ':' &&
                                (s.size() == 2 || (s.size() == 3 && (s[2] == '\\' || s[2] == '/'))));
  bool ok = root && std::isalpha(static_cast<unsigned char>(s[0]));
  if (!ok) throw zelutil::Failure(2, "not a drive: " + s + " (give a letter such as E:)");
  return static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
}

void RunFormat(const Args& a) {
  char letter = DriveLetter(a.drive);
  std::string name = std::string(1, letter) + ":";
  const __ZEL_PHYSICAL_DISK* found = nullptr;
  std::vector<__ZEL_PHYSICAL_DISK> disks = List(false);
  for (const __ZEL_PHYSICAL_DISK& d : disks)
    if (zelutil::Narrow(d.strName) == name) found = &d;
  if (!found) throw zelutil::Failure(1, "no drive " + name);
  if (found->nDriveType != 2)
    throw zelutil::Failure(1, name + " is a " + TypeName(found->nDriveType) + " disk; only removable disks are formatted");
  if (!a.yes) {
    if (!isatty(0)) throw zelutil::Failure(2, "not asking without a terminal: give --yes to format " + name);
    std::string fs = found->strFileSystem.IsEmpty() ? "no file system" : zelutil::Narrow(found->strFileSystem);
    std::fprintf(stderr, "Format %s (removable, %s, %s) as %s? Everything on it is lost. [y/N] ", name.c_str(),
                 fs.c_str(), Human(found->nSize).c_str(), a.fs.c_str());
    std::string answer;
    std::getline(std::cin, answer);
    if (answer != "y" && answer != "Y" && answer != "yes") throw zelutil::Failure(1, "not formatted");
  }
  std::string fs = a.fs;
  for (char& c : fs) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ZEL_LDFILESYSTEM kind = fs == "NTFS" ? ZEL_LDFS_NTFS : fs == "FAT" ? ZEL_LDFS_FAT : ZEL_LDFS_FAT32;
  std::vector<char> label(a.label.begin(), a.label.end());
  label.push_back('\0');
  ZELLogicalDisk disk;
  Bar bar;
  if (!disk.Format(letter, a.label.empty() ? NULL : label.data(), a.quick, kind, &bar))
    throw zelutil::Failure(1, "format of " + name + " refused: another format is running, or the formatter is missing");
  if (!bar.m_done || !bar.m_ok)
    throw zelutil::Failure(1, "format of " + name + " failed (run as root; the volume may be in use)");
  std::cout << name << " formatted as " << fs << "\n";
}

void Add(CLI::App& app) {
  auto a = std::make_shared<Args>();
  auto* disks = app.add_subcommand("disks", "list the logical disks: letter, type, media, file system, size, free");
  disks->add_flag("--removable", a->removable, "removable disks only");
  disks->callback([a] { PrintDisks(*a); });

  auto* format = app.add_subcommand("format", "format a removable disk as FAT, FAT32 or NTFS");
  format->add_option("DRIVE", a->drive, "the drive letter, as E:")->required();
  format->add_option("--fs", a->fs, "FAT32, FAT or NTFS")
      ->required()
      ->check(CLI::IsMember({"FAT", "FAT32", "NTFS"}, CLI::ignore_case));
  format->add_flag("--quick", a->quick, "quick format");
  format->add_option("--label", a->label, "the new volume label");
  format->add_flag("-y,--yes", a->yes, "do not ask first");
  format->callback([a] { RunFormat(*a); });
}

zelutil::Registrar reg_disks("disks", Add);

}  // namespace
