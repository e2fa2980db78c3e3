#include "platform/program_home.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/config.h"
#include "base/ini_file.h"
#include "platform/os.h"

namespace kv {

namespace fs = std::filesystem;

namespace {

bool EndsWithNoCase(const std::string& name, const char* suffix) {
  const size_t n = std::strlen(suffix);
  if (name.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    const char c = name[name.size() - n + i];
    if (std::tolower(static_cast<unsigned char>(c)) != suffix[i]) return false;
  }
  return true;
}

bool IsShippedFileName(const std::string& name) {
  const bool config =
      name.size() == std::strlen(kConfigFileName) && EndsWithNoCase(name, kConfigFileName);
  return config || EndsWithNoCase(name, ".lng") || EndsWithNoCase(name, ".msg");
}

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  return AccountHomeDirectory();
}

// Copies `from` to `to` through a private name, so a copy cut short never stands in for the
// file; an existing `to` is kept.
std::string CopyWhenAbsent(const fs::path& from, const fs::path& to) {
  std::error_code error;
  const fs::path part = to.string() + ".part";
  fs::copy_file(from, part, fs::copy_options::overwrite_existing, error);
  if (!error)
    fs::permissions(part, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace,
                    error);
  if (!error && !fs::exists(to)) fs::rename(part, to, error);
  std::error_code ignored;
  fs::remove(part, ignored);
  if (error) return "Cannot copy " + from.string() + " to " + to.string() + ": " + error.message();
  return {};
}

}  // namespace

std::string ExecutablePath() {
  std::error_code error;
  const fs::path path = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::string ShippedDirBeside(const std::string& exe_dir) {
  if (exe_dir.empty()) return {};
  const fs::path shipped = fs::path(exe_dir).parent_path() / "share" / "kv4910";
  std::error_code error;
  if (!fs::is_regular_file(shipped / kConfigFileName, error)) return {};
  return shipped.lexically_normal().string();
}

std::string PerUserProgramDir() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home && data_home[0] == '/') return std::string(data_home) + "/kv4910";
  return HomeDirectory() + "/.local/share/kv4910";
}

ProgramHome ChooseProgramHome(const std::string& exe_dir) {
  ProgramHome home;
  home.shipped_dir = ShippedDirBeside(exe_dir);
  const char* forced = std::getenv("KV4910_HOME");
  if (forced && *forced) {
    home.dir = forced;
    return home;
  }
  std::error_code error;
  const bool existing_installation =
      fs::is_regular_file(IniFile::ResolvePath(exe_dir, kConfigFileName), error);
  if (home.shipped_dir.empty() || existing_installation) {
    home.dir = exe_dir;
    return home;
  }
  home.dir = PerUserProgramDir();
  home.per_user = true;
  return home;
}

std::string SeedProgramDir(const std::string& shipped_dir, const std::string& dir) {
  std::error_code error;
  if (!fs::is_directory(dir, error)) {
    fs::create_directories(fs::path(dir).parent_path(), error);
    if (!error) fs::create_directory(dir, error);
    if (!error) fs::permissions(dir, fs::perms::owner_all, fs::perm_options::replace, error);
    if (error) return "Cannot create the program directory " + dir + ": " + error.message();
  }
  std::string problems;
  for (const fs::directory_entry& entry : fs::directory_iterator(shipped_dir, error)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file(error) || !IsShippedFileName(name)) continue;
    if (fs::exists(IniFile::ResolvePath(dir, name), error)) continue;
    const std::string problem = CopyWhenAbsent(entry.path(), fs::path(dir) / name);
    if (!problem.empty()) problems += (problems.empty() ? "" : "\n") + problem;
  }
  if (error && problems.empty())
    problems = "Cannot read the shipped files in " + shipped_dir + ": " + error.message();
  return problems;
}

}  // namespace kv
