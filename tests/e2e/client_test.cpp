// Runs the built kv4910-client against a print manager stand-in: a thread with a real message
// endpoint and the real message handling, whose printer side is faked.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "core/messaging.h"
#include "platform/message_endpoint.h"
#include "support/fake_messaging_host.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

// The print manager's window and message handling on a thread of its own. With `answering`
// false the window exists but nobody reads it.
class FakeManager {
 public:
  FakeManager(const std::string& dir, bool answering, const std::string& title = "KV4910S") {
    cfg.spravy = true;
    cfg.ladenie = 1;
    host.dir = dir;
    host.status = 257;
    if (endpoint->Open(title) != OpenResult::Opened) return;
    opened = true;
    messaging.RegisterAtStartup(no_boxes, "");
    messaging.StartupFinished();
    if (answering) thread = std::thread([this] { Run(); });
  }
  ~FakeManager() { Stop(); }

  // Stops the thread and handles what is still queued.
  void Stop() {
    stop = true;
    if (thread.joinable()) thread.join();
    messaging.ProcessPending();
  }

  Config cfg;
  test::FakeMessagingHost host;
  std::unique_ptr<MessageEndpoint> endpoint = CreateMessageEndpoint();
  Messaging messaging{*endpoint, cfg, host};
  bool opened = false;

 private:
  class NoBoxes final : public OperatorBoxes {
   public:
    BoxAnswer Show(const Box&) override {
      ADD_FAILURE() << "unexpected box";
      return BoxAnswer::No;
    }
  };

  void Run() {
    while (!stop) {
      if (!endpoint->WaitForMessage(20)) continue;
      messaging.ProcessPending();
      if (host.timer_starts > 0) {  // the print job runs and reports its result
        host.timer_starts = 0;
        messaging.NotifyClient(1, 1);
      }
    }
  }

  NoBoxes no_boxes;
  std::atomic<bool> stop{false};
  std::thread thread;
};

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

class ClientTest : public ::testing::Test {
 protected:
  RunResult Client(const std::string& args) {
    std::string command = std::string("'") + KV4910_BUILD_DIR + "/kv4910-client' " + args + " 2>'" +
                          (dir / "err.txt") + "'";
    RunResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[256];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = dir.Read("err.txt");
    return result;
  }

  test::TempDir dir;
  test::ScopedEnv runtime_dir{"KV4910_RUNTIME_DIR", dir.path().c_str()};
};

TEST_F(ClientTest, RequestsGetTheRegistrationAckThenTheirAnswer) {
  FakeManager manager(dir.path(), true);
  ASSERT_TRUE(manager.opened);

  RunResult status = Client("status");
  EXPECT_EQ(status.status, 0) << status.err;
  EXPECT_EQ(status.out, "0 0\n3 257\n");

  RunResult print = Client("--timeout 3000 print");
  EXPECT_EQ(print.status, 0) << print.err;
  EXPECT_EQ(print.out, "0 0\n1 1\n");

  RunResult info = Client("info");
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(info.out, "0 0\n2 1\n");

  RunResult echo = Client("--name kv4910 send 7 5");
  EXPECT_EQ(echo.status, 0) << echo.err;
  EXPECT_EQ(echo.out, "0 0\n7 0\n");

  RunResult reg = Client("register");
  EXPECT_EQ(reg.status, 0) << reg.err;
  EXPECT_EQ(reg.out, "0 0\n");

  // Every run unregistered before it ended, and the manager logged each exchange.
  manager.Stop();
  EXPECT_FALSE(manager.messaging.HasClient());
  std::string log = dir.Read("debug_msg.txt");
  EXPECT_NE(log.find("MSG_SE 3,1 (06.12.2026 14:05:09 KV4910 1.0)\r\n"), std::string::npos);
  EXPECT_NE(log.find("MSG_SE 7,0 "), std::string::npos);
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename().string().rfind("kv4910-client-", 0), std::string::npos)
        << "left behind: " << entry.path();
  }
}

TEST_F(ClientTest, WithoutARuntimeDirectoryBothSidesMeetInThePrivateOne) {
  test::ScopedEnv own("KV4910_RUNTIME_DIR", nullptr);
  test::ScopedEnv xdg("XDG_RUNTIME_DIR", nullptr);
  const std::string title = "e2e-" + std::to_string(getpid());
  FakeManager manager(dir.path(), true, title);
  ASSERT_TRUE(manager.opened) << manager.endpoint->Problem();
  RunResult status = Client("--title " + title + " status");
  EXPECT_EQ(status.status, 0) << status.err;
  EXPECT_EQ(status.out, "0 0\n3 257\n");
}

TEST_F(ClientTest, NoManagerOrBadUsageExitTwoSilentManagerTimesOutWithOne) {
  RunResult none = Client("status");
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.out, "");
  EXPECT_NE(none.err.find("not running"), std::string::npos);

  FakeManager silent(dir.path(), false);
  ASSERT_TRUE(silent.opened);
  RunResult other_title = Client("--title POS2 status");
  EXPECT_EQ(other_title.status, 2);

  RunResult late = Client("--timeout 200 status");
  EXPECT_EQ(late.status, 1);
  EXPECT_EQ(late.out, "");
  EXPECT_NE(late.err.find("no answer"), std::string::npos);

  for (const char* bad : {"", "status extra", "send", "send x", "send 1 2 3", "--timeout 0 info",
                          "--title", "--colour red status", "--name '' status"}) {
    RunResult usage = Client(bad);
    EXPECT_EQ(usage.status, 2) << bad;
    EXPECT_NE(usage.err.find("usage:"), std::string::npos) << bad;
  }
}

}  // namespace
}  // namespace kv
