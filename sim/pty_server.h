#pragma once

#include <csignal>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sim/control_socket.h"
#include "sim/engine.h"
#include "sim/line_stats.h"

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

  // Paces the line at `baud`, 10 bits per byte, both ways: answers leave at that speed, and
  // the program's bytes are taken no sooner than the line would have carried them.
  void SetBaud(uint32_t baud) { byte_us_ = baud ? 10'000'000ull / baud : 0; }
  // Called after every chunk the engine took and every control command (paper file).
  void OnChange(std::function<void()> hook) { on_change_ = std::move(hook); }
  // Saves the printer state: before any answer leaves that follows a change, otherwise at
  // most `delay_us` after the change (a document printed byte by byte is not saved per byte).
  void OnSave(std::function<void()> save, uint64_t delay_us) {
    save_ = std::move(save);
    save_delay_us_ = delay_us;
  }
  // Also serves this control channel (optional).
  void SetControl(ControlSocket* control) { control_ = control; }
  // Counts the line's traffic here (optional).
  void SetStats(LineStats* stats) { stats_ = stats; }

  // `wait_mask` is the signal mask in force while waiting (the stop signals unblocked).
  // Returns 0 after a stop, 1 on an error of the pseudo-terminal.
  int Run(const sigset_t* wait_mask, volatile sig_atomic_t* stop, std::string* error);

 private:
  struct Pending {
    uint64_t due_us;
    char byte;
  };
  static constexpr long kHungUp = -1, kFailed = -2;

  void Queue(const std::string& answer);
  bool Flush(uint64_t now_us);
  long TakeBytes(size_t max, std::string* error);
  void Changed(bool answered);
  void HangUp(uint64_t now_us);
  uint64_t Deadline(uint64_t now_us) const;

  Engine& engine_;
  int master_;
  uint64_t byte_us_ = 0;  // wire time of one byte; 0 when not paced
  std::function<void()> on_change_;
  std::function<void()> save_;
  uint64_t save_delay_us_ = 0;
  ControlSocket* control_ = nullptr;
  LineStats* stats_ = nullptr;

  std::deque<Pending> pending_;
  uint64_t line_free_us_ = 0;
  bool blocked_ = false;  // the last write would have blocked

  // Paced reading: while bytes are waiting, the next one is taken at `rx_next_us_`.
  bool rx_busy_ = false;
  uint64_t rx_next_us_ = 0;

  uint64_t saved_changes_ = 0;
  uint64_t save_due_us_ = 0;  // 0: nothing to save
  uint64_t hangup_until_us_ = 0;
};

}  // namespace kv::sim
