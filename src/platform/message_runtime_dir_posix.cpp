#include "platform/message_endpoint.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

// Where the Linux datagram endpoint keeps its sockets.
namespace kv {

namespace {

// The directory named by the environment, if any.
std::string RuntimeDirFromEnvironment() {
  for (const char* name : {"KV4910_RUNTIME_DIR", "XDG_RUNTIME_DIR"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return {};
}

std::string PrivateRuntimeDir() {
  return "/tmp/kv4910-" + std::to_string(geteuid());
}

}  // namespace

std::string MessageRuntimeDir() {
  std::string dir = RuntimeDirFromEnvironment();
  return dir.empty() ? PrivateRuntimeDir() : dir;
}

bool PrepareMessageRuntimeDir(std::string& problem) {
  const bool private_dir = RuntimeDirFromEnvironment().empty();
  const std::string dir = MessageRuntimeDir();
  // A directory another user made in its place is refused below, never used.
  if (private_dir && mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    problem = "cannot create the directory " + dir + ": " + std::strerror(errno);
    return false;
  }
  struct stat st;
  if ((private_dir ? lstat(dir.c_str(), &st) : stat(dir.c_str(), &st)) != 0) {
    problem = "cannot use the directory " + dir + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    problem = dir + " is not a directory";
  } else if (st.st_uid != geteuid()) {
    problem = "the directory " + dir + " belongs to another user";
  } else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    problem = "other users can write to the directory " + dir;
  } else {
    return true;
  }
  return false;
}

std::string WindowSocketPath(std::string_view title) {
  return MessageRuntimeDir() + "/kv4910-" + SanitizeWindowTitle(title) + ".sock";
}

std::string WindowPlaceText(std::string_view title) {
  return " at " + WindowSocketPath(title);
}

}  // namespace kv
