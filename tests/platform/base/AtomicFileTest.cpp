#include "platform/base/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/SmallDisk.h"
#include "support/TempDir.h"

namespace {

bool Save(const std::string& path, const std::string& bytes) {
  ZelAtomicFile f;
  return f.Open(path) && f.Write(bytes.data(), bytes.size()) && f.Commit();
}

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t Mode(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

}  // namespace

TEST(AtomicFile, ReplacesKeepingPermissionsAndLinks) {
  zeltest::TempDir dir;
  std::string target = dir.file("t.xml");
  zeltest::WriteFileBytes(target, "old");
  chmod(target.c_str(), 0640);
  ASSERT_EQ(0, symlink("t.xml", dir.file("link.xml").c_str()));

  ASSERT_TRUE(Save(dir.file("link.xml"), "new"));
  EXPECT_EQ("new", zeltest::ReadFileBytes(target));
  EXPECT_EQ(0640u, Mode(target));
  struct stat st;
  ASSERT_EQ(0, lstat(dir.file("link.xml").c_str(), &st));
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ((std::vector<std::string>{"link.xml", "t.xml"}), Names(dir.path()));

  // A new file gets what open() would give it.
  mode_t mask = umask(022);
  ASSERT_TRUE(Save(dir.file("fresh"), ""));
  umask(mask);
  EXPECT_EQ(0644u, Mode(dir.file("fresh")));
}

TEST(AtomicFile, UncommittedAndRefusedWritesLeaveTheTargetAlone) {
  zeltest::TempDir dir;
  std::string target = dir.file("t");
  zeltest::WriteFileBytes(target, "old");
  {
    ZelAtomicFile f;
    ASSERT_TRUE(f.Open(target));
    ASSERT_TRUE(f.Write("partial", 7));
  }
  EXPECT_EQ("old", zeltest::ReadFileBytes(target));
  EXPECT_EQ(std::vector<std::string>{"t"}, Names(dir.path()));

  ZelAtomicFile f;
  EXPECT_FALSE(f.Open(dir.path()));
  EXPECT_EQ(EISDIR, errno);
  EXPECT_FALSE(f.Open(dir.file("missing/t")));
  EXPECT_EQ(ENOENT, errno);
  EXPECT_FALSE(f.Write("x", 1));
  EXPECT_FALSE(f.Commit());
}

// A device cannot be renamed over; it is written as it is.
TEST(AtomicFile, DevicesAreWrittenDirectly) {
  ASSERT_TRUE(Save("/dev/null", "discarded"));
  struct stat st;
  ASSERT_EQ(0, stat("/dev/null", &st));
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(AtomicFile, AFullDiskLeavesTheOldFileByteForByte) {
  zeltest::SmallDisk disk;
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): full-disk case not run";
  std::string target = disk.file("t");
  std::string old(20000, 'o');
  ASSERT_TRUE(Save(target, old));
  disk.Fill();
  EXPECT_FALSE(Save(target, std::string(60000, 'n')));
  EXPECT_EQ(ENOSPC, errno);
  EXPECT_EQ(old, zeltest::ReadFileBytes(target));
  std::vector<std::string> names = Names(disk.file(""));
  EXPECT_EQ((std::vector<std::string>{".filler", "t"}), names);
}
