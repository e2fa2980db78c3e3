#pragma once

#include <QSocketNotifier>
#include <memory>

#include "core/print_job_loop.h"

namespace kv {

// Tells the print-job loop at once when something happens in its input file's directory, so
// that a file dropped there is taken without waiting for the next tick. Where the system has
// no watch it does nothing and the timer alone looks for the file.
class JobInputWatch {
 public:
  explicit JobInputWatch(PrintJobLoop& jobs);
  JobInputWatch(const JobInputWatch&) = delete;
  JobInputWatch& operator=(const JobInputWatch&) = delete;

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kv
