#pragma once

#include <QSocketNotifier>

#include "core/messaging.h"

namespace kv {

// Watches the endpoint's descriptor and lets the messaging take what arrives, as soon as it
// arrives and also while a box runs its own event loop. The watch is off whenever the messaging
// does not take messages (start-up not finished, a message being handled): a datagram left
// waiting would otherwise wake the event loop again and again.
class MessageWatch {
 public:
  MessageWatch(int fd, Messaging& messaging);
  ~MessageWatch();
  MessageWatch(const MessageWatch&) = delete;
  MessageWatch& operator=(const MessageWatch&) = delete;

 private:
  Messaging& messaging_;
  QSocketNotifier notifier_;
};

}  // namespace kv
