#include "app/message_watch.h"

namespace kv {

MessageWatch::MessageWatch(int fd, Messaging& messaging)
    : messaging_(messaging), notifier_(fd, QSocketNotifier::Read) {
  notifier_.setEnabled(messaging_.TakingMessages());
  messaging_.on_taking_changed = [this](bool taking) { notifier_.setEnabled(taking); };
  QObject::connect(&notifier_, &QSocketNotifier::activated,
                   [this] { messaging_.ProcessPending(); });
}

MessageWatch::~MessageWatch() {
  messaging_.on_taking_changed = nullptr;
}

}  // namespace kv
