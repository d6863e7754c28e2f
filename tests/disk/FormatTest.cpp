// Formatting: refusals that need no disk, then real formats of a loop
// device checked with blkid and the file systems' own checkers.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "ZELLogicalDisk.h"
#include "platform/base/Library.h"
#include "platform/base/NamedMutex.h"
#include "platform/wmi/DiskSystem.h"
#include "support/FakeDiskTree.h"
#include "support/LoopDevice.h"

using zeltest::RunShell;

namespace {

class Recorder : public ZELCallBack {
public:
  long CallBack(__ZEL_NOTIFY& n) override {
    notices.push_back(n);
    if (disk && n.nCode == 1) {
      formattingSeen = formattingSeen || disk->IsFormatting();
      // A second format from inside the first is refused at once.
      char l[] = "AGAIN";
      nestedResult = disk->Format_FAT('E', l, true, this);
    }
    return 0;
  }
  bool Done(int flag) const {
    return !notices.empty() && notices.back().nCode == 2 && notices.back().nKind == 2 && notices.back().nData == flag;
  }
  std::vector<__ZEL_NOTIFY> notices;
  ZELLogicalDisk* disk = nullptr;
  bool formattingSeen = false;
  int nestedResult = -1;
};

class Format : public ::testing::Test {
protected:
  void SetUp() override {
    ZelSetNamedMutexFolder(locks.path().c_str());
  }
  void TearDown() override {
    ZelSetModuleFolder(nullptr);
    ZelSetNamedMutexFolder(nullptr);
    ZelWmiSetDiskSystem(nullptr);
  }
  // No other holder of the name is left behind.
  bool MutexFree() {
    HANDLE h = CreateMutexW(NULL, TRUE, L"ZELLogicalDisk_Format_Mutex");
    bool free = h && GetLastError() != ERROR_ALREADY_EXISTS;
    CloseHandle(h);
    return free;
  }
  zeltest::TempDir locks;
  ZELLogicalDisk disk;
  Recorder rec;
};

TEST_F(Format, FixedDisksAndLettersWithoutVolumeAreRefusedWithoutTheMutex) {
  HANDLE held = CreateMutexW(NULL, TRUE, L"ZELLogicalDisk_Format_Mutex");
  // Refused for the drive type before the mutex is tried: the held name
  // would refuse as well, so nothing is learnt from the answer alone, but
  // the callback is never called and the holder keeps it.
  EXPECT_FALSE(disk.Format_FAT32('C', NULL, true, &rec));
  EXPECT_FALSE(disk.Format_NTFS('Q', NULL, true, &rec));
  EXPECT_FALSE(disk.Format('C', NULL, true, static_cast<ZEL_LDFILESYSTEM>(7), &rec));
  CloseHandle(held);
  EXPECT_TRUE(disk.Format_FAT32('C', NULL, true, &rec) == FALSE);
  EXPECT_TRUE(rec.notices.empty());
  EXPECT_TRUE(MutexFree());
}

TEST_F(Format, MissingFormatterRefusesAndLeavesNoMutexBehind) {
  zeltest::TempDir dir;
  auto tree = std::make_shared<zeltest::FakeDiskTree>(dir);
  // A removable disk under a name no real device has, so that the format
  // that reaches the formatter below can never touch a disk.
  tree->AddBlock({"zelfake0", "240:0", 2048, "", true});
  ZelWmiSetDiskSystem(tree);
  ZelSetModuleFolder(dir.path().c_str());  // no formatter there
  EXPECT_FALSE(disk.Format_FAT('D', NULL, true, &rec));
  EXPECT_TRUE(rec.notices.empty());
  EXPECT_FALSE(disk.IsFormatting());
  EXPECT_TRUE(MutexFree());
  // With the formatter back, the next format is not refused for a mutex
  // left behind; it gets as far as the formatter, which finds no device.
  ZelSetModuleFolder(nullptr);
  EXPECT_TRUE(disk.Format_FAT('D', NULL, true, &rec));
  EXPECT_TRUE(rec.Done(0));
}

// The real disk: E: names a fresh 64 MB image attached as a loop device.
class RealFormat : public Format {
protected:
  void SetUp() override {
    Format::SetUp();
    if (!loop.ok()) GTEST_SKIP() << loop.why();
    std::wstring dev(loop.device().begin(), loop.device().end());
    ASSERT_TRUE(DefineDosDeviceW(0, L"E:", dev.c_str()));
  }
  void TearDown() override {
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"E:", NULL);
    Format::TearDown();
  }
  std::string Blkid(const char* tag) {
    std::string s = RunShell("blkid -p -o value -s " + std::string(tag) + " " + loop.device());
    while (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
  }
  int Check(const std::string& tool) {
    int status = -1;
    std::string out = RunShell(tool + " " + loop.device(), &status);
    if (status != 0) ADD_FAILURE() << tool << ": " << out;
    return status;
  }
  std::string MountPoint() {
    std::string m = locks.file("mnt");
    mkdir(m.c_str(), 0755);
    return m;
  }
  zeltest::LoopDevice loop;
};

TEST_F(RealFormat, Fat32QuickWithLabelProgressAndDone) {
  char label[] = "ZELDISK";
  rec.disk = &disk;
  ASSERT_TRUE(disk.Format_FAT32('E', label, true, &rec));
  ASSERT_TRUE(rec.Done(1)) << "formatter failed";
  EXPECT_EQ(rec.notices.front().nCode, 1);
  EXPECT_EQ(rec.notices.front().nKind, 1);
  EXPECT_EQ(rec.notices.front().nData, 0);
  EXPECT_EQ(rec.notices[rec.notices.size() - 2].nData, 100);
  EXPECT_TRUE(rec.formattingSeen);
  EXPECT_FALSE(disk.IsFormatting());
  EXPECT_EQ(rec.nestedResult, FALSE);
  EXPECT_EQ(Blkid("TYPE"), "vfat");
  EXPECT_EQ(Blkid("VERSION"), "FAT32");
  EXPECT_EQ(Blkid("LABEL"), "ZELDISK");
  Check("fsck.vfat -n");
  // The listing sees the new file system on E:.
  ASSERT_GE(disk.EnumerateRemovalDisk(), 1);
  bool seen = false;
  for (int i = 0; i < disk.GetCount(); ++i) {
    __ZEL_PHYSICAL_DISK d{};
    disk.GetDriveInfo(i, d);
    if (d.strName == L"E:") seen = d.strFileSystem == L"FAT32" && d.nDriveType == 2 && d.nMediaType == 11;
  }
  EXPECT_TRUE(seen);
  EXPECT_TRUE(MutexFree());
}

TEST_F(RealFormat, FatFullWithoutLabelOrCallback) {
  ASSERT_TRUE(disk.Format_FAT('E', NULL, false, NULL));
  EXPECT_FALSE(disk.IsFormatting());
  EXPECT_EQ(Blkid("TYPE"), "vfat");
  EXPECT_EQ(Blkid("VERSION"), "FAT16");  // 64 MB is past FAT12's reach
  EXPECT_EQ(Blkid("LABEL"), "");
  Check("fsck.vfat -n");
}

TEST_F(RealFormat, NtfsQuickAndFull) {
  char label[] = "Data Disk";
  ASSERT_TRUE(disk.Format_NTFS('E', label, true, &rec));
  ASSERT_TRUE(rec.Done(1));
  EXPECT_EQ(Blkid("TYPE"), "ntfs");
  EXPECT_EQ(Blkid("LABEL"), "Data Disk");
  Check("ntfsfix -n");
  rec.notices.clear();
  ASSERT_TRUE(disk.Format_NTFS('E', NULL, false, &rec));
  ASSERT_TRUE(rec.Done(1));
  Check("ntfsfix -n");
}

TEST_F(RealFormat, MountedVolumeIsUnmountedFirstBusyOneIsLeftAsItWas) {
  // ext4 is the file system this kernel can surely mount.
  int status = -1;
  RunShell("mkfs.ext4 -q " + loop.device(), &status);
  ASSERT_EQ(status, 0);
  std::string mnt = MountPoint();
  ASSERT_EQ(mount(loop.device().c_str(), mnt.c_str(), "ext4", 0, nullptr), 0);
  ASSERT_TRUE(disk.Format_FAT('E', NULL, true, &rec));
  EXPECT_TRUE(rec.Done(1));
  EXPECT_EQ(Blkid("VERSION"), "FAT16");
  EXPECT_NE(umount(mnt.c_str()), 0);  // already unmounted by the format

  RunShell("mkfs.ext4 -q " + loop.device(), &status);
  ASSERT_EQ(mount(loop.device().c_str(), mnt.c_str(), "ext4", 0, nullptr), 0);
  int fd = open((mnt + "/keep.txt").c_str(), O_CREAT | O_RDWR, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "kept", 4), 4);
  rec.notices.clear();
  ASSERT_TRUE(disk.Format_NTFS('E', NULL, true, &rec));
  EXPECT_TRUE(rec.Done(0));
  close(fd);
  EXPECT_EQ(zeltest::ReadFileBytes(mnt + "/keep.txt"), "kept");
  EXPECT_EQ(umount(mnt.c_str()), 0);
  EXPECT_EQ(Blkid("TYPE"), "ext4");
  EXPECT_TRUE(MutexFree());
}

TEST_F(RealFormat, RefusedWhileAnotherProcessFormatsThenServed) {
  int ready[2], go[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(go), 0);
  pid_t pid = fork();
  if (pid == 0) {
    HANDLE h = CreateMutexW(NULL, TRUE, L"ZELLogicalDisk_Format_Mutex");
    (void)!write(ready[1], "y", 1);
    char c;
    (void)!read(go[0], &c, 1);
    CloseHandle(h);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  EXPECT_FALSE(disk.Format_FAT32('E', NULL, true, &rec));
  EXPECT_TRUE(rec.notices.empty());
  kill(pid, SIGKILL);  // a holder that dies frees the name
  waitpid(pid, nullptr, 0);
  EXPECT_TRUE(disk.Format_FAT32('E', NULL, true, &rec));
  EXPECT_TRUE(rec.Done(1));
}

}  // namespace
