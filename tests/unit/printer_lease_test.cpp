#include "link/printer_lease.h"

#include <gtest/gtest.h>

#include <vector>

namespace kv {
namespace {

TEST(PrinterLease, OneHolderAtATimeUntilReleasedByDestructionOrRelease) {
  PrinterLeases leases;
  {
    std::optional<PrinterLease> job = leases.TryLease("print job");
    ASSERT_TRUE(job);
    EXPECT_TRUE(leases.Leased());
    EXPECT_EQ(leases.Holder(), "print job");
    EXPECT_FALSE(leases.TryLease("client status"));
    EXPECT_EQ(leases.Holder(), "print job");
  }
  EXPECT_FALSE(leases.Leased());
  EXPECT_EQ(leases.Holder(), "");

  std::optional<PrinterLease> connect = leases.TryLease("connect");
  ASSERT_TRUE(connect);
  connect->Release();
  EXPECT_FALSE(leases.Leased());
  EXPECT_TRUE(leases.TryLease("again"));
}

TEST(PrinterLease, AMoveHandsTheLeaseOnWithoutReleasingIt) {
  PrinterLeases leases;
  int released = 0;
  leases.OnLeaseReleased([&] { ++released; });
  std::optional<PrinterLease> first = leases.TryLease("job");
  PrinterLease moved = std::move(*first);
  first.reset();  // the moved-from lease gives nothing back
  EXPECT_TRUE(leases.Leased());
  EXPECT_EQ(released, 0);

  PrinterLease target = std::move(moved);
  target = std::move(target);  // self-move keeps it
  EXPECT_TRUE(leases.Leased());
  target.Release();
  target.Release();  // once only
  EXPECT_EQ(released, 1);
}

TEST(PrinterLease, WaitingWorkResumesOnReleaseOnceEvenWhenItTakesTheLeaseItself) {
  PrinterLeases leases;
  std::vector<std::string> log;
  leases.OnLeaseReleased([&] {
    // A deferred request takes the printer for its own exchange and gives it back.
    auto own = leases.TryLease("deferred request");
    log.push_back(own ? "request" : "request found it taken");
  });
  leases.OnLeaseReleased([&] { log.push_back(leases.Leased() ? "busy" : "tick"); });
  { auto job = leases.TryLease("job"); }
  EXPECT_EQ(log, (std::vector<std::string>{"request", "tick"}));

  // A callback that keeps the lease holds the others back until it lets go.
  log.clear();
  std::optional<PrinterLease> kept;
  bool took = false;
  PrinterLeases holding;
  holding.OnLeaseReleased([&] {
    if (!took) kept = holding.TryLease("window");
    took = true;
    log.push_back("window");
  });
  holding.OnLeaseReleased([&] { log.push_back("tick"); });
  { auto job = holding.TryLease("job"); }
  EXPECT_EQ(log, (std::vector<std::string>{"window"}));
  kept.reset();
  EXPECT_EQ(log, (std::vector<std::string>{"window", "window", "tick"}));
}

}  // namespace
}  // namespace kv
