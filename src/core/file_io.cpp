#include "core/file_io.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/file_system.h"
#include "base/system.h"

namespace kv {

namespace fs = std::filesystem;

std::tm SystemLocalTime() {
  return LocalTime(std::time(nullptr));
}

std::string DateText(const std::tm& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
  return text;
}

std::string TimeText(const std::tm& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}

void ClearAttributes(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  ::chmod(path.c_str(), (info.st_mode & 07777) | S_IRUSR | S_IWUSR);
}

bool FileExists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

bool AppendBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool CopyFileOver(const std::string& from, const std::string& to) {
  ClearAttributes(to);
  return CopyFileReplacing(from, to);
}

std::string DirectoryPart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string BackupTarget(const std::string& backup1, bool dated, const std::tm& now) {
  if (!dated) return backup1;
  char name[32];
  std::snprintf(name, sizeof name, "zal_%02d%02d%02d.txt", now.tm_year % 100, now.tm_mon + 1,
                now.tm_mday);
  return JoinPath(DirectoryPart(backup1), name);
}

}  // namespace kv
