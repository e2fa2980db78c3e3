// The Idempotency-Key store: what it answers again, and what survives a restart.
#include <gtest/gtest.h>

#include <filesystem>

#include "api/idempotency_store.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

class KeyStore : public ::testing::Test {
 protected:
  IdempotencyStore Open() { return IdempotencyStore(dir_ / "http_keys.txt", [this] { return now_; }); }
  test::TempDir dir_;
  int64_t now_ = 1'800'000'000;
};

TEST_F(KeyStore, AnswersSurviveARestartAndAKeyServedWhenItStoppedIsNotConfirmed) {
  {
    IdempotencyStore store = Open();
    ASSERT_TRUE(store.Begin("done-key", 11));
    ASSERT_TRUE(store.Finish("done-key", 200, R"({"confirmed":true,"documentNumber":7})"));
    ASSERT_TRUE(store.Begin("lost-key", 22));  // the program stops while it prints
  }
  const IdempotencyStore store = Open();
  const auto done = store.Find("done-key");
  ASSERT_TRUE(done);
  EXPECT_EQ(done->hash, 11u);
  EXPECT_EQ(done->status, 200);
  EXPECT_EQ(done->body, R"({"confirmed":true,"documentNumber":7})");
  const auto lost = store.Find("lost-key");
  ASSERT_TRUE(lost);
  EXPECT_EQ(lost->status, 502);
  EXPECT_NE(lost->body.find("not_confirmed"), std::string::npos);
}

TEST_F(KeyStore, KeysAreKeptADayAndForgottenKeysMayBeUsedAgain) {
  IdempotencyStore store = Open();
  ASSERT_TRUE(store.Begin("old", 1));
  ASSERT_TRUE(store.Finish("old", 200, "{}"));
  ASSERT_TRUE(store.Begin("retry", 2));
  ASSERT_TRUE(store.Forget("retry"));
  EXPECT_FALSE(store.Find("retry"));
  now_ += 24 * 3600;
  EXPECT_TRUE(store.Find("old"));
  now_ += IdempotencyStore::kKeepSeconds;
  EXPECT_FALSE(store.Find("old"));
}

TEST_F(KeyStore, AStoreThatCannotBeWrittenRecordsNothing) {
  IdempotencyStore store(dir_ / "missing-dir/http_keys.txt", [this] { return now_; });
  EXPECT_FALSE(store.Begin("k", 1));
  EXPECT_FALSE(store.Find("k"));
}

TEST_F(KeyStore, ADamagedFileIsSetAsideKeepingItsWholeRecordsUntilTheOperatorRemovesIt) {
  dir_.Write("http_keys.txt",
             R"(["kept","7",1800000000,200,"{}"])" "\n"
             R"(["bad-hash","x7",1800000000,200,"{}"])" "\n"
             R"(["odd-status","7",1800000000,404,"{}"])" "\n"
             R"(["cut","7",18000)");
  IdempotencyStore store = Open();
  const auto damage = store.Damage();
  ASSERT_TRUE(damage);
  EXPECT_NE(damage->find("3 damaged lines, set aside as " + (dir_ / "http_keys.txt.damaged")),
            std::string::npos)
      << *damage;
  EXPECT_FALSE(dir_.Exists("http_keys.txt"));
  EXPECT_TRUE(store.Find("kept"));
  EXPECT_FALSE(store.Find("bad-hash"));
  EXPECT_FALSE(store.Find("odd-status"));
  EXPECT_TRUE(store.Damage());  // asked again: still there
  std::filesystem::remove(dir_ / "http_keys.txt.damaged");
  EXPECT_FALSE(store.Damage());
  ASSERT_TRUE(store.Begin("next", 1));
  EXPECT_TRUE(Open().Find("kept"));
  EXPECT_FALSE(Open().Damage());
}

TEST(IdempotencyKey, ValidKeysAndHashes) {
  EXPECT_TRUE(IdempotencyStore::ValidKey("a"));
  EXPECT_TRUE(IdempotencyStore::ValidKey(std::string(64, '~')));
  EXPECT_FALSE(IdempotencyStore::ValidKey(""));
  EXPECT_FALSE(IdempotencyStore::ValidKey(std::string(65, 'a')));
  EXPECT_FALSE(IdempotencyStore::ValidKey("tab\there"));
  EXPECT_FALSE(IdempotencyStore::ValidKey("\xc3\xa9"));
  const auto hash = IdempotencyStore::RequestHash;
  EXPECT_EQ(hash("POST", "/a", "{}"), hash("POST", "/a", "{}"));
  EXPECT_NE(hash("POST", "/a", "{}"), hash("POST", "/b", "{}"));
  EXPECT_NE(hash("POST", "/a", "{}"), hash("POST", "/a", "{ }"));
  EXPECT_NE(hash("POST", "/ab", "c"), hash("POST", "/a", "bc"));
}

}  // namespace
}  // namespace kv
