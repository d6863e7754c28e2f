// The disk listing over a made-up machine: which volumes appear, with which
// codes, sizes and letters.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/base/DosDevice.h"
#include "platform/wmi/DriveType.h"
#include "platform/wmi/MountInfo.h"
#include "platform/wmi/Volumes.h"
#include "support/FakeDiskTree.h"

using zeltest::FakeBlock;
using zeltest::FakeDiskTree;

namespace {

const uint64_t GB = 1ull << 30;

// A machine with one of every kind of disk.
class Machine : public ::testing::Test {
protected:
  void SetUp() override {
    tree = std::make_shared<FakeDiskTree>(dir);
    tree->AddBlock({"vda", "254:0", 20 * GB / 512});
    tree->AddBlock({"vdb", "254:16", 100 * GB / 512});
    tree->AddBlock({"vdb1", "254:17", 60 * GB / 512, "vdb"});
    tree->AddBlock({"vdb2", "254:18", 40 * GB / 512, "vdb"});  // not mounted: not listed
    tree->AddBlock({"sdb", "8:16", 32 * GB / 512, "", true});
    tree->AddBlock({"sdb1", "8:17", 32 * GB / 512, "sdb"});
    tree->AddBlock({"sdc", "8:32", 0, "", true});  // empty card reader
    tree->AddBlock({"sr0", "11:0", 0, "", true, "", 5});
    tree->AddBlock({"loop0", "7:0", 64 << 11, "", false, "/tmp/disk.img"});
    tree->AddBlock({"loop1", "7:1", 0});  // detached
    tree->AddMount("254:0 / / rw - ext4 /dev/vda rw");
    tree->AddMount("0:21 / /proc rw - proc proc rw");
    tree->AddMount("0:23 / /dev/shm rw - tmpfs tmpfs rw");
    tree->AddMount("254:17 / /srv/data rw - xfs /dev/vdb1 rw");
    tree->AddMount("254:17 /etc /srv/data/etc\\040copy rw - xfs /dev/vdb1 rw");  // a bind mount
    tree->AddMount("8:17 / /media/stick rw - vfat /dev/sdb1 rw");
    tree->AddMount("0:52 / /mnt/share rw - nfs4 fileserver:/export rw");
    tree->space["/"] = {20 * GB, 5 * GB};
    tree->space["/srv/data"] = {60 * GB, 59 * GB};
    tree->space["/media/stick"] = {31 * GB + 12345, 30 * GB + 678};
    tree->space["/mnt/share"] = {2048 * GB, 1024 * GB};
    tree->probes["/dev/sdb1"] = {"vfat", "FAT32", "STICK"};
    tree->probes["/dev/loop0"] = {"ntfs", "", "IMAGE"};
    ZelWmiSetDiskSystem(tree);
  }
  void TearDown() override { ZelWmiSetDiskSystem(nullptr); }

  const ZelVolume* Find(const std::vector<ZelVolume>& v, char letter) {
    for (const ZelVolume& x : v)
      if (x.letter == letter) return &x;
    return nullptr;
  }

  zeltest::TempDir dir;
  std::shared_ptr<FakeDiskTree> tree;
};

TEST_F(Machine, ListsEachKindWithItsCodesAndLetters) {
  std::vector<ZelVolume> v = ZelListVolumes(tree);
  ASSERT_EQ(v.size(), 7u);
  // C: root; D: the fixed data disk; then removable by device, optical,
  // network.
  const ZelVolume* c = Find(v, 'C');
  ASSERT_TRUE(c);
  EXPECT_EQ(c->device, "/dev/vda");
  EXPECT_EQ(c->fileSystem, "ext4");
  EXPECT_EQ(c->driveType, 3);
  EXPECT_EQ(c->mediaType, 12);

  const ZelVolume* d = Find(v, 'D');
  ASSERT_TRUE(d);
  EXPECT_EQ(d->mountPoint, "/srv/data");  // the bind mount is the same volume
  EXPECT_EQ(d->fileSystem, "XFS");

  const ZelVolume* e = Find(v, 'E');
  ASSERT_TRUE(e);
  EXPECT_EQ(e->device, "/dev/loop0");  // an image, unmounted, listed for formatting
  EXPECT_EQ(e->driveType, 2);
  EXPECT_EQ(e->mediaType, 11);
  EXPECT_EQ(e->fileSystem, "NTFS");
  EXPECT_TRUE(e->hasSize);
  EXPECT_EQ(e->size, 64ull << 20);
  EXPECT_FALSE(e->hasFree);

  const ZelVolume* f = Find(v, 'F');
  ASSERT_TRUE(f);
  EXPECT_EQ(f->device, "/dev/sdb1");
  EXPECT_EQ(f->fileSystem, "FAT32");
  EXPECT_EQ(f->size, 31 * GB + 12345);
  EXPECT_EQ(f->freeSpace, 30 * GB + 678);

  const ZelVolume* g = Find(v, 'G');
  ASSERT_TRUE(g);
  EXPECT_EQ(g->device, "/dev/sdc");  // empty slot: no file system, no sizes
  EXPECT_EQ(g->driveType, 2);
  EXPECT_TRUE(g->fileSystem.empty());
  EXPECT_FALSE(g->hasSize);

  const ZelVolume* h = Find(v, 'H');
  ASSERT_TRUE(h);
  EXPECT_EQ(h->driveType, 5);

  ASSERT_TRUE(Find(v, 'I'));
  EXPECT_EQ(Find(v, 'I')->mountPoint, "/mnt/share");
}

TEST_F(Machine, NetworkMountsAreDriveTypeFourWithoutMedia) {
  tree->AddBlock({"zram0", "252:0", 1000});  // fixed and unmounted: not listed
  tree->AddBlock({"nvme0n1", "259:0", 1000});
  tree->AddMount("0:33 /@home /home rw - btrfs /dev/nvme0n1 rw");  // by name, not number
  std::vector<ZelVolume> v = ZelListVolumes(tree);
  const ZelVolume* share = nullptr;
  for (const ZelVolume& x : v)
    if (x.mountPoint == "/mnt/share") share = &x;
  ASSERT_TRUE(share);
  EXPECT_EQ(share->driveType, 4);
  EXPECT_EQ(share->mediaType, ZEL_MEDIA_NONE);
  EXPECT_EQ(share->fileSystem, "NFS");
  EXPECT_EQ(share->size, 2048 * GB);
  EXPECT_EQ(v.size(), 8u);
  ASSERT_TRUE(Find(v, 'D'));
  EXPECT_EQ(Find(v, 'D')->mountPoint, "/home");  // fixed ones by mount point
  EXPECT_EQ(Find(v, 'D')->fileSystem, "Btrfs");
}

// A share whose server is gone blocks statvfs; the listing gives up on its
// sizes instead of waiting with it.
class DeadServer : public FakeDiskTree {
public:
  using FakeDiskTree::FakeDiskTree;
  bool Space(const std::string& mountPoint, uint64_t& total, uint64_t& avail) const override {
    if (mountPoint == "/mnt/share") std::this_thread::sleep_for(std::chrono::seconds(10));
    return FakeDiskTree::Space(mountPoint, total, avail);
  }
};

TEST(DeadShare, ListedWithoutSizesRatherThanWaitedFor) {
  zeltest::TempDir dir;
  auto tree = std::make_shared<DeadServer>(dir);
  tree->AddMount("0:52 / /mnt/share rw - nfs4 fileserver:/export rw");
  tree->space["/mnt/share"] = {GB, GB};
  auto t0 = std::chrono::steady_clock::now();
  std::vector<ZelVolume> v = ZelListVolumes(tree);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(8));
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(v[0].driveType, 4);
  EXPECT_FALSE(v[0].hasSize);
}

TEST_F(Machine, DefinedLetterNamesItsVolumeAndCanBringInAnUnlistedOne) {
  ASSERT_TRUE(DefineDosDeviceW(0, L"E:", L"/dev/sdb1"));
  ASSERT_TRUE(DefineDosDeviceW(0, L"K:", L"/dev/vdb2"));
  std::vector<ZelVolume> v = ZelListVolumes(tree);
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"E:", NULL);
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"K:", NULL);
  ASSERT_TRUE(Find(v, 'E'));
  EXPECT_EQ(Find(v, 'E')->device, "/dev/sdb1");
  ASSERT_TRUE(Find(v, 'K'));
  EXPECT_EQ(Find(v, 'K')->driveType, 3);
  // The loop device moves on to the next free letter after D:.
  ASSERT_TRUE(Find(v, 'F'));
  EXPECT_EQ(Find(v, 'F')->device, "/dev/loop0");
}

TEST_F(Machine, DriveTypeOfLetters) {
  EXPECT_EQ(GetDriveTypeW(L"C:\\"), static_cast<UINT>(DRIVE_FIXED));
  EXPECT_EQ(GetDriveTypeW(L"e:"), static_cast<UINT>(DRIVE_REMOVABLE));
  EXPECT_EQ(GetDriveTypeW(L"H:/"), static_cast<UINT>(DRIVE_CDROM));
  EXPECT_EQ(GetDriveTypeW(L"I:\\"), static_cast<UINT>(DRIVE_REMOTE));
  EXPECT_EQ(GetDriveTypeW(L"Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
  EXPECT_EQ(GetDriveTypeW(L"C:\\Windows"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
  EXPECT_EQ(GetDriveTypeW(nullptr), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
  char path[64];
  EXPECT_GT(ZelDriveDevice(L'e', path, sizeof path), 0);
  EXPECT_STREQ(path, "/dev/loop0");
  EXPECT_EQ(ZelDriveDevice(L'I', path, sizeof path), 0);  // a share is no device
  EXPECT_EQ(ZelDriveDevice(L'E', path, 4), 0);
}

TEST(MountInfo, ParsesEscapesAndSkipsBrokenLines) {
  std::string text =
      "36 35 98:0 /mnt1 /mnt/a\\040b rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n"
      "garbage line\n"
      "37 35 x:0 / /x rw - ext4 /dev/x rw\n"
      "38 35 8:1 / /y rw shared:2 -\n"
      "39 35 8:2 / relative rw - ext4 /dev/z rw\n"
      "40 35 0:44 / /net rw - cifs //host/sh\\134are rw";
  std::vector<ZelMount> m = ZelParseMountInfo(text);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].major, 98u);
  EXPECT_EQ(m[0].root, "/mnt1");
  EXPECT_EQ(m[0].mountPoint, "/mnt/a b");
  EXPECT_EQ(m[0].type, "ext3");
  EXPECT_EQ(m[0].source, "/dev/root");
  EXPECT_EQ(m[1].source, "//host/sh\\are");
}

}  // namespace
