#include "link/printer_lease.h"

namespace kv {

std::optional<PrinterLease> PrinterLeases::TryLease(std::string_view holder,
                                                   Attendance attendance) {
  if (leased_) return std::nullopt;
  leased_ = true;
  holder_ = holder;
  attendance_ = attendance;
  if (watcher_) watcher_(true);
  return PrinterLease(*this);
}

void PrinterLeases::Release() {
  leased_ = false;
  holder_.clear();
  attendance_ = Attendance::Attended;
  if (watcher_) watcher_(false);
  // A callback that takes the lease for its own exchange releases it inside this round: the
  // round goes on, it does not start again.
  if (notifying_) return;
  notifying_ = true;
  // Copied, so that a callback that adds another does not disturb this round.
  const std::vector<std::function<void()>> callbacks = on_release_;
  for (const auto& callback : callbacks) {
    if (leased_) break;  // a callback kept the lease: the others wait for its release
    callback();
  }
  notifying_ = false;
}

PrinterLease& PrinterLease::operator=(PrinterLease&& other) noexcept {
  if (this != &other) {
    Release();
    leases_ = other.leases_;
    other.leases_ = nullptr;
  }
  return *this;
}

void PrinterLease::Release() {
  if (!leases_) return;
  PrinterLeases* leases = leases_;
  leases_ = nullptr;
  leases->Release();
}

}  // namespace kv
