#include <gtest/gtest.h>

#include "support/print_manager_fixture.h"

namespace kv::test {
namespace {

// The operator's message file in the program directory, the shipped one in another directory.
class ShippedMessageFallback : public PrintManagerTest {
 protected:
  void SetUp() override {
    pm.config().language = 0;
    pm.config().message_files[0] = "kv4910_sk.msg";
    shipped.Write("kv4910_sk.msg", "[5]\r\nshipped five\r\n[6]\r\nshipped six\r\n[7]\r\n");
    pm.lang().SetShippedDir(shipped.path());
  }
  TempDir shipped;
};

TEST_F(ShippedMessageFallback, MessagesTheOperatorsCopyLacksComeFromTheShippedFile) {
  dir.Write("kv4910_sk.msg", "[5]\r\nthe operator's five\r\n[7]\r\nthe operator's seven");
  pm.lang().LoadMessages();
  EXPECT_EQ(pm.Msg(5), "the operator's five");
  EXPECT_EQ(pm.Msg(6), "shipped six");
  EXPECT_EQ(pm.Msg(7), "the operator's seven");
  EXPECT_EQ(pm.Msg(8), "");  // in neither file
}

TEST_F(ShippedMessageFallback, MissingCopyIsToldAndTheShippedTextsStandIn) {
  boxes.Expect("KV4910 file doesn't exists");
  pm.lang().LoadMessages();
  EXPECT_EQ(pm.Msg(5), "shipped five");
  EXPECT_EQ(pm.Msg(6), "shipped six");
}

TEST_F(ShippedMessageFallback, LanguageChangeFillsFromTheNewLanguagesShippedFile) {
  dir.Write("kv4910_sk.msg", "[5]\r\nthe operator's five");
  dir.Write("kv4910_en.msg", "[5]\r\nthe operator's English five");
  shipped.Write("kv4910_en.msg", "[6]\r\nshipped English six\r\n[7]\r\n");
  pm.lang().LoadMessages();
  pm.config().message_files[1] = "kv4910_en.msg";
  pm.config().language = 1;
  EXPECT_TRUE(pm.lang().ReloadMessages());
  EXPECT_EQ(pm.Msg(5), "the operator's English five");
  EXPECT_EQ(pm.Msg(6), "shipped English six");
}

TEST_F(ShippedMessageFallback, WithoutAnInstallOnlyTheProgramDirectoryCounts) {
  pm.lang().SetShippedDir("");
  dir.Write("kv4910_sk.msg", "[5]\r\nthe operator's five");
  pm.lang().LoadMessages();
  EXPECT_EQ(pm.Msg(5), "the operator's five");
  EXPECT_EQ(pm.Msg(6), "");
}

}  // namespace
}  // namespace kv::test
