#include "app/job_input_watch.h"

namespace kv {

JobInputWatch::JobInputWatch(PrintJobLoop& jobs) {
  const int fd = jobs.WatchInput();
  if (fd < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated,
                   [&jobs] { jobs.InputMayHaveChanged(); });
}

}  // namespace kv
