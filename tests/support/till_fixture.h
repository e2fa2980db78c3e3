#pragma once

#include <cstdio>
#include <string>

#include "lang/message_table.h"
#include "register/price_list.h"
#include "register/sale_model.h"
#include "register/till_printer.h"
#include "support/recording_till_output.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace kv::test {

// A message table whose message n reads "[n]", so a test sees which message was used.
inline MessageTable NumberedMessages() {
  MessageTable table;
  for (int n = 0; n < MessageTable::kSlots; ++n)
    std::snprintf(table.Slot(n).data(), MessageTable::kSlotSize, "[%d]", n);
  return table;
}

// The printer as the till sees it: ready or not, a blocking condition or not, taken by
// another exchange or not.
class FakeTillPrinter final : public TillPrinter {
 public:
  bool Take() override {
    if (!held && !busy) ++takes;
    held = held || !busy;
    return held;
  }
  void Release() override { held = false; }
  bool QueryStatus(bool report) override {
    ++(report ? reporting_queries : quiet_queries);
    return ready;
  }
  bool ConditionBlocksItems() const override { return blocked; }
  std::string ReadDkp() override { return dkp; }
  void RefreshDeviceRecord() override { ++device_records; }
  void ReceiptEnded(bool sent, int64_t) override { (sent ? receipts_sent : receipts_failed) += 1; }
  std::array<uint8_t, 5> VatRates() const override { return rates; }

  bool ready = true;
  bool blocked = false;
  bool busy = false;  // another exchange holds the printer
  bool held = false;  // the till holds it
  int takes = 0;
  std::string dkp;
  std::array<uint8_t, 5> rates{20, 10, 0, 0, 0};
  int quiet_queries = 0;
  int reporting_queries = 0;
  int device_records = 0;
  int receipts_sent = 0;
  int receipts_failed = 0;
};

// The sale screen's logic over the fake printer, with an empty price list in a temporary folder.
struct SaleRig {
  TempDir dir;
  MessageTable messages = NumberedMessages();
  ScriptedBoxes boxes;
  PriceList prices{dir / "cennik.bin", messages, boxes, nullptr};
  FakeTillPrinter printer;
  RecordingTillOutput out;
  SaleModel sale{out, printer, prices, messages};
};

}  // namespace kv::test
