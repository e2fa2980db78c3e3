#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "register/money.h"

namespace kv::test {

// A sale receipt's command text read back the way the printer reads it: the amount of every
// item line (reversals and discounts too), the total line and the payment lines, each taken
// from the printed digits.
struct PrintedReceipt {
  std::vector<int64_t> lines;
  int64_t total = 0;
  std::vector<int64_t> payments;
  bool has_total = false;
  bool well_formed = true;  // every figure read as an amount

  int64_t LineSum() const {
    int64_t sum = 0;
    for (const int64_t line : lines) sum += line;
    return sum;
  }
  int64_t PaymentSum() const {
    int64_t sum = 0;
    for (const int64_t payment : payments) sum += payment;
    return sum;
  }
};

inline PrintedReceipt ReadPrintedReceipt(std::string_view bytes, std::string_view currency = "EUR") {
  PrintedReceipt receipt;
  const auto amount = [&receipt](std::string_view text) {
    const FixedPoint read = ParseFixedPoint(text, 2, INT64_MAX / 100);
    receipt.well_formed = receipt.well_formed && read.ok();
    return read.value;
  };
  const std::string ending = " " + std::string(currency) + "\r\n";
  size_t at = 0;
  while ((at = bytes.find('\x1b', at)) != std::string_view::npos && at + 1 < bytes.size()) {
    const char command = bytes[at + 1];
    const size_t end = bytes.find("\r\n", at);
    if (command >= '0' && command <= '9' && end != std::string_view::npos) {
      // ESC, the VAT letter, perhaps a type letter, the amount in 11, the currency.
      const std::string_view line = bytes.substr(at, end + 2 - at);
      receipt.lines.push_back(amount(line.substr(line.size() - ending.size() - 11, 11)));
    } else if (command == 'k' && end != std::string_view::npos) {
      receipt.total = amount(bytes.substr(at + 2, 12));
      receipt.has_total = true;
    } else if (command == 'P' && end != std::string_view::npos) {
      receipt.payments.push_back(amount(bytes.substr(end - 12, 12)));
    }
    at += 2;
  }
  return receipt;
}

}  // namespace kv::test
