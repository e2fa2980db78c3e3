#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "core/messaging.h"
#include "platform/message_endpoint.h"
#include "support/fake_messaging_host.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using Pairs = std::vector<std::pair<uint32_t, int32_t>>;

// A title no other test or program uses.
std::string UniqueTitle(const char* what) {
  return std::string("kv4910-test-") + what + "-" + std::to_string(GetCurrentProcessId());
}

// The answers waiting for `client` with message `number`, in order.
Pairs TakeAnswers(MessageEndpoint& client, uint32_t number) {
  Pairs out;
  while (auto m = client.Receive()) {
    EXPECT_EQ(m->msg, number);
    out.emplace_back(m->wparam, static_cast<int32_t>(m->lparam));
  }
  return out;
}

// The print manager's messaging on a real window, a client on another: each request crosses the
// window system both ways with the codes and answers the datagram endpoint carries.
TEST(WindowMessages, ClientRequestsGetTheirAnswersAcrossWindows) {
  test::TempDir dir;
  Config cfg;
  cfg.spravy = true;
  cfg.id_manager = "KV4910";
  test::FakeMessagingHost host;
  host.dir = dir.path();
  host.status = 257;
  test::ScriptedBoxes boxes;
  auto manager = CreateMessageEndpoint();
  ASSERT_EQ(manager->Open(UniqueTitle("manager")), OpenResult::Opened) << manager->Problem();
  Messaging messaging(*manager, cfg, host);
  messaging.RegisterAtStartup(boxes, "msg116");
  messaging.StartupFinished();

  auto client = CreateMessageEndpoint();
  ASSERT_EQ(client->Open(UniqueTitle("client")), OpenResult::Opened) << client->Problem();
  auto found = client->FindWindow(UniqueTitle("manager"));
  ASSERT_TRUE(found);
  const uint32_t number = client->RegisterMessage("kv4910");  // names match without case
  ASSERT_EQ(number, messaging.registered_message());
  ASSERT_GE(number, 0xC000u);

  struct Case {
    const char* what;
    uint32_t code;
    int32_t value;
    bool job_busy;
    Pairs answers;
  };
  const Case cases[] = {
      {"status before registering", 3, 0, false, {}},
      {"register", 0, client->OwnHandle(), false, {{0, 0}}},
      {"status", 3, 0, false, {{3, 257}}},
      {"info", 2, 0, false, {{2, 1}}},
      {"print while a job runs", 1, 0, true, {{1, 2}}},
      {"print: the job answers when it ends", 1, 0, false, {}},
      {"echo", 7, 5, false, {{7, 0}}},
      {"unregister", 0, 0, false, {}},
      {"status after unregistering", 3, 0, false, {}},
  };
  for (const Case& c : cases) {
    host.busy = c.job_busy;
    ASSERT_TRUE(client->Post(*found, number, c.code, c.value)) << c.what;
    messaging.ProcessPending();
    EXPECT_EQ(TakeAnswers(*client, number), c.answers) << c.what;
  }
  EXPECT_EQ(host.timer_starts, 1);
  EXPECT_EQ(host.status_queries, 1);
}

TEST(WindowMessages, OneOwnerPerTitleFoundByItsHandleUntilItCloses) {
  const std::string title = UniqueTitle("owner");
  auto first = CreateMessageEndpoint();
  auto second = CreateMessageEndpoint();
  EXPECT_FALSE(second->FindWindow(title));
  ASSERT_EQ(first->Open(title), OpenResult::Opened) << first->Problem();
  EXPECT_EQ(second->Open(title), OpenResult::AlreadyRunning);
  EXPECT_FALSE(second->IsOpen());
  auto found = second->FindWindow(title);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->handle, first->OwnHandle());
  EXPECT_NE(found->handle, 0);

  first.reset();  // the window and its instance name go with it
  EXPECT_FALSE(second->FindWindow(title));
  EXPECT_EQ(second->Open(title), OpenResult::Opened) << second->Problem();
  EXPECT_EQ(second->RegisterMessage(""), 0u);
  EXPECT_FALSE(second->Post(MessagePeer{}, 0xC000, 0, 0));
}

// The system ends the program by closing its window, quitting its thread or ending the session;
// a session that is only asked about, or not ended after all, leaves it running. Client
// messages queued meanwhile stay for the program to take.
TEST(WindowMessages, TheSystemsRequestsToEndAreSeenClientMessagesStay) {
  enum class How { Post, Send, Quit };
  struct Case {
    const char* what;
    How how;
    UINT msg;
    WPARAM wparam;
    bool ends;
  };
  const Case cases[] = {
      {"window closed", How::Post, WM_CLOSE, 0, true},
      {"session ends", How::Send, WM_ENDSESSION, TRUE, true},
      {"session goes on after all", How::Send, WM_ENDSESSION, FALSE, false},
      {"asked whether the session may end", How::Send, WM_QUERYENDSESSION, 0, false},
      {"thread told to quit", How::Quit, WM_QUIT, 0, true},
  };
  for (const Case& c : cases) {
    auto endpoint = CreateMessageEndpoint();
    ASSERT_EQ(endpoint->Open(UniqueTitle("end")), OpenResult::Opened) << c.what;
    const uint32_t number = endpoint->RegisterMessage("KV4910");
    const MessagePeer self{endpoint->OwnHandle(), {}};
    ASSERT_TRUE(endpoint->Post(self, number, 3, 0)) << c.what;
    HWND hwnd = reinterpret_cast<HWND>(static_cast<intptr_t>(self.handle));
    switch (c.how) {
      case How::Post:
        PostMessageA(hwnd, c.msg, c.wparam, 0);
        break;
      case How::Send:
        // The session may end: the window must agree.
        EXPECT_EQ(SendMessageA(hwnd, c.msg, c.wparam, 0), c.msg == WM_QUERYENDSESSION ? TRUE : 0)
            << c.what;
        break;
      case How::Quit:
        PostQuitMessage(0);
        break;
    }
    EXPECT_EQ(endpoint->EndRequested(), c.ends) << c.what;
    auto queued = endpoint->Receive();
    ASSERT_TRUE(queued) << c.what;
    EXPECT_EQ(queued->msg, number);
    EXPECT_EQ(queued->wparam, 3u);
    EXPECT_FALSE(endpoint->Receive()) << c.what;
    EXPECT_TRUE(endpoint->IsOpen()) << c.what;
  }
}

}  // namespace
}  // namespace kv
