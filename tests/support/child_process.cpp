#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

extern char** environ;

namespace kv::test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env,
                           const std::string& log_file) {
  std::vector<std::string> arg_store{program};
  arg_store.insert(arg_store.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : arg_store) argv.push_back(arg.data());
  argv.push_back(nullptr);

  std::map<std::string, std::string> merged;
  for (char** e = environ; *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq) merged[std::string(*e, static_cast<size_t>(eq - *e))] = eq + 1;
  }
  for (const auto& [key, value] : env) merged[key] = value;
  std::vector<std::string> env_store;
  for (const auto& [key, value] : merged) env_store.push_back(key + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : env_store) envp.push_back(entry.data());
  envp.push_back(nullptr);

  int out[2] = {-1, -1};
  if (log_file.empty() && pipe2(out, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (log_file.empty()) {
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, log_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  }
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (out[1] >= 0) close(out[1]);
  stdout_fd_ = out[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !exit_code_) Stop(2000);
  if (stdout_fd_ >= 0) close(stdout_fd_);
}

std::optional<std::string> ChildProcess::ReadLine(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const size_t nl = buffer_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0 || stdout_fd_ < 0) return std::nullopt;
    pollfd p{stdout_fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) return std::nullopt;
    char chunk[512];
    const ssize_t n = read(stdout_fd_, chunk, sizeof chunk);
    if (n <= 0) return std::nullopt;
    buffer_.append(chunk, static_cast<size_t>(n));
  }
}

std::string ChildProcess::RestOfOutput() {
  char chunk[512];
  ssize_t n;
  while (stdout_fd_ >= 0 && (n = read(stdout_fd_, chunk, sizeof chunk)) > 0)
    buffer_.append(chunk, static_cast<size_t>(n));
  return std::exchange(buffer_, {});
}

std::optional<int> ChildProcess::Wait(int timeout_ms) {
  if (exit_code_ || pid_ <= 0) return exit_code_;
  int status = 0;
  const bool ended = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, timeout_ms);
  if (!ended) return std::nullopt;
  exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return exit_code_;
}

bool ChildProcess::Running() { return pid_ > 0 && !Wait(0); }

bool ChildProcess::Signal(int number) {
  return pid_ > 0 && !exit_code_ && kill(pid_, number) == 0;
}

int ChildProcess::Stop(int grace_ms) {
  if (pid_ <= 0) return -1;
  if (exit_code_) return *exit_code_;
  kill(pid_, SIGTERM);
  if (auto code = Wait(grace_ms)) return *code;
  kill(pid_, SIGKILL);
  return Wait(5000).value_or(-1);
}

std::string BuildProgram(const std::string& name) {
#ifdef KV4910_BUILD_DIR
  return std::string(KV4910_BUILD_DIR) + "/" + name;
#else
  return name;
#endif
}

std::optional<long> ProcStatField(pid_t pid, int number) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The program name in field 2 may hold spaces and parentheses: count from its last ')'.
  const size_t name_end = stat.rfind(')');
  if (name_end == std::string::npos) return std::nullopt;
  std::istringstream fields(stat.substr(name_end + 1));
  std::string field;
  for (int i = 3; fields >> field; ++i) {
    if (i != number) continue;
    long value = 0;
    const char* last = field.data() + field.size();
    const auto [end, error] = std::from_chars(field.data(), last, value);
    if (error != std::errc() || end != last) return std::nullopt;
    return value;
  }
  return std::nullopt;
}

}  // namespace kv::test
