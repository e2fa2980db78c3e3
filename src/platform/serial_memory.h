#pragma once

#include <memory>

#include "platform/com_port_backend.h"
#include "platform/memory_line.h"

namespace kv {

// A backend over one end of a MemoryLine: whatever the port name, Open takes this end (once at
// a time; a second open raises code 1). Waits and time-outs run on `clock` (a fake clock makes
// them instant), RTS/DTR drive the peer's CTS/DSR, and CTS/DSR changes seen by this end are
// delivered at once, in order, on the thread that changed them. Written bytes wait in the
// transmit queue (OutputCount) and leave at the line's speed, ten bits a byte, handed to the
// peer whenever the port is used after their wire time; with OutCTSFlow they stay queued while
// CTS is off. A purge of the transmit side drops what has not left.
//   MemoryLine line(clock);
//   TComPort port(MakeMemoryComBackend(line.a(), clock));   // the simulator takes line.b()
// The line and the clock must outlive the port. Events other than CTS and DSR changes are not
// reported.
std::unique_ptr<ComBackend> MakeMemoryComBackend(MemoryLine::End& end, Clock& clock);

}  // namespace kv
