#include "core/messaging.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "support/fake_endpoint.h"
#include "support/fake_messaging_host.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using test::FakeEndpoint;

constexpr uint32_t kNumber = 0xF5EA;  // "KV4910"

class MessagingTest : public ::testing::Test {
 protected:
  MessagingTest() {
    cfg.spravy = true;
    host.dir = dir.path();
  }

  // Registers the message name and a client with `handle`; forgets the acknowledgement.
  void Connect(int32_t handle = 77) {
    messaging.RegisterAtStartup(boxes, "msg116");
    ASSERT_EQ(messaging.registered_message(), kNumber);
    ASSERT_TRUE(Send(0, handle));
    endpoint.posted.clear();
  }
  bool Send(uint32_t code, int32_t value = 0, uint32_t number = kNumber) {
    return messaging.HandleMessage({number, code, value, "/run/pos.sock"});
  }
  // The (code, value) pairs posted so far, all to the client's address with the number.
  std::vector<std::pair<uint32_t, int32_t>> Answers() const {
    std::vector<std::pair<uint32_t, int32_t>> out;
    for (const auto& p : endpoint.posted) {
      EXPECT_EQ(p.msg, kNumber);
      EXPECT_EQ(p.to.address, "/run/pos.sock");
      out.emplace_back(p.code, p.value);
    }
    return out;
  }
  using Pairs = std::vector<std::pair<uint32_t, int32_t>>;

  test::TempDir dir;
  Config cfg;
  FakeEndpoint endpoint;
  test::FakeMessagingHost host;
  test::ScriptedBoxes boxes;
  Messaging messaging{endpoint, cfg, host};
};

TEST_F(MessagingTest, StartupRegistersOnlyWithMessagingOnAndRetriesOnYes) {
  cfg.spravy = false;
  messaging.RegisterAtStartup(boxes, "msg116");
  EXPECT_EQ(endpoint.registrations, 0);
  EXPECT_EQ(messaging.registered_message(), 0u);

  cfg.spravy = true;
  endpoint.failing_registrations = 2;
  boxes.Expect("msg116", BoxAnswer::Yes, BoxAnswer::No)
      .Expect("msg116", BoxAnswer::Yes, BoxAnswer::No);
  messaging.RegisterAtStartup(boxes, "msg116");
  EXPECT_EQ(endpoint.registrations, 3);
  EXPECT_EQ(messaging.registered_message(), kNumber);
  EXPECT_TRUE(cfg.spravy);
  ASSERT_EQ(boxes.shown().size(), 2u);
  const Box& box = boxes.shown()[0];
  EXPECT_EQ(box.kind, BoxKind::App);
  EXPECT_EQ(box.buttons, BoxButtons::YesNo);
  EXPECT_EQ(box.icon, BoxIcon::Warning);
}

TEST_F(MessagingTest, StartupRegistrationRefusedSwitchesMessagingOffForTheRun) {
  cfg.id_manager = "";
  boxes.Expect("msg116", BoxAnswer::No, BoxAnswer::No);
  messaging.RegisterAtStartup(boxes, "msg116");
  EXPECT_FALSE(cfg.spravy);
  EXPECT_EQ(messaging.registered_message(), 0u);
  // Nothing is recognised, not even a message numbered 0.
  EXPECT_FALSE(Send(0, 77, 0));
  EXPECT_TRUE(endpoint.posted.empty());
}

TEST_F(MessagingTest, TypedNameIsRegisteredOnlyWhenTickedAndFailureForgetsTheNumber) {
  Connect();
  messaging.RegisterTypedName(false, "POS", boxes, "msg36");
  EXPECT_EQ(messaging.registered_message(), kNumber);

  messaging.RegisterTypedName(true, "POS", boxes, "msg36");
  EXPECT_EQ(messaging.registered_message(), MessageNumberForName("pos"));
  EXPECT_FALSE(Send(7));  // the old number is no longer ours
  EXPECT_TRUE(Send(7, 0, MessageNumberForName("POS")));

  boxes.Expect("msg36");
  messaging.RegisterTypedName(true, "", boxes, "msg36");
  EXPECT_EQ(boxes.shown().back().kind, BoxKind::Plain);
  EXPECT_EQ(messaging.registered_message(), 0u);
  EXPECT_FALSE(Send(7, 0, 0));
}

TEST_F(MessagingTest, RegistrationAcknowledgedToItsAddressHandleZeroClearsWithoutAnswer) {
  messaging.RegisterAtStartup(boxes, "msg116");
  // Before any registration a request is taken but does nothing.
  EXPECT_TRUE(Send(1));
  EXPECT_TRUE(Send(3));
  EXPECT_EQ(host.timer_starts, 0);
  EXPECT_EQ(host.status_queries, 0);
  EXPECT_TRUE(endpoint.posted.empty());

  EXPECT_TRUE(Send(0, 77));
  EXPECT_EQ(messaging.client().handle, 77);
  EXPECT_EQ(Answers(), (Pairs{{0, 0}}));

  endpoint.posted.clear();
  EXPECT_TRUE(Send(0, 0));
  EXPECT_FALSE(messaging.HasClient());
  EXPECT_TRUE(endpoint.posted.empty());
  EXPECT_TRUE(Send(7));
  EXPECT_TRUE(endpoint.posted.empty());
}

TEST_F(MessagingTest, RequestsAreAnswered) {
  Connect();
  host.status = 0;  // printer switched off
  EXPECT_TRUE(Send(3));
  host.status = 0x8001;
  EXPECT_TRUE(Send(3));
  host.info = 0;
  EXPECT_TRUE(Send(2));
  EXPECT_TRUE(Send(7, 99));
  EXPECT_EQ(Answers(), (Pairs{{3, 0}, {3, 0x8001}, {2, 0}, {7, 0}}));

  endpoint.posted.clear();
  EXPECT_TRUE(Send(1));  // print: the job itself reports when it ends
  EXPECT_EQ(host.timer_starts, 1);
  EXPECT_TRUE(endpoint.posted.empty());
  messaging.NotifyClient(1, 5);
  EXPECT_EQ(Answers(), (Pairs{{1, 5}}));

  // A client that went away stays registered.
  endpoint.peer_alive = false;
  EXPECT_TRUE(Send(7));
  EXPECT_EQ(messaging.client().handle, 77);
}

TEST_F(MessagingTest, MessagesPassThroughWhenMessagingIsOffOrNumberIsOther) {
  cfg.ladenie = 1;
  Connect();
  EXPECT_FALSE(Send(7, 0, kNumber + 1));
  cfg.spravy = false;
  EXPECT_FALSE(Send(7));
  EXPECT_FALSE(Send(0, 5));
  messaging.NotifyClient(1, 1);
  EXPECT_TRUE(endpoint.posted.empty());
  EXPECT_EQ(messaging.client().handle, 77);
  // Only the registration of Connect() was logged.
  EXPECT_EQ(dir.Read("debug_msg.txt").find("MSG_RE 7"), std::string::npos);
}

TEST_F(MessagingTest, DuringAJobPrintIsRefusedAndPrinterRequestsWaitForItsEnd) {
  Connect();
  host.busy = true;
  EXPECT_TRUE(Send(1));
  EXPECT_TRUE(Send(2));
  EXPECT_TRUE(Send(3));
  EXPECT_TRUE(Send(2));
  EXPECT_TRUE(Send(9));
  EXPECT_EQ(host.timer_starts, 0);
  EXPECT_EQ(host.info_reads, 0);
  EXPECT_EQ(host.status_queries, 0);
  EXPECT_EQ(Answers(), (Pairs{{1, 2}, {9, 0}}));

  messaging.OnJobFinished();  // still busy: nothing yet
  EXPECT_EQ(Answers().size(), 2u);

  endpoint.posted.clear();
  host.busy = false;
  host.status = 0x101;
  messaging.NotifyClient(1, 1);  // the job's own result comes first
  messaging.OnJobFinished();
  EXPECT_EQ(Answers(), (Pairs{{1, 1}, {2, 1}, {2, 1}, {3, 0x101}}));
  EXPECT_EQ(host.info_reads, 1);
  EXPECT_EQ(host.status_queries, 1);

  endpoint.posted.clear();
  messaging.OnJobFinished();
  EXPECT_TRUE(endpoint.posted.empty());

  // A new registration drops what the earlier client asked for.
  host.busy = true;
  EXPECT_TRUE(Send(2));
  EXPECT_TRUE(Send(0, 78));
  host.busy = false;
  endpoint.posted.clear();
  messaging.OnJobFinished();
  EXPECT_TRUE(endpoint.posted.empty());
}

TEST_F(MessagingTest, RequestsFromAnyoneButTheRegisteredClientAreIgnored) {
  Connect();
  for (uint32_t code : {1u, 2u, 3u, 7u})
    EXPECT_TRUE(messaging.HandleMessage({kNumber, code, 0, "/run/stranger.sock"})) << code;
  EXPECT_EQ(host.timer_starts, 0);
  EXPECT_EQ(host.info_reads, 0);
  EXPECT_EQ(host.status_queries, 0);
  EXPECT_TRUE(endpoint.posted.empty());
  EXPECT_TRUE(Send(1));
  EXPECT_EQ(host.timer_starts, 1);
}

TEST_F(MessagingTest, MessagesWaitInTheEndpointUntilStartupHasFinished) {
  std::vector<bool> taking;
  messaging.on_taking_changed = [&](bool on) { taking.push_back(on); };
  messaging.RegisterAtStartup(boxes, "msg116");
  endpoint.queue.push_back({kNumber, 0, 77, "/run/pos.sock"});
  endpoint.queue.push_back({kNumber, 3, 0, "/run/pos.sock"});
  messaging.ProcessPending();
  EXPECT_EQ(endpoint.queue.size(), 2u);
  EXPECT_TRUE(endpoint.posted.empty());
  EXPECT_TRUE(taking.empty());

  bool taking_during_status = true;
  host.during_status = [&] { taking_during_status = messaging.TakingMessages(); };
  messaging.StartupFinished();
  messaging.ProcessPending();
  EXPECT_EQ(Answers(), (Pairs{{0, 0}, {3, 1}}));
  EXPECT_FALSE(taking_during_status);
  ASSERT_FALSE(taking.empty());
  EXPECT_TRUE(taking.front());
  EXPECT_TRUE(taking.back());
  EXPECT_NE(std::find(taking.begin(), taking.end(), false), taking.end());
}

TEST_F(MessagingTest, PendingMessagesAreHandledOneAtATimeNeverNested) {
  messaging.StartupFinished();
  Connect();
  endpoint.queue.push_back({kNumber, 3, 0, "/run/pos.sock"});
  endpoint.queue.push_back({kNumber, 9, 0, "/run/pos.sock"});
  endpoint.queue.push_back({kNumber + 1, 9, 0, "/run/pos.sock"});
  size_t posted_during_status = 99;
  host.during_status = [&] {
    messaging.ProcessPending();  // a wait inside the status query lets messages through
    posted_during_status = endpoint.posted.size();
  };
  messaging.ProcessPending();
  EXPECT_EQ(posted_during_status, 0u);
  EXPECT_EQ(Answers(), (Pairs{{3, 1}, {9, 0}}));
  EXPECT_TRUE(endpoint.queue.empty());
}

TEST_F(MessagingTest, DebugLogLinesByteExact) {
  cfg.ladenie = 1;
  messaging.RegisterAtStartup(boxes, "msg116");
  host.status = 0x180;  // 384: written as the signed byte -128
  Send(0, 1234567);
  Send(3);
  Send(200);
  Send(0, 0);
  EXPECT_EQ(dir.Read("debug_msg.txt"),
            "H:  4321 A:     0 R: 62954 MSG_RE 0   (06.12.2026 14:05:09 KV4910 1.0)\r\n"
            "H:  4321 A:1234567 R: 62954 MSG_SE 0,0 (06.12.2026 14:05:09 KV4910 1.0)\r\n"
            "H:  4321 A:1234567 R: 62954 MSG_RE 3   (06.12.2026 14:05:09 KV4910 1.0)\r\n"
            "H:  4321 A:1234567 R: 62954 MSG_SE 3,-128 (06.12.2026 14:05:09 KV4910 1.0)\r\n"
            "H:  4321 A:1234567 R: 62954 MSG_RE 200   (06.12.2026 14:05:09 KV4910 1.0)\r\n"
            "H:  4321 A:1234567 R: 62954 MSG_SE -56,0 (06.12.2026 14:05:09 KV4910 1.0)\r\n"
            "H:  4321 A:1234567 R: 62954 MSG_RE 0   (06.12.2026 14:05:09 KV4910 1.0)\r\n");
}

TEST_F(MessagingTest, DebugLogOnlyWithLadenieOneAndSkippedWhenItCannotBeOpened) {
  cfg.ladenie = 2;
  Connect();
  EXPECT_TRUE(Send(7));
  EXPECT_FALSE(dir.Exists("debug_msg.txt"));

  cfg.ladenie = 1;
  host.dir = dir / "missing";
  EXPECT_TRUE(Send(7));
  EXPECT_EQ(Answers(), (Pairs{{7, 0}, {7, 0}}));
}

}  // namespace
}  // namespace kv
