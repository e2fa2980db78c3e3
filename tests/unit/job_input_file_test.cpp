#include "core/job_input_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

// Removing the input file after a job must never take a file that has just been renamed into
// its place.

namespace kv {
namespace {

namespace fs = std::filesystem;

// The names in a directory, to see that no private name is left behind.
std::vector<std::string> Names(const test::TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RemoveIfSame, DeletesOnlyTheFileThatWasRead) {
  test::TempDir dir;
  dir.Write("blocek.txt", "printed");
  const FileIdentity printed = *IdentityOf(dir / "blocek.txt");
  EXPECT_EQ(RemoveIfSame(dir / "blocek.txt", printed).outcome, Removal::Removed);
  EXPECT_TRUE(Names(dir).empty());

  // The next receipt already in its place stays, with its own inode.
  dir.Write("blocek.part", "next");
  fs::rename(dir / "blocek.part", dir / "blocek.txt");
  const FileIdentity next = *IdentityOf(dir / "blocek.txt");
  EXPECT_EQ(RemoveIfSame(dir / "blocek.txt", printed).outcome, Removal::NotThatFile);
  EXPECT_EQ(IdentityOf(dir / "blocek.txt"), next);
  EXPECT_EQ(dir.Read("blocek.txt"), "next");
  EXPECT_EQ(Names(dir), std::vector<std::string>{"blocek.txt"});

  fs::remove(dir / "blocek.txt");
  EXPECT_EQ(RemoveIfSame(dir / "blocek.txt", printed).outcome, Removal::NotThatFile);
}

TEST(RemoveIfSame, PrivateNameLeftByAnEarlierRunIsNotOverwritten) {
  test::TempDir dir;
  const std::string earlier = "blocek.txt.del-" + std::to_string(::getpid());
  dir.Write(earlier, "kept");
  dir.Write("blocek.txt", "printed");
  EXPECT_EQ(RemoveIfSame(dir / "blocek.txt", *IdentityOf(dir / "blocek.txt")).outcome,
            Removal::Removed);
  EXPECT_EQ(Names(dir), std::vector<std::string>{earlier});
  EXPECT_EQ(dir.Read(earlier), "kept");
}

TEST(MoveUnlessTaken, NeverReplacesAFile) {
  test::TempDir dir;
  dir.Write("a", "first");
  dir.Write("b", "second");
  EXPECT_FALSE(MoveUnlessTaken(dir / "a", dir / "b"));
  EXPECT_EQ(dir.Read("a"), "first");
  EXPECT_EQ(dir.Read("b"), "second");
  EXPECT_TRUE(MoveUnlessTaken(dir / "a", dir / "c"));
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(dir.Read("c"), "first");
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

TEST(CountSetAside, CountsOnlyTheNamesSetFileAsideGives) {
  test::TempDir dir;
  dir.Write("blocek.txt", "waiting");
  std::tm now{};
  now.tm_year = 126;
  now.tm_mon = 11;
  now.tm_mday = 6;
  now.tm_hour = 14;
  ASSERT_TRUE(SetFileAside(dir / "blocek.txt", now));
  dir.Write("blocek.txt", "again");
  ASSERT_TRUE(SetFileAside(dir / "blocek.txt", now));  // "_2" beside the first
  for (const char* other : {"blocek.txt", "blocek_261206.txt", "blocek_261206_1400xx.txt",
                            "blocek_261206_140000.bin", "pokus_261206_140000.txt"})
    dir.Write(other, "not set aside");
  EXPECT_EQ(CountSetAside(dir / "blocek.txt"), 2);
  EXPECT_EQ(CountSetAside(dir / "nowhere/blocek.txt"), 0);
}

}  // namespace
}  // namespace kv
