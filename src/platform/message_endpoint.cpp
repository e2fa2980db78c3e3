#include "platform/message_endpoint.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kv {

uint32_t MessageNumberForName(std::string_view name) {
  if (name.empty()) return 0;
  uint32_t hash = 2166136261u;
  for (char c : name) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<unsigned char>(byte - 'A' + 'a');
    hash ^= byte;
    hash *= 16777619u;
  }
  return 0xC000u + hash % 0x4000u;
}

std::string SanitizeWindowTitle(std::string_view title) {
  std::string out(title);
  for (char& c : out) {
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '.' || c == '_' || c == '-';
    if (!keep) c = '_';
  }
  return out;
}

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

void EncodeMessage(uint32_t msg, uint32_t wparam, int32_t lparam, unsigned char* out) {
  const uint32_t words[3] = {msg, wparam, static_cast<uint32_t>(lparam)};
  for (int w = 0; w < 3; ++w) {
    for (int b = 0; b < 4; ++b) out[w * 4 + b] = static_cast<unsigned char>(words[w] >> (8 * b));
  }
}

void DecodeMessage(const unsigned char* in, uint32_t& msg, uint32_t& wparam, int32_t& lparam) {
  uint32_t words[3] = {0, 0, 0};
  for (int w = 0; w < 3; ++w) {
    for (int b = 0; b < 4; ++b) words[w] |= static_cast<uint32_t>(in[w * 4 + b]) << (8 * b);
  }
  msg = words[0];
  wparam = words[1];
  lparam = static_cast<int32_t>(words[2]);
}

}  // namespace kv
