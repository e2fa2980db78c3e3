#include "app/message_watch.h"

#include <gtest/gtest.h>
#include <time.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <vector>

#include "support/fake_messaging_host.h"
#include "support/scoped_env.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

constexpr uint32_t kNumber = 0xF5EA;  // "KV4910"

// CPU time this thread spends while an event loop runs for `ms`, as under an open box.
double CpuMsOfEventLoop(int ms) {
  timespec before, after;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
  return (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
}

// The real endpoint and messaging under the application's watch; the printer's status query
// keeps a box open (runs an event loop) while a second request waits in the socket.
TEST(MessageWatch, TakesNothingDuringStartupAndDoesNotSpinWhileAHandlerShowsABox) {
  test::TempDir dir;
  test::ScopedEnv env("KV4910_RUNTIME_DIR", dir.path().c_str());
  Config cfg;
  cfg.spravy = true;
  test::FakeMessagingHost host;
  test::ScriptedBoxes boxes;
  auto manager = CreateMessageEndpoint();
  ASSERT_EQ(manager->Open("KV4910S"), OpenResult::Opened);
  Messaging messaging(*manager, cfg, host);
  messaging.RegisterAtStartup(boxes, "");
  MessageWatch watch(manager->NotifyFd(), messaging);

  auto pos = CreateMessageEndpoint();
  ASSERT_EQ(pos->Open("pos"), OpenResult::Opened);
  const MessagePeer to = *pos->FindWindow("KV4910S");
  for (uint32_t code : {0u, 3u, 3u}) ASSERT_TRUE(pos->Post(to, kNumber, code, 77));

  EXPECT_LT(CpuMsOfEventLoop(300), 60.0);  // a start-up box is open
  EXPECT_FALSE(pos->Receive());

  double cpu_in_box = -1;
  host.during_status = [&] {
    if (cpu_in_box < 0) cpu_in_box = CpuMsOfEventLoop(300);
  };
  messaging.StartupFinished();
  std::vector<uint32_t> answers;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (answers.size() < 3 && std::chrono::steady_clock::now() < end) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    while (auto m = pos->Receive()) answers.push_back(m->wparam);
  }
  EXPECT_EQ(answers, (std::vector<uint32_t>{0, 3, 3}));
  EXPECT_GE(cpu_in_box, 0.0);
  EXPECT_LT(cpu_in_box, 60.0);
}

}  // namespace
}  // namespace kv
