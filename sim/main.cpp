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
#include "sim/engine.h"
#include "sim/pty_server.h"
#include "sim/state_file.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void OnStopSignal(int) {
  g_stop = 1;
}

constexpr const char* kUsage =
    "usage: kv4910-sim [options]\n"
    "  --link PATH            make PATH a symbolic link to the pseudo-terminal\n"
    "  --paper FILE           append the printed paper (UTF-8) to FILE\n"
    "  --baud N               pace answers at N baud (10 bits per byte)\n"
    "  --state FILE           load the printer state from FILE and keep it there\n"
    "  --test-mode            start in test mode\n"
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
  std::string link, paper, state;
  uint32_t baud = 0;
};

bool ParseMode(const std::string& text, kv::sim::FaultMode& mode) {
  if (text == "once")
    mode = kv::sim::FaultMode::kOnce;
  else if (text == "always")
    mode = kv::sim::FaultMode::kAlways;
  else if (text == "off")
    mode = kv::sim::FaultMode::kOff;
  else
    return false;
  return true;
}

bool ParseNumber(const std::string& text, unsigned long max, unsigned long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoul(text.c_str(), &end, 0);
  return !text.empty() && *end == 0 && errno == 0 && value <= max;
}

// Applies the command line; false (with a message) on a bad option.
bool ParseArgs(int argc, char** argv, Options& o, kv::sim::Engine& engine) {
  kv::sim::Faults& f = engine.faults();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    unsigned long n = 0;
    bool ok = true;
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      std::exit(0);
    } else if (arg == "--link") {
      ok = value(o.link);
    } else if (arg == "--paper") {
      ok = value(o.paper);
    } else if (arg == "--state") {
      ok = value(o.state);
    } else if (arg == "--baud") {
      ok = value(v) && ParseNumber(v, 4'000'000, n) && n > 0;
      o.baud = static_cast<uint32_t>(n);
    } else if (arg == "--test-mode") {
      engine.state().test_mode = true;
    } else if (arg == "--silent") {
      f.silent = true;
    } else if (arg == "--garbled-status") {
      ok = value(v) && ParseMode(v, f.garbled_status);
    } else if (arg == "--status1" || arg == "--status2") {
      ok = value(v) && ParseNumber(v, 255, n);
      (arg == "--status1" ? engine.state().condition1 : engine.state().condition2) =
          static_cast<uint8_t>(n);
    } else if (arg == "--delay") {
      ok = value(v) && ParseNumber(v, 600'000, n);
      f.delay_ms = static_cast<uint32_t>(n);
    } else if (arg == "--short-record") {
      ok = value(v) && ParseNumber(v, 1024, n);
      f.short_record_by = static_cast<int>(n);
    } else if (arg == "--cut-device-record") {
      f.cut_device_record = true;
    } else if (arg == "--nak-copies") {
      f.nak_copies = true;
    } else if (arg == "--no-advance") {
      ok = value(v) && ParseMode(v, f.no_advance);
    } else if (arg == "--drop-lines") {
      ok = value(v);
      const std::string which = v.substr(0, v.find(':'));
      unsigned long after = 0;
      if (ok && v.find(':') != std::string::npos)
        ok = ParseNumber(v.substr(v.find(':') + 1), 0xFFFFFFFF, after);
      ok = ok && (which == "rts" || which == "dtr" || which == "both");
      if (ok) engine.DropLines(which != "dtr", which != "rts", static_cast<uint32_t>(after));
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

// Appends what the printer printed since the last call to the paper file, as UTF-8.
class PaperFile {
 public:
  explicit PaperFile(std::string path) : path_(std::move(path)) {}
  void Update(const std::string& paper) {
    if (path_.empty() || paper.size() <= written_) return;
    std::ofstream out(path_, std::ios::binary | std::ios::app);
    out << kv::Cp1250ToUtf8(std::string_view(paper).substr(written_));
    if (!out) {
      std::cerr << "kv4910-sim: cannot write " << path_ << "\n";
      return;  // tried again with the next output
    }
    written_ = paper.size();
  }

 private:
  std::string path_;
  size_t written_ = 0;
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
  std::cout << pty.slave_path << std::endl;

  PaperFile paper(options.paper);
  uint64_t saved = engine.changes();
  kv::sim::PtyServer server(engine, pty.master);
  server.SetBaud(options.baud);
  server.OnChange([&] {
    paper.Update(engine.paper());
    if (options.state.empty() || engine.changes() == saved) return;
    if (kv::sim::SaveState(engine.state(), options.state, &error))
      saved = engine.changes();
    else
      std::cerr << "kv4910-sim: " << error << "\n";
  });
  const int result = server.Run(&wait_mask, &g_stop, &error);
  if (result != 0) std::cerr << "kv4910-sim: " << error << "\n";

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
