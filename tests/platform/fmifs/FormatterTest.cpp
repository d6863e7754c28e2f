// The formatter module's parts: the tools' command lines, their progress
// read from output in any pieces, and the module loaded as applications
// load it, refusing what it cannot format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/DosDevice.h"
#include "platform/base/Library.h"
#include "platform/base/WinError.h"
#include "platform/fmifs/FmIfs.h"
#include "platform/fmifs/MkfsCommand.h"
#include "platform/fmifs/ToolProgress.h"
#include "platform/wmi/DriveType.h"

namespace {

std::string Join(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& a : v) s += (s.empty() ? "" : " ") + a;
  return s;
}

TEST(MkfsCommand, PicksToolWidthAndOptions) {
  const uint64_t MB = 1 << 20;
  std::string err;
  ZelFormatRequest r;
  r.device = "/dev/sdz1";
  r.fileSystem = "fat";
  r.deviceSize = 16 * MB;
  EXPECT_EQ(Join(ZelMkfsCommand(r, err)), "mkfs.fat -I -F 12 /dev/sdz1");
  r.deviceSize = 16 * MB + 512;
  r.label = "-n";  // an option-like label stays one argument
  EXPECT_EQ(Join(ZelMkfsCommand(r, err)), "mkfs.fat -I -F 16 -n -n /dev/sdz1");
  r.deviceSize = 4097 * MB;
  EXPECT_TRUE(ZelMkfsCommand(r, err).empty());
  EXPECT_NE(err.find("4 GB"), std::string::npos);
  r.fileSystem = "NTFS";
  r.label = "My Disk";
  r.quick = false;
  r.clusterSize = 4096;
  EXPECT_EQ(Join(ZelMkfsCommand(r, err)), "mkntfs -F -L My Disk -c 4096 /dev/sdz1");
  r.clusterSize = 1000;
  EXPECT_TRUE(ZelMkfsCommand(r, err).empty());
  r.clusterSize = 0;
  r.fileSystem = "exFAT";
  EXPECT_TRUE(ZelMkfsCommand(r, err).empty());
  EXPECT_NE(err.find("exFAT"), std::string::npos);
}

int FeedInPieces(const std::string& text, size_t piece) {
  ZelToolProgress p;
  int last = -1;
  for (size_t i = 0; i < text.size(); i += piece) last = p.Feed(text.data() + i, std::min(piece, text.size() - i));
  return last;
}

TEST(ToolProgress, ReadsPercentagesWhateverThePieces) {
  const std::string out = "Initializing device with zeroes:  12%\b\b\b\b 57.5 %\r 90 percent - done\nsize 1024 bytes 300%";
  for (size_t piece : {1u, 2u, 3u, 7u, 4096u}) EXPECT_EQ(FeedInPieces(out, piece), 90) << piece;
  EXPECT_EQ(FeedInPieces("mkfs.fat 4.2 (2021-01-31)\n", 5), -1);
  EXPECT_EQ(FeedInPieces("50 perc 60 per cent 70 %", 1), 70);
  EXPECT_EQ(FeedInPieces("99999999999999%", 3), -1);
  EXPECT_EQ(FeedInPieces("100% then 40%", 1), 100);  // never goes back
}

// The module as applications find it: beside the library.
class Module : public ::testing::Test {
protected:
  void SetUp() override {
    lib = LoadLibraryW(L"FMIFS.DLL");
    ASSERT_TRUE(lib) << "fmifs.so not beside the library";
    format = reinterpret_cast<PFORMATEX>(GetProcAddress(lib, "FormatEx"));
    ASSERT_TRUE(format);
  }
  void TearDown() override {
    if (lib) {
      EXPECT_TRUE(FreeLibrary(lib));
    }
  }
  static BOOLEAN Record(int command, DWORD, void* info) {
    if (command == FMIFS_PROGRESS) progress.push_back(static_cast<int>(*static_cast<DWORD*>(info)));
    if (command == FMIFS_DONE) done = *static_cast<BOOLEAN*>(info);
    return keepGoing;
  }
  void Run(const wchar_t* root, const wchar_t* fs) {
    progress.clear();
    done = 7;
    format(const_cast<wchar_t*>(root), FMIFS_REMOVABLE, const_cast<wchar_t*>(fs), NULL, TRUE, 0, Record);
  }
  std::string LastError() {
    auto why = reinterpret_cast<const char* (*)()>(GetProcAddress(lib, "ZelFormatExLastError"));
    return why ? why() : "";
  }
  HMODULE lib = NULL;
  PFORMATEX format = nullptr;
  static std::vector<int> progress;
  static int done;
  static bool keepGoing;
};
std::vector<int> Module::progress;
int Module::done;
bool Module::keepGoing = true;

TEST_F(Module, RefusesWhatItCannotFormatWithDoneZero) {
  // Q: names nothing that exists, whatever disks the machine has; "X" is
  // no root at all.
  ASSERT_TRUE(DefineDosDeviceW(0, L"Q:", L"/nonexistent/disk"));
  char path[64];
  ASSERT_EQ(ZelDriveDevice(L'Q', path, sizeof path), 0);
  Run(L"Q:\\", L"FAT32");
  EXPECT_EQ(done, 0);
  EXPECT_EQ(progress, std::vector<int>{0});
  EXPECT_NE(LastError().find("Q:"), std::string::npos);
  Run(L"X", L"FAT32");
  EXPECT_EQ(done, 0);
  EXPECT_EQ(LastError(), "not a drive root");
  keepGoing = false;  // stopped at the first progress notice
  Run(L"Q:\\", L"NTFS");
  keepGoing = true;
  EXPECT_EQ(done, 0);
  EXPECT_EQ(LastError(), "stopped by the caller");
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", NULL);
}

TEST(Library, MissingModulesAndEntries) {
  EXPECT_EQ(LoadLibraryW(L"no-such-module.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
  HMODULE lib = LoadLibraryW(L"fmifs.dll");
  ASSERT_TRUE(lib);
  EXPECT_EQ(GetProcAddress(lib, "Chkdsk"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(lib, "ZelParseMountInfo"), nullptr);  // its insides stay hidden
  EXPECT_TRUE(FreeLibrary(lib));
  EXPECT_FALSE(FreeLibrary(NULL));
}

}  // namespace
