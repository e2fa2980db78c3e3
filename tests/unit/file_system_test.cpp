#include "base/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_os.h"

// The same tests run on Linux and, cross-built, on Windows under Wine (scripts/test-windows);
// the rows a system cannot set up (FIFOs, symbolic links on Windows) are left out there.

namespace kv {
namespace {

namespace fs = std::filesystem;

bool SymlinksWork(const test::TempDir& dir) {
  std::error_code error;
  fs::create_symlink("probe-target", dir / "probe-link", error);
  return !error;
}

TEST(FileSystem, SaveReplacesTheWholeFileOrLeavesTheOldOne) {
  struct Case {
    const char* what;
    std::function<void(const test::TempDir&)> before;  // beside "list.bin" = "old"
    bool needs_links;
    bool saved;
    const char* after;  // list.bin afterwards
  };
  const std::vector<Case> cases = {
      {"an old file is replaced", [](const test::TempDir&) {}, false, true, "new"},
      {"a missing file is created",
       [](const test::TempDir& d) { fs::remove(d / "list.bin"); }, false, true, "new"},
      {"a stale temporary file is no obstacle",
       [](const test::TempDir& d) { d.Write("list.bin.tmp", "half a list"); }, false, true,
       "new"},
      {"a temporary file that cannot be written keeps the old file",
       [](const test::TempDir& d) { fs::create_directory(d / "list.bin.tmp"); }, false, false,
       "old"},
      {"a link planted at the temporary name is not written through",
       [](const test::TempDir& d) { fs::create_symlink(d / "victim", d / "list.bin.tmp"); },
       true, true, "new"},
  };
  const bool links = [] {
    test::TempDir probe;
    return SymlinksWork(probe);
  }();
  for (const Case& c : cases) {
    if (c.needs_links && !links) continue;
    test::TempDir dir;
    dir.Write("list.bin", "old");
    dir.Write("victim", "keep");
    c.before(dir);
    EXPECT_EQ(SaveFileAtomically(dir / "list.bin", "new"), c.saved) << c.what;
    EXPECT_EQ(dir.Read("list.bin"), c.after) << c.what;
    EXPECT_EQ(dir.Read("victim"), "keep") << c.what;
    EXPECT_EQ(fs::exists(dir / "list.bin.tmp"), !c.saved) << c.what;
  }
  EXPECT_FALSE(SaveFileAtomically("/proc/kv4910-no-such-dir/list.bin", "new"));
}

TEST(FileSystem, SaveWritesThroughALinkAndKeepsThePermissions) {
  test::TempDir dir;
  if (!SymlinksWork(dir)) GTEST_SKIP() << "this system makes no symbolic links";
  fs::create_directory(dir / "data");
  dir.Write("data/rb4900_cfg.ini", "old");
  fs::permissions(dir / "data/rb4900_cfg.ini", fs::perms::owner_read | fs::perms::owner_write |
                                                   fs::perms::group_read);
  fs::create_symlink("data/rb4900_cfg.ini", dir / "rb4900_cfg.ini");

  ASSERT_TRUE(SaveFileAtomically(dir / "rb4900_cfg.ini", "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "rb4900_cfg.ini"));
  EXPECT_EQ(dir.Read("data/rb4900_cfg.ini"), "new");
  EXPECT_EQ(fs::status(dir / "data/rb4900_cfg.ini").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(FileSystem, IdentityTellsAFileRenamedIntoPlaceFromTheOneRead) {
  test::TempDir dir;
  dir.Write("blocek.txt", "receipt");
  ReadOnlyFile read;
  ASSERT_EQ(read.Open(dir / "blocek.txt", /*alone=*/true), FileOpen::Opened);
  ASSERT_TRUE(read.Identity());
  EXPECT_EQ(read.Identity()->size, 7);
  EXPECT_EQ(IdentityOf(dir / "blocek.txt"), read.Identity());
  read.Close();  // Windows replaces no file that is open

  // The same bytes and time, but another file: only its identity tells.
  dir.Write("blocek.part", "receipt");
  test::SetModifiedTime(dir / "blocek.part", 1700000000);
  test::SetModifiedTime(dir / "blocek.txt", 1700000000);
  const std::optional<FileIdentity> before = IdentityOf(dir / "blocek.txt");
  ASSERT_TRUE(RenameFile(dir / "blocek.part", dir / "blocek.txt"));
  const std::optional<FileIdentity> now = IdentityOf(dir / "blocek.txt");
  ASSERT_TRUE(before && now);
  EXPECT_EQ(now->size, before->size);
  EXPECT_EQ(now->mtime_ns, before->mtime_ns);
  EXPECT_NE(now, before);

  // Moving never replaces a file that is there.
  dir.Write("other.txt", "other");
  EXPECT_FALSE(MoveUnlessTaken(dir / "other.txt", dir / "blocek.txt"));
  EXPECT_EQ(dir.Read("blocek.txt"), "receipt");
  EXPECT_TRUE(MoveUnlessTaken(dir / "other.txt", dir / "free.txt"));
  EXPECT_EQ(dir.Read("free.txt"), "other");
}

TEST(FileSystem, OnlyARegularFileIsOpenedAndNothingWaits) {
  test::TempDir dir;
  dir.Write("file", "bytes");
  fs::create_directory(dir / "subdir");
  struct Case {
    std::string path;
    FileOpen open;
  };
  std::vector<Case> cases = {{dir / "file", FileOpen::Opened},
                             {dir / "missing", FileOpen::Missing},
                             {dir / "subdir", FileOpen::NotRegular},
                             {test::DevicePath(), FileOpen::NotRegular}};
  if (test::MakeFifo(dir / "fifo")) cases.push_back({dir / "fifo", FileOpen::NotRegular});
  for (const Case& c : cases) {
    ReadOnlyFile file;
    EXPECT_EQ(file.Open(c.path), c.open) << c.path;
    EXPECT_EQ(file.IsOpen(), c.open == FileOpen::Opened) << c.path;
  }
}

}  // namespace
}  // namespace kv
