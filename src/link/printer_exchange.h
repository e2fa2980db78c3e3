#pragma once

#include <optional>
#include <string_view>

#include "link/printer_lease.h"

namespace kv {

class PrinterLink;

// One exchange with the printer, as a scope: it takes the printer's lease (or finds it taken:
// busy), brings the line up on request, and when it ends, on every way out, closes the port when
// CLOSE_PORT says so and gives the lease back, in that order.
//
// Short exchanges live on the stack of the command they serve. Holders that keep the printer
// across events (an open till receipt, the settings dialog, the copies window's transfer) keep
// one as a member, created idle, and Begin and End it.
class PrinterExchange {
 public:
  // What happens to the port when the exchange ends.
  enum class PortAfter {
    CloseWhenConfigured,  // closed when CLOSE_PORT is set
    LeaveOpen,            // left as it is (the holder's next exchange goes on over it)
  };

  // Idle: holds nothing until Begin.
  explicit PrinterExchange(PrinterLink& link, PortAfter after = PortAfter::CloseWhenConfigured)
      : link_(&link), after_(after) {}
  // Begins at once for `holder`; check held() (or the object itself) for busy.
  PrinterExchange(PrinterLink& link, std::string_view holder,
                  PortAfter after = PortAfter::CloseWhenConfigured,
                  Attendance attendance = Attendance::Attended);
  PrinterExchange(PrinterExchange&& other) noexcept;
  PrinterExchange& operator=(PrinterExchange&& other) noexcept;
  PrinterExchange(const PrinterExchange&) = delete;
  PrinterExchange& operator=(const PrinterExchange&) = delete;
  ~PrinterExchange() { End(); }

  // Takes the lease for `holder`; true when it is held now (also when it was held already).
  // `attendance` says whether the exchange may ask anybody; it ends with the exchange.
  bool Begin(std::string_view holder, Attendance attendance = Attendance::Attended);
  bool held() const { return lease_.has_value(); }
  // The exchange may show boxes and wait for the operator.
  bool attended() const { return attendance_ == Attendance::Attended; }
  explicit operator bool() const { return held(); }

  // Brings the line up (InitPort with `quiet`); true when the printer is ready. A bring-up that
  // fails has closed what it opened: the port is then left alone when the exchange ends.
  bool BringUp(int quiet = 0);
  // Nothing went over the line: the port stays as it is when the exchange ends.
  void LeavePortOpen() { after_ = PortAfter::LeaveOpen; }
  // Closes the port now when CLOSE_PORT is set (a setting changed inside the exchange).
  void ClosePortWhenConfigured();
  // Ends the exchange before the end of the scope; nothing when idle.
  void End();

  // After an exchange that gave the printer back early (to show a window that takes it for its
  // own exchanges): the port is closed when CLOSE_PORT is set, unless someone else holds the
  // printer by now (a till receipt), whose port stays open.
  static void CloseIdlePort(PrinterLink& link, std::string_view holder);

 private:
  PrinterLink* link_;
  PortAfter after_;
  PortAfter configured_after_ = after_;  // what Begin starts each exchange with
  Attendance attendance_ = Attendance::Attended;
  std::optional<PrinterLease> lease_;
};

}  // namespace kv
