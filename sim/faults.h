#pragma once

#include <cstdint>

namespace kv::sim {

enum class FaultMode { kOff, kOnce, kAlways };

// Misbehaviour that tests switch on and off at run time. Each field says what the printer
// does wrong; all off is a healthy printer.
struct Faults {
  bool silent = false;                         // takes nothing in, answers nothing (switched off)
  FaultMode garbled_status = FaultMode::kOff;  // status answer with wrong frame bytes
  uint32_t delay_ms = 0;                       // every answer leaves this much later
  int short_record_by = 0;                     // status records send this many bytes too few
  bool cut_device_record = false;              // device record stops half-way, without ETX
  int device_records_left = -1;  // answers this many more device records, then none (-1: all)
  bool nak_copies = false;                     // copy and fetch requests answered with NAK
  FaultMode no_advance = FaultMode::kOff;      // receipts print but keep the document number
};

}  // namespace kv::sim
