#pragma once

#include <QObject>

#include "link/com_port.h"

namespace kv {

// Makes the port deliver its line events on the thread of `context` (the user-interface
// thread) for smThreadSync: the port's event thread queues each delivery there and waits
// until it has run. Set before the port is opened; `context` must outlive the port's open
// time (a delivery queued on a destroyed context is dropped and Close releases the wait).
void DeliverPortEventsOn(TComPort& port, QObject* context);

}  // namespace kv
