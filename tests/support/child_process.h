#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kv::test {

// A program of the build run as a child process for end-to-end tests. Its standard output can
// be read line by line; it is stopped with SIGTERM (then SIGKILL) at the latest on destruction.
class ChildProcess {
 public:
  // `program` is a path; `env` entries are added to (or replace) this process's environment.
  // With a `log_file` the child's standard output and error go to that file instead (and
  // ReadLine finds nothing).
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env = {},
               const std::string& log_file = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // The next line of standard output without its line end, or nullopt after `timeout_ms`.
  std::optional<std::string> ReadLine(int timeout_ms);
  // Everything the child printed so far and until it exits (after it has exited).
  std::string RestOfOutput();
  // Waits up to `timeout_ms` for the child to end: its exit code, or -1 when killed by a
  // signal; nullopt when it is still running.
  std::optional<int> Wait(int timeout_ms);
  // SIGTERM, then SIGKILL after `grace_ms`: the exit code as Wait gives it.
  int Stop(int grace_ms = 5000);
  // Sends `number` without waiting; false when it could not be sent.
  bool Signal(int number);
  bool Running();

 private:
  pid_t pid_ = -1;
  int stdout_fd_ = -1;
  std::string buffer_;
  std::optional<int> exit_code_;
};

// Polls `condition` every 20 ms for up to `timeout_ms`; true as soon as it holds.
template <typename Condition>
bool WaitFor(Condition condition, int timeout_ms);

// The path of a program in the build directory.
std::string BuildProgram(const std::string& name);

// A numeric field of /proc/<pid>/stat, counted from 1 as proc(5) does (14 is utime, 19 is
// nice); nullopt when it cannot be read.
std::optional<long> ProcStatField(pid_t pid, int number);

}  // namespace kv::test

#include <chrono>
#include <thread>

namespace kv::test {
template <typename Condition>
bool WaitFor(Condition condition, int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}
}  // namespace kv::test
