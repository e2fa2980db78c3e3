#include "link/ui/com_port_qt.h"

#include <QMetaObject>

namespace kv {

void DeliverPortEventsOn(TComPort& port, QObject* context) {
  port.SetUiPoster([context](std::function<void()> job) {
    QMetaObject::invokeMethod(context, std::move(job), Qt::QueuedConnection);
  });
}

}  // namespace kv
