#include "platform/autostart.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace kv {

namespace fs = std::filesystem;

namespace {

// An Exec value: the path quoted, with the characters the desktop entry format reserves inside
// quotes escaped (a backslash is written twice again for the string value).
std::string ExecValue(const std::string& path) {
  std::string quoted = "\"";
  for (const char c : path) {
    if (c == '"' || c == '`' || c == '$') quoted += "\\\\";
    if (c == '\\') quoted += "\\\\\\";
    if (c == '%') quoted += '%';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string AutostartEntryPath() {
  const char* config_home = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config_home && config_home[0] == '/') {
    base = config_home;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : "") + "/.config";
  }
  return base + "/autostart/kv4910.desktop";
}

std::string SetAutostart(bool on, const std::string& exe_path) {
  const fs::path entry = AutostartEntryPath();
  std::error_code error;
  if (!on) {
    fs::remove(entry, error);
    return error ? "Cannot remove " + entry.string() + ": " + error.message() : std::string();
  }
  fs::create_directories(entry.parent_path(), error);
  if (error) return "Cannot create " + entry.parent_path().string() + ": " + error.message();
  const fs::path part = entry.string() + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out << "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=KV4910 print manager\n"
           "Comment=Prints the point-of-sale program's receipts on the KV4910 fiscal printer\n"
           "Exec="
        << ExecValue(exe_path)
        << "\n"
           "Icon=kv4910\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
    out.close();
    if (!out) return "Cannot write " + part.string();
  }
  fs::rename(part, entry, error);
  if (error) {
    std::error_code ignored;
    fs::remove(part, ignored);
    return "Cannot write " + entry.string() + ": " + error.message();
  }
  return {};
}

}  // namespace kv
