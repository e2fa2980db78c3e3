// kv4910-sim: the simulated printer on a pseudo-terminal. Prints the slave device path on the
// first line of stdout and serves until SIGINT or SIGTERM.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "lang/codepage.h"
#include "platform/clock.h"
#include "sim/control.h"
#include "sim/control_socket.h"
#include "sim/engine.h"
#include "sim/pty_server.h"
#include "sim/state_file.h"

namespace {

// A change that no answer follows is saved this much later at the latest.
constexpr uint64_t kStateSaveDelayUs = 100'000;

volatile sig_atomic_t g_stop = 0;
void OnStopSignal(int) {
  g_stop = 1;
}

constexpr const char* kUsage =
    "usage: kv4910-sim [options]\n"
    "  --link PATH            make PATH a symbolic link to the pseudo-terminal\n"
    "  --paper FILE           append the printed paper (UTF-8) to FILE\n"
    "  --baud N               pace the line at N baud both ways (10 bits per byte)\n"
    "  --state FILE           load the printer state from FILE and keep it there\n"
    "  --test-mode            start in test mode\n"
    "  --control PATH         take control commands on a Unix stream socket at PATH\n"
    "faults:\n"
    "  --silent               take nothing, answer nothing\n"
    "  --garbled-status once|always\n"
    "  --status1 N, --status2 N   condition bits of status byte 1 / 2 (0x.. allowed)\n"
    "  --delay MS             answer MS milliseconds late\n"
    "  --short-record N       status records send N bytes fewer than announced\n"
    "  --cut-device-record    device record stops half-way, without ETX\n"
    "  --nak-copies           answer copy and fetch requests with NAK\n"
    "  --no-advance once|always  receipts keep the document number\n"
    "  --drop-lines rts|dtr|both[:BYTES]  ready lines drop (after BYTES more bytes); on a\n"
    "                         pseudo-terminal the printer then stops taking bytes\n";

struct Options {
  std::string link, paper, state, control;
  uint32_t baud = 0;
};

// Fault flags are control commands given at start: the flag's command, plus its value.
struct FaultFlag {
  const char* flag;
  const char* command;
  bool takes_value;
};
constexpr FaultFlag kFaultFlags[] = {
    {"--silent", "silent on", false},
    {"--garbled-status", "garbled", true},
    {"--status1", "status1", true},
    {"--status2", "status2", true},
    {"--delay", "delay", true},
    {"--short-record", "short-record", true},
    {"--cut-device-record", "cut-device-record on", false},
    {"--nak-copies", "nak-copies on", false},
    {"--no-advance", "no-advance", true},
    {"--drop-lines", "drop-lines", true},
};

// Applies the command line; false (with a message) on a bad option.
bool ParseArgs(int argc, char** argv, Options& o, kv::sim::Engine& engine) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    bool ok = true;
    const FaultFlag* fault = nullptr;
    for (const FaultFlag& f : kFaultFlags)
      if (arg == f.flag) fault = &f;
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      std::exit(0);
    } else if (fault) {
      std::string command = fault->command;
      if (fault->takes_value) ok = value(v), command += " " + v;
      ok = ok && kv::sim::RunControlCommand(engine, command) == "ok";
    } else if (arg == "--link") {
      ok = value(o.link);
    } else if (arg == "--paper") {
      ok = value(o.paper);
    } else if (arg == "--state") {
      ok = value(o.state);
    } else if (arg == "--control") {
      ok = value(o.control);
    } else if (arg == "--baud") {
      char* end = nullptr;
      const unsigned long n = value(v) ? std::strtoul(v.c_str(), &end, 10) : 0;
      ok = n > 0 && n <= 4'000'000 && *end == 0;
      o.baud = static_cast<uint32_t>(n);
    } else if (arg == "--test-mode") {
      engine.state().test_mode = true;
    } else {
      ok = false;
    }
    if (!ok) {
      std::cerr << "kv4910-sim: bad option " << arg << "\n" << kUsage;
      return false;
    }
  }
  return true;
}

// Appends what the printer printed to the paper file, as UTF-8. Text that could not be
// written is tried again with the next output (up to a bound: a paper file that stays
// unwritable does not fill the memory).
class PaperFile {
 public:
  explicit PaperFile(std::string path) : path_(std::move(path)) {}
  void Update(kv::sim::Engine& engine) {
    std::string paper = engine.TakePaper();
    if (path_.empty() || (paper.empty() && pending_.empty())) return;
    pending_ += kv::Cp1250ToUtf8(paper);
    std::ofstream out(path_, std::ios::binary | std::ios::app);
    out << pending_;
    out.flush();
    if (out) {
      pending_.clear();
      return;
    }
    std::cerr << "kv4910-sim: cannot write " << path_ << "\n";
    constexpr size_t kMaxPending = 1 << 20;
    if (pending_.size() > kMaxPending) pending_.erase(0, pending_.size() - kMaxPending);
  }

 private:
  std::string path_;
  std::string pending_;
};

}  // namespace

int main(int argc, char** argv) {
  kv::SystemClock clock;
  kv::sim::Engine engine(clock);
  Options options;
  // The state file comes first so that flags (test mode, faults) apply on top of it.
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--state") == 0) options.state = argv[i + 1];
  if (!options.state.empty() && access(options.state.c_str(), F_OK) == 0) {
    std::string error;
    if (!kv::sim::LoadState(engine.state(), options.state, &error)) {
      std::cerr << "kv4910-sim: " << error << "\n";
      return 2;
    }
  }
  if (!ParseArgs(argc, argv, options, engine)) return 2;

  sigset_t stop_signals, wait_mask;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigprocmask(SIG_BLOCK, &stop_signals, &wait_mask);
  sigdelset(&wait_mask, SIGINT);
  sigdelset(&wait_mask, SIGTERM);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  kv::sim::Pty pty;
  std::string error;
  if (!kv::sim::OpenPty(pty, &error)) {
    std::cerr << "kv4910-sim: " << error << "\n";
    return 1;
  }
  if (!options.link.empty()) {
    struct stat st {};
    if (lstat(options.link.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) unlink(options.link.c_str());
    if (symlink(pty.slave_path.c_str(), options.link.c_str()) != 0) {
      std::cerr << "kv4910-sim: cannot link " << options.link << ": " << std::strerror(errno)
                << "\n";
      return 1;
    }
  }
  kv::sim::LineStats stats;
  stats.Mark(engine, kv::sim::MonotonicUs());
  kv::sim::ControlSocket control([&engine, &stats](std::string_view line) {
    return kv::sim::RunControlCommand(engine, line, &stats);
  });
  if (!options.control.empty() && !control.Open(options.control, &error)) {
    std::cerr << "kv4910-sim: " << error << "\n";
    return 1;
  }
  std::cout << pty.slave_path << std::endl;

  engine.RecordReceived(false);  // nobody reads that record here, and the simulator runs long
  PaperFile paper(options.paper);
  kv::sim::PtyServer server(engine, pty.master);
  server.SetBaud(options.baud);
  server.SetControl(&control);
  server.SetStats(&stats);
  server.OnChange([&] { paper.Update(engine); });
  if (!options.state.empty()) {
    server.OnSave(
        [&] {
          if (!kv::sim::SaveState(engine.state(), options.state, &error))
            std::cerr << "kv4910-sim: " << error << "\n";
        },
        kStateSaveDelayUs);
  }
  const int result = server.Run(&wait_mask, &g_stop, &error);
  if (result != 0) std::cerr << "kv4910-sim: " << error << "\n";

  paper.Update(engine);
  if (!options.state.empty() && !kv::sim::SaveState(engine.state(), options.state, &error))
    std::cerr << "kv4910-sim: " << error << "\n";
  if (!options.link.empty()) {
    char target[256] = {};
    const ssize_t n = readlink(options.link.c_str(), target, sizeof target - 1);
    if (n > 0 && pty.slave_path == std::string(target, static_cast<size_t>(n)))
      unlink(options.link.c_str());
  }
  close(pty.master);
  return result;
}
