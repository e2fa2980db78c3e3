#pragma once

#include <csignal>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "sim/engine.h"

namespace kv::sim {

// A pseudo-terminal whose slave side the program opens as its serial port.
struct Pty {
  int master = -1;
  std::string slave_path;
};

// Opens a pseudo-terminal and puts its slave side in raw mode (no echo, no line editing, no
// output translation), so both ends see the bytes unchanged. False with `error` on failure.
bool OpenPty(Pty& pty, std::string* error);

// Serves the engine on the master side of a pseudo-terminal until `stop` is set by a signal.
// Blocks in ppoll(); while no program has the slave open (the master reports a hang-up) it
// looks again every few milliseconds.
class PtyServer {
 public:
  PtyServer(Engine& engine, int master) : engine_(engine), master_(master) {}

  void SetBaud(uint32_t baud) { baud_ = baud; }
  // Called after every chunk the engine took (paper file, state file).
  void OnChange(std::function<void()> hook) { on_change_ = std::move(hook); }

  // `wait_mask` is the signal mask in force while waiting (the stop signals unblocked).
  // Returns 0 after a stop, 1 on an error of the pseudo-terminal.
  int Run(const sigset_t* wait_mask, volatile sig_atomic_t* stop, std::string* error);

 private:
  struct Pending {
    uint64_t due_us;
    char byte;
  };
  void Queue(const std::string& answer);
  bool Flush(uint64_t now_us);

  Engine& engine_;
  int master_;
  uint32_t baud_ = 0;
  std::function<void()> on_change_;
  std::deque<Pending> pending_;
  uint64_t line_free_us_ = 0;
  bool blocked_ = false;  // the last write would have blocked
};

}  // namespace kv::sim
