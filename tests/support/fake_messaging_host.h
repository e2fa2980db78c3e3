#pragma once

#include <functional>
#include <string>

#include "core/messaging.h"

namespace kv::test {

// The print manager as the messaging sees it: answers it is told to give, counts of what it was
// asked, and a hook that runs inside the status query (where a real one may show a box).
class FakeMessagingHost final : public MessagingHost {
 public:
  bool JobBusy() override { return busy; }
  void StartPrintJobTimer() override { ++timer_starts; }
  int32_t QueryStatus() override {
    ++status_queries;
    if (during_status) during_status();
    return status;
  }
  int32_t ReadDeviceInfo() override {
    ++info_reads;
    return info;
  }
  std::string IdentificationText() override { return "KV4910 1.0"; }
  std::string DateText() override { return "06.12.2026"; }
  std::string TimeText() override { return "14:05:09"; }
  std::string ProgramDir() override { return dir; }

  bool busy = false;
  int timer_starts = 0;
  int32_t status = 1;
  int status_queries = 0;
  int32_t info = 1;
  int info_reads = 0;
  std::string dir;
  std::function<void()> during_status;
};

}  // namespace kv::test
