#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class PrinterLease;

// Whether someone can be asked during an exchange. Unattended (a request of the local HTTP
// interface): nothing shows a box (what it would have said goes to the error file or the
// answer), the status query runs no automatic daily close, and a bring-up does not wait for the
// operator to clear a condition.
enum class Attendance { Attended, Unattended };

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

  // The lease for `holder`, or none while someone else holds it. The attendance holds for the
  // exchange the lease is taken for and ends with it.
  std::optional<PrinterLease> TryLease(std::string_view holder,
                                       Attendance attendance = Attendance::Attended);
  bool Leased() const { return leased_; }
  // True while the holder's exchange has nobody to ask.
  bool Unattended() const { return leased_ && attendance_ == Attendance::Unattended; }
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
  Attendance attendance_ = Attendance::Attended;
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
