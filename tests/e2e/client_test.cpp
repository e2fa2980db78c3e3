// Runs the built kv4910-client against a print manager stand-in: a thread with a real message
// endpoint and the real message handling, whose printer side is faked.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "core/messaging.h"
#include "platform/message_endpoint.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

class ManagerHost final : public MessagingHost {
 public:
  bool JobBusy() override { return false; }
  void StartPrintJobTimer() override { job_requested = true; }
  int32_t QueryStatus() override { return 257; }
  int32_t ReadDeviceInfo() override { return 1; }
  std::string IdentificationText() override { return "KV4910 1.0"; }
  std::string DateText() override { return "06.12.2026"; }
  std::string TimeText() override { return "14:05:09"; }
  std::string ProgramDir() override { return dir; }

  bool job_requested = false;
  std::string dir;
};

// The print manager's window and message handling on a thread of its own. With `answering`
// false the window exists but nobody reads it.
class FakeManager {
 public:
  FakeManager(const std::string& dir, bool answering) {
    cfg.spravy = true;
    cfg.ladenie = 1;
    host.dir = dir;
    if (endpoint->Open("KV4910S") != OpenResult::Opened) return;
    opened = true;
    messaging.RegisterAtStartup(no_boxes, "");
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
  ManagerHost host;
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
      if (host.job_requested) {  // the print job runs and reports its result
        host.job_requested = false;
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
  void SetUp() override {
    if (const char* old = std::getenv("KV4910_RUNTIME_DIR")) old_dir_ = old;
    setenv("KV4910_RUNTIME_DIR", dir.path().c_str(), 1);
  }
  void TearDown() override {
    if (old_dir_) {
      setenv("KV4910_RUNTIME_DIR", old_dir_->c_str(), 1);
    } else {
      unsetenv("KV4910_RUNTIME_DIR");
    }
  }

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

 private:
  std::optional<std::string> old_dir_;
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
