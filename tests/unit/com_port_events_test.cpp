#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "link/com_port.h"

namespace kv {
namespace {

// A device whose events come from a thread of its own, fired by the test.
class ThreadedBackend final : public ComBackend {
 public:
  std::atomic<TComSignals> signals{0};
  std::atomic<bool> report_done{false};
  bool started = false;

  void Open(const std::string&) override {}
  void Close() noexcept override {}
  void SetupBuffers(const TComBuffer&) override {}
  void ApplySettings(const ComLineSettings&) override {}
  void ApplyTimeouts(const TComTimeouts&) override {}
  size_t Write(const char*, size_t count) override { return count; }
  size_t Read(char*, size_t) override { return 0; }
  size_t InputCount() override { return 0; }
  size_t OutputCount() override { return 0; }
  void Purge(bool, bool) override {}
  TComSignals Signals() override { return signals; }
  void SetDTR(bool) override {}
  void SetRTS(bool) override {}
  void StartEvents(TComEvents, std::function<void(TComEvents)> sink) override {
    sink_ = std::move(sink);
    started = true;
  }
  void StopEvents() noexcept override {
    if (thread_.joinable()) thread_.join();
  }
  bool EventsOnOwnThread() const override { return true; }
  bool OutputCountKnown() const override { return true; }

  void Fire(TComEvents events) {
    thread_ = std::thread([this, events] {
      sink_(events);
      report_done = true;
    });
  }
  void Join() { thread_.join(); }

 private:
  std::function<void(TComEvents)> sink_;
  std::thread thread_;
};

// Stands in for the user-interface thread's queue.
struct UiQueue {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::function<void()>> jobs;

  void Post(std::function<void()> job) {
    {
      std::lock_guard lock(mutex);
      jobs.push_back(std::move(job));
    }
    changed.notify_all();
  }
  std::function<void()> WaitForJob() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return !jobs.empty(); });
    auto job = std::move(jobs.front());
    jobs.pop_front();
    return job;
  }
};

struct EventDelivery : ::testing::Test {
  ThreadedBackend* backend = new ThreadedBackend;
  TComPort port{std::unique_ptr<ComBackend>(backend)};
  UiQueue ui;
};

TEST_F(EventDelivery, OneReportIsDeliveredInTheFixedOrderWithTheLineStates) {
  std::vector<TComEvent> order;
  std::vector<std::string> lines;
  port.SetSyncMethod(smNone);
  port.OnEvent([&](TComEvent event) { order.push_back(event); });
  port.OnCTSChange([&](bool on) { lines.push_back(on ? "CTS on" : "CTS off"); });
  port.OnDSRChange([&](bool on) { lines.push_back(on ? "DSR on" : "DSR off"); });
  port.Open();
  backend->signals = csDSR;
  backend->Fire(kAllComEvents);
  backend->Join();
  EXPECT_EQ(order, (std::vector<TComEvent>{evError, evRxChar, evTxEmpty, evBreak, evRing, evCTS,
                                           evDSR, evRxFlag, evRLSD, evRx80Full}));
  EXPECT_EQ(lines, (std::vector<std::string>{"CTS off", "DSR on"}));
}

TEST_F(EventDelivery, ThreadSyncRunsTheHandlersOnTheUiThreadAndWaitsForThem) {
  std::thread::id handler_thread;
  port.OnCTSChange([&](bool) { handler_thread = std::this_thread::get_id(); });
  port.SetUiPoster([&](std::function<void()> job) { ui.Post(std::move(job)); });
  port.Open();
  backend->signals = csCTS;
  backend->Fire(ComEventBit(evCTS));
  auto job = ui.WaitForJob();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(backend->report_done) << "the event thread did not wait for the delivery";
  job();
  backend->Join();
  EXPECT_TRUE(backend->report_done);
  EXPECT_EQ(handler_thread, std::this_thread::get_id());
}

TEST_F(EventDelivery, CloseDoesNotWaitForAQueuedDeliveryWhichThenDoesNothing) {
  int calls = 0;
  port.OnCTSChange([&](bool) { ++calls; });
  port.SetUiPoster([&](std::function<void()> job) { ui.Post(std::move(job)); });
  port.Open();
  backend->Fire(ComEventBit(evCTS));
  auto job = ui.WaitForJob();
  port.Close();  // joins the event thread: it must have stopped waiting
  EXPECT_TRUE(backend->report_done);
  job();
  EXPECT_EQ(calls, 0);
}

TEST_F(EventDelivery, WithoutAPosterThreadSyncDeliversDirectly) {
  std::thread::id handler_thread = std::this_thread::get_id();
  port.OnDSRChange([&](bool) { handler_thread = std::this_thread::get_id(); });
  port.Open();
  backend->Fire(ComEventBit(evDSR));
  backend->Join();
  EXPECT_NE(handler_thread, std::this_thread::get_id());
}

TEST_F(EventDelivery, AnEmptyEventSetStartsNoReporting) {
  port.SetEvents(0);
  port.Open();
  EXPECT_FALSE(backend->started);
  port.Close();
  port.SetEvents(kAllComEvents);
  port.Open();
  EXPECT_TRUE(backend->started);
}

}  // namespace
}  // namespace kv
