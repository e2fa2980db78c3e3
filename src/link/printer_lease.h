#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class PrinterLease;

// One exchange with the printer at a time. Whoever talks to the printer for longer than one
// primitive (the print job, a client's status or information request, connecting) holds the
// lease for its exchange; whoever finds it taken waits for its release or answers busy, so that
// nothing purges or writes into another exchange. The program has one thread: a lease is taken
// and released on it, without locks.
class PrinterLeases {
 public:
  PrinterLeases() = default;
  PrinterLeases(const PrinterLeases&) = delete;
  PrinterLeases& operator=(const PrinterLeases&) = delete;

  // The lease for `holder`, or none while someone else holds it.
  std::optional<PrinterLease> TryLease(std::string_view holder);
  bool Leased() const { return leased_; }
  // Who holds it ("" when nobody).
  const std::string& Holder() const { return holder_; }
  // Called after every release, in the order added: deferred work resumes there.
  void OnLeaseReleased(std::function<void()> callback) {
    on_release_.push_back(std::move(callback));
  }
  // Told of every take (true) and release (false), before the release callbacks; one watcher,
  // cleared with nullptr.
  void SetLeaseWatcher(std::function<void(bool leased)> watcher) { watcher_ = std::move(watcher); }

 private:
  friend class PrinterLease;
  void Release();

  bool leased_ = false;
  bool notifying_ = false;  // the release callbacks are running
  std::string holder_;
  std::vector<std::function<void()>> on_release_;
  std::function<void(bool)> watcher_;
};

// The right to one exchange with the printer; released when destroyed. Move-only.
class PrinterLease {
 public:
  PrinterLease(PrinterLease&& other) noexcept : leases_(other.leases_) { other.leases_ = nullptr; }
  PrinterLease& operator=(PrinterLease&& other) noexcept;
  PrinterLease(const PrinterLease&) = delete;
  PrinterLease& operator=(const PrinterLease&) = delete;
  ~PrinterLease() { Release(); }

  // Gives the lease back before the end of the scope.
  void Release();

 private:
  friend class PrinterLeases;
  explicit PrinterLease(PrinterLeases& leases) : leases_(&leases) {}
  PrinterLeases* leases_;
};

}  // namespace kv
