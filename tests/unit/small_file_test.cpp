#include "base/small_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"
#include "support/test_os.h"

namespace kv {
namespace {

TEST(SmallFile, OnlyARegularFileUpToTheLimitIsRead) {
  test::TempDir dir;
  dir.Write("ten", "0123456789");
  dir.Write("eleven", "0123456789a");
  std::filesystem::create_directory(dir / "subdir");
  ASSERT_TRUE(test::MakeFifo(dir / "fifo"));
  const struct {
    std::string path;
    SmallFileStatus status;
  } cases[] = {
      {dir / "ten", SmallFileStatus::Read},        {dir / "eleven", SmallFileStatus::TooLarge},
      {dir / "missing", SmallFileStatus::Missing}, {dir / "subdir", SmallFileStatus::NotRegular},
      {dir / "fifo", SmallFileStatus::NotRegular}, {"/dev/zero", SmallFileStatus::NotRegular}};
  for (const auto& c : cases) {
    std::string bytes = "old";
    EXPECT_EQ(ReadSmallFile(c.path, bytes, 10), c.status) << c.path;
    EXPECT_EQ(bytes, c.status == SmallFileStatus::Read ? "0123456789" : "") << c.path;
  }
}

TEST(SmallFile, TheStartOfALongerRegularFileIsRead) {
  test::TempDir dir;
  dir.Write("ten", "0123456789");
  ASSERT_TRUE(test::MakeFifo(dir / "fifo"));
  const struct {
    std::string path;
    size_t limit;
    SmallFileStatus status;
    std::string bytes;
    uint64_t size;
  } cases[] = {{dir / "ten", 4, SmallFileStatus::Read, "0123", 10},
               {dir / "ten", 20, SmallFileStatus::Read, "0123456789", 10},
               {dir / "fifo", 4, SmallFileStatus::NotRegular, "", 0},
               {"/dev/zero", 4, SmallFileStatus::NotRegular, "", 0}};
  for (const auto& c : cases) {
    std::string bytes = "old";
    uint64_t size = 99;
    EXPECT_EQ(ReadFileStart(c.path, bytes, c.limit, size), c.status) << c.path;
    EXPECT_EQ(bytes, c.bytes) << c.path;
    EXPECT_EQ(size, c.size) << c.path;
  }
}

}  // namespace
}  // namespace kv
