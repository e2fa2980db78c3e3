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

}  // namespace
}  // namespace kv
