#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "sim/line_printer.h"
#include "support/fake_endpoint.h"
#include "support/print_manager_fixture.h"
#include "support/sim_fixture.h"

namespace kv::test {

// An escape command: ESC and its letter (written this way because "\x1b" followed by a hex
// digit letter would not end the escape).
inline std::string Esc(char letter) {
  return std::string{'\x1b', letter};
}

// A sale receipt as a point-of-sale program writes it.
inline std::string Receipt() {
  return SampleReceipt();
}

// The print manager on an in-memory line to the printer simulator, with its fakes and its
// working files (and the input file blocek.txt) in a temporary directory. Message n reads "[n]".
// Client notifications are recorded.
class JobFakes : public PrintManagerFakes {
 public:
  JobFakes() : printer(line) {
    NumberMessages("[%d]");
    WorkInTempDirOnTheLine();
    pm.config().path_in = dir / "blocek.txt";
    pm.link().SetIdentText("RB4900 1.2");
    pm.startup().version_text = TSRB4900::kVersionText;
    printer.SetScheduler(
        [this](uint32_t tick, std::function<void()> action) { clock.At(tick, std::move(action)); });
    engine().state().document_number = 100;
    pm.jobs().OnNotifyClient(
        [this](int32_t code, int32_t value) { notified.emplace_back(code, value); });
  }

  void WriteJob(const std::string& bytes) { dir.Write("blocek.txt", bytes); }
  bool JobFileExists() const { return dir.Exists("blocek.txt"); }
  // Where an input file that was never printed is set aside (the shop time is 14:30:00).
  std::string SetAsideFile(const std::string& suffix = "") const {
    return dir.Read("blocek_261206_143000" + suffix + ".txt");
  }
  // Runs `action` once, at the first millisecond of the fake clock at which `condition` holds.
  void When(std::function<bool()> condition, std::function<void()> action) {
    watch_ = [this, condition = std::move(condition), action = std::move(action)] {
      if (condition())
        action();
      else
        clock.After(1, [this] { watch_(); });
    };
    clock.After(1, [this] { watch_(); });
  }
  void Tick() { pm.Timer_prmgrTimer(); }
  sim::Engine& engine() { return printer.engine(); }
  // Every byte the printer took, in order.
  std::string Wire() { return engine().ReceivedBytes(); }
  int Receipts() { return static_cast<int>(engine().state().receipt_count); }
  int Closings() { return static_cast<int>(engine().state().closing_count); }

  // The bytes the printer got between the end of the first occurrence of `after` and the next
  // occurrence of `before` (empty when either is missing).
  std::string WireBetween(const std::string& after, const std::string& before) {
    const std::string wire = Wire();
    const size_t from = wire.find(after);
    if (from == std::string::npos) return {};
    const size_t start = from + after.size();
    const size_t end = wire.find(before, start);
    return end == std::string::npos ? std::string() : wire.substr(start, end - start);
  }

  // Client messaging started on a fake endpoint and taking messages from now on.
  FakeEndpoint& StartFakeMessaging() {
    pm.client_messaging().SetEndpointFactory([this] {
      auto made = std::make_unique<FakeEndpoint>();
      endpoint_ = made.get();
      return made;
    });
    EXPECT_TRUE(pm.StartupMessaging());
    pm.TakeClientMessages();
    return *endpoint_;
  }

  sim::LinePrinter printer;
  std::vector<std::pair<int32_t, int32_t>> notified;

 private:
  std::function<void()> watch_;
  FakeEndpoint* endpoint_ = nullptr;
};

class JobTest : public ::testing::Test, public JobFakes {};

}  // namespace kv::test
