#include "link/printer_exchange.h"

#include <utility>

#include "link/printer_link.h"

namespace kv {

PrinterExchange::PrinterExchange(PrinterLink& link, std::string_view holder, PortAfter after,
                                 Attendance attendance)
    : PrinterExchange(link, after) {
  Begin(holder, attendance);
}

PrinterExchange::PrinterExchange(PrinterExchange&& other) noexcept
    : link_(other.link_),
      after_(other.after_),
      configured_after_(other.configured_after_),
      attendance_(other.attendance_),
      lease_(std::move(other.lease_)) {
  other.lease_.reset();
}

PrinterExchange& PrinterExchange::operator=(PrinterExchange&& other) noexcept {
  if (this != &other) {
    End();
    link_ = other.link_;
    after_ = other.after_;
    configured_after_ = other.configured_after_;
    attendance_ = other.attendance_;
    lease_ = std::move(other.lease_);
    other.lease_.reset();
  }
  return *this;
}

bool PrinterExchange::Begin(std::string_view holder, Attendance attendance) {
  if (lease_) return true;
  lease_ = link_->TryLease(holder, attendance);
  after_ = configured_after_;
  attendance_ = attendance;
  return lease_.has_value();
}

bool PrinterExchange::BringUp(int quiet) {
  if (link_->InitPort(quiet) == 1) return true;
  LeavePortOpen();
  return false;
}

void PrinterExchange::ClosePortWhenConfigured() {
  link_->ClosePortWhenConfigured();
}

void PrinterExchange::End() {
  if (!lease_) return;
  if (after_ == PortAfter::CloseWhenConfigured) link_->ClosePortWhenConfigured();
  lease_.reset();  // the release callbacks run here, after the port is closed
}

void PrinterExchange::CloseIdlePort(PrinterLink& link, std::string_view holder) {
  PrinterExchange closing(link, holder);
}

}  // namespace kv
