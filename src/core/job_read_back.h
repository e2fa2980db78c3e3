#pragma once

#include <cstddef>

namespace kv {

class Clock;
class PrinterLink;
class PrinterReadouts;
struct Config;

// The device record read back after a job's bytes went out. The printer answers only once it
// has taken in all of them, and a pseudo-terminal or a driver may call its queue empty while a
// long job is still on the wire: the read is tried again, a retry pause apart, until the bytes'
// time on the line plus the information time limit has passed. False when no record came by
// then (or the program is ending).
bool ReadBackAfterJob(Clock& clock, PrinterLink& link, PrinterReadouts& readouts,
                      const Config& cfg, size_t bytes_sent);

}  // namespace kv
