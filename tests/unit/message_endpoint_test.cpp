#include "platform/message_endpoint.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/fake_clock.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using test::ScopedEnv;

// An unconnected datagram socket bound at `path` (or unbound when empty), for sending raw bytes.
int RawSocket(const std::string& path = {}) {
  int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  if (!path.empty()) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  }
  return fd;
}

void SendRaw(int fd, const std::string& to, const std::string& bytes) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, to.c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(
      sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr),
      static_cast<ssize_t>(bytes.size()));
}

class MessageEndpointTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  ScopedEnv env{"KV4910_RUNTIME_DIR", dir.path().c_str()};
};

TEST(MessageNumber, FnvOfTheLowerCaseNameFoldedIntoTheRegisteredRange) {
  // FNV-1a("a") = 0xe40c292c, FNV-1a("foobar") = 0xbf9cf968 (published test vectors).
  EXPECT_EQ(MessageNumberForName("a"), 0xC000u + 0x292Cu);
  EXPECT_EQ(MessageNumberForName("FooBar"), 0xC000u + 0x3968u);
  EXPECT_EQ(MessageNumberForName("KV4910"), 0xF5EAu);
  EXPECT_EQ(MessageNumberForName("kv4910"), MessageNumberForName("KV4910"));
  // Only ASCII letters are folded: cp1250 capital and small a-acute stay different.
  EXPECT_NE(MessageNumberForName("\xC1"), MessageNumberForName("\xE1"));
  EXPECT_EQ(MessageNumberForName(""), 0u);
  auto endpoint = CreateMessageEndpoint();
  EXPECT_EQ(endpoint->RegisterMessage("Kv4910"), 0xF5EAu);
  EXPECT_EQ(endpoint->RegisterMessage(""), 0u);
}

TEST(MessageNumber, DatagramIsTwelveLittleEndianBytes) {
  unsigned char bytes[kMessageDatagramSize];
  EncodeMessage(0xF5EA, 3, -2, bytes);
  const unsigned char expected[] = {0xEA, 0xF5, 0, 0, 3, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::memcmp(bytes, expected, sizeof expected), 0);
  uint32_t msg, wparam;
  int32_t lparam;
  DecodeMessage(expected, msg, wparam, lparam);
  EXPECT_EQ(msg, 0xF5EAu);
  EXPECT_EQ(wparam, 3u);
  EXPECT_EQ(lparam, -2);
}

TEST(MessageRuntime, DirectoryAndTitleGiveTheSocketPath) {
  ScopedEnv own("KV4910_RUNTIME_DIR", "/run/a");
  ScopedEnv xdg("XDG_RUNTIME_DIR", "/run/user/7");
  EXPECT_EQ(WindowSocketPath("KV4910S"), "/run/a/kv4910-KV4910S.sock");
  EXPECT_EQ(WindowSocketPath("POS 1/\xE4:x.y-z_"), "/run/a/kv4910-POS_1___x.y-z_.sock");
  {
    ScopedEnv empty("KV4910_RUNTIME_DIR", "");
    EXPECT_EQ(MessageRuntimeDir(), "/run/user/7");
    ScopedEnv none("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(MessageRuntimeDir(), "/tmp/kv4910-" + std::to_string(geteuid()));
  }
}

TEST_F(MessageEndpointTest, OneOwnerPerTitleFoundWhileItLives) {
  const std::string path = WindowSocketPath("KV4910S");
  auto first = CreateMessageEndpoint();
  EXPECT_FALSE(first->FindWindow("KV4910S"));
  ASSERT_EQ(first->Open("KV4910S"), OpenResult::Opened);
  EXPECT_TRUE(first->IsOpen());
  EXPECT_GE(first->NotifyFd(), 0);

  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  auto second = CreateMessageEndpoint();
  auto found = second->FindWindow("KV4910S");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->address, path);
  EXPECT_FALSE(second->FindWindow("KV4910T"));
  EXPECT_EQ(second->Open("KV4910S"), OpenResult::AlreadyRunning);
  EXPECT_FALSE(second->IsOpen());

  // The refused second instance did not disturb the first: it still receives.
  ASSERT_EQ(second->Open("pos"), OpenResult::Opened);
  EXPECT_TRUE(second->Post(*found, 0xC001, 5, 6));
  ASSERT_TRUE(first->WaitForMessage(1000));
  auto m = first->Receive();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->wparam, 5u);

  first.reset();  // ending removes the socket; the title is free again
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(second->FindWindow("KV4910S"));
  EXPECT_EQ(second->Post(*found, 0xC001, 1, 1), false);  // the peer is gone: fails quietly
  auto third = CreateMessageEndpoint();
  EXPECT_EQ(third->Open("KV4910S"), OpenResult::Opened);
}

TEST_F(MessageEndpointTest, StaleSocketIsReplacedOtherFilesAreNot) {
  const std::string path = WindowSocketPath("KV4910S");
  close(RawSocket(path));  // bound, then closed without removing: what a crash leaves
  ASSERT_TRUE(std::filesystem::exists(path));

  auto endpoint = CreateMessageEndpoint();
  EXPECT_FALSE(endpoint->FindWindow("KV4910S"));
  ASSERT_EQ(endpoint->Open("KV4910S"), OpenResult::Opened);
  auto client = CreateMessageEndpoint();
  ASSERT_EQ(client->Open("pos"), OpenResult::Opened);
  EXPECT_TRUE(client->Post(*client->FindWindow("KV4910S"), 0xC001, 1, 2));
  EXPECT_TRUE(endpoint->WaitForMessage(1000));

  dir.Write("kv4910-plain.sock", "not a socket");
  auto other = CreateMessageEndpoint();
  EXPECT_EQ(other->Open("plain"), OpenResult::Failed);
  EXPECT_EQ(dir.Read("kv4910-plain.sock"), "not a socket");
}

TEST_F(MessageEndpointTest, OnlyTwelveByteDatagramsAreMessages) {
  auto endpoint = CreateMessageEndpoint();
  ASSERT_EQ(endpoint->Open("KV4910S"), OpenResult::Opened);
  EXPECT_FALSE(endpoint->Receive());
  EXPECT_FALSE(endpoint->WaitForMessage(10));

  const std::string path = WindowSocketPath("KV4910S");
  int raw = RawSocket(dir / "raw.sock");
  SendRaw(raw, path, std::string(11, '\1'));
  SendRaw(raw, path, std::string(13, '\1'));
  SendRaw(raw, path, std::string(64, '\1'));
  SendRaw(raw, path, std::string("\x01\xC0\0\0\x07\0\0\0\x39\x30\0\0", 12));
  SendRaw(raw, path, std::string(100, '\1'));
  close(raw);

  auto m = endpoint->Receive();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->msg, 0xC001u);
  EXPECT_EQ(m->wparam, 7u);
  EXPECT_EQ(m->lparam, 12345);
  EXPECT_EQ(m->from, dir / "raw.sock");
  EXPECT_FALSE(endpoint->Receive());  // the trailing 100-byte datagram was dropped too
}

TEST_F(MessageEndpointTest, AnswersGoToTheAddressTheRegistrationCameFrom) {
  auto manager = CreateMessageEndpoint();
  ASSERT_EQ(manager->Open("KV4910S"), OpenResult::Opened);
  auto client = CreateMessageEndpoint();
  ASSERT_EQ(client->Open("client-42"), OpenResult::Opened);
  auto bystander = CreateMessageEndpoint();
  ASSERT_EQ(bystander->Open("client-43"), OpenResult::Opened);

  ASSERT_TRUE(client->Post(*client->FindWindow("KV4910S"), 0xF5EA, 0, 42));
  ASSERT_TRUE(manager->WaitForMessage(1000));
  auto registration = manager->Receive();
  ASSERT_TRUE(registration);
  EXPECT_EQ(registration->lparam, 42);
  EXPECT_EQ(registration->from, WindowSocketPath("client-42"));

  ASSERT_TRUE(manager->Post({registration->lparam, registration->from}, 0xF5EA, 0, 0));
  ASSERT_TRUE(client->WaitForMessage(1000));
  auto ack = client->Receive();
  ASSERT_TRUE(ack);
  EXPECT_EQ(ack->from, WindowSocketPath("KV4910S"));
  EXPECT_EQ(ack->wparam, 0u);
  EXPECT_FALSE(bystander->Receive());

  // An unbound sender has no address to answer to.
  int raw = RawSocket();
  SendRaw(raw, WindowSocketPath("KV4910S"), std::string(12, '\0'));
  close(raw);
  auto anonymous = manager->Receive();
  ASSERT_TRUE(anonymous);
  EXPECT_EQ(anonymous->from, "");
  EXPECT_FALSE(manager->Post({1, anonymous->from}, 0xF5EA, 0, 0));
}

TEST_F(MessageEndpointTest, RuntimeDirectoryMustBeOwnedAndWritableOnlyByThisUser) {
  auto endpoint = CreateMessageEndpoint();
  chmod(dir.path().c_str(), 0777);
  EXPECT_EQ(endpoint->Open("KV4910S"), OpenResult::Failed);
  EXPECT_NE(endpoint->Problem().find("other users can write"), std::string::npos);
  EXPECT_FALSE(dir.Exists("kv4910-KV4910S.sock"));

  chmod(dir.path().c_str(), 0755);
  ASSERT_EQ(endpoint->Open("KV4910S"), OpenResult::Opened) << endpoint->Problem();
  EXPECT_TRUE(endpoint->Problem().empty());
}

TEST_F(MessageEndpointTest, PrivateDirectoryIsMadeForThisUserAlone) {
  ScopedEnv own("KV4910_RUNTIME_DIR", nullptr);
  ScopedEnv xdg("XDG_RUNTIME_DIR", nullptr);
  const std::string private_dir = MessageRuntimeDir();
  const bool existed = std::filesystem::exists(private_dir);
  std::string problem;
  ASSERT_TRUE(PrepareMessageRuntimeDir(problem)) << problem;
  struct stat st;
  ASSERT_EQ(lstat(private_dir.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_uid, geteuid());
  if (!existed) {
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    rmdir(private_dir.c_str());
  }
}

TEST_F(MessageEndpointTest, LockedDirectoryMakesOpenFailAfterABoundedWait) {
  const int holder = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  test::FakeClock clock;
  auto endpoint = CreateMessageEndpoint(clock);
  EXPECT_EQ(endpoint->Open("KV4910S"), OpenResult::Failed);
  EXPECT_NE(endpoint->Problem().find("locked"), std::string::npos) << endpoint->Problem();
  EXPECT_GE(clock.slept(), 1000u);
  EXPECT_LE(clock.slept(), 5000u);

  close(holder);
  EXPECT_EQ(endpoint->Open("KV4910S"), OpenResult::Opened);
}

// Sends one message to `path` as the user nobody, from a child process; true when it was sent.
bool SendAsNobody(const std::string& path) {
  const pid_t child = fork();
  if (child == 0) {
    const gid_t no_groups[1] = {65534};
    if (setgroups(1, no_groups) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    unsigned char bytes[kMessageDatagramSize];
    EncodeMessage(0xF5EA, 0, 42, bytes);
    const ssize_t n =
        sendto(fd, bytes, sizeof bytes, 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    _exit(n == static_cast<ssize_t>(sizeof bytes) ? 0 : 4);
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

TEST_F(MessageEndpointTest, MessagesFromAnotherUserAreDropped) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to send as another user";
  auto endpoint = CreateMessageEndpoint();
  ASSERT_EQ(endpoint->Open("KV4910S"), OpenResult::Opened);
  // Let the other user reach the socket, as in a directory others can enter.
  const std::string path = WindowSocketPath("KV4910S");
  ASSERT_EQ(chmod(dir.path().c_str(), 0711), 0);
  ASSERT_EQ(chmod(path.c_str(), 0666), 0);
  ASSERT_TRUE(SendAsNobody(path));
  EXPECT_FALSE(endpoint->Receive());

  int raw = RawSocket();
  SendRaw(raw, path, std::string("\xEA\xF5\0\0\0\0\0\0\x2A\0\0\0", 12));
  close(raw);
  auto own = endpoint->Receive();
  ASSERT_TRUE(own);
  EXPECT_EQ(own->lparam, 42);
}

}  // namespace
}  // namespace kv
