#include "core/job_input_file.h"

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <utility>

#include "base/system.h"

namespace kv {

RemovalResult RemoveIfSame(const std::string& path, const FileIdentity& identity) {
  // A private name nobody else uses; one an earlier run left behind is not reused.
  const std::string stem = path + ".del-" + std::to_string(CurrentProcessId());
  std::string held = stem;
  for (int n = 2; SomethingAt(held); ++n) {
    if (n > 100) return {Removal::Failed, {}};
    held = stem + "-" + std::to_string(n);
  }
  if (!RenameFile(path, held))
    return {SomethingAt(path) ? Removal::Failed : Removal::NotThatFile, {}};
  if (IdentityOf(held) == identity) {
    // Off the path it is no longer an input; a file that cannot be deleted is left held.
    RemoveFile(held);
    return {Removal::Removed, {}};
  }
  if (MoveUnlessTaken(held, path)) return {Removal::NotThatFile, {}};
  return {Removal::OtherHeld, held};
}

namespace {

// "dir/blocek.txt" as "dir/blocek" and ".txt".
std::pair<std::string, std::string> StemAndExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  const bool has_extension = dot != std::string::npos && dot > 0 &&
                             (slash == std::string::npos || dot > slash + 1);
  if (!has_extension) return {path, std::string()};
  return {path.substr(0, dot), path.substr(dot)};
}

bool Digits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

int CountSetAside(const std::string& path, int limit) {
  namespace fs = std::filesystem;
  const auto [stem, extension] = StemAndExtension(path);
  const fs::path stem_path(stem);
  const std::string prefix = stem_path.filename().string() + "_";
  fs::path folder = stem_path.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  int found = 0;
  for (int looked = 0; !ec && it != fs::directory_iterator() && looked < limit;
       it.increment(ec), ++looked) {
    const std::string name = it->path().filename().string();
    if (name.size() < prefix.size() + extension.size() || name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
      continue;
    // "YYMMDD_HHMMSS" with an optional "_N".
    const std::string_view stamp = std::string_view(name).substr(
        prefix.size(), name.size() - prefix.size() - extension.size());
    const bool dated = stamp.size() >= 13 && Digits(stamp.substr(0, 6)) && stamp[6] == '_' &&
                       Digits(stamp.substr(7, 6)) &&
                       (stamp.size() == 13 || (stamp[13] == '_' && Digits(stamp.substr(14))));
    if (dated) ++found;
  }
  return found;
}

std::optional<std::string> SetFileAside(const std::string& path, const std::tm& now) {
  const auto [stem, extension] = StemAndExtension(path);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "_%02d%02d%02d_%02d%02d%02d", now.tm_year % 100,
                now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
  for (int n = 1; n <= 100; ++n) {
    const std::string target =
        stem + stamp + (n == 1 ? std::string() : "_" + std::to_string(n)) + extension;
    if (SomethingAt(target)) continue;  // never move one aside over another
    if (MoveUnlessTaken(path, target)) return target;
    if (!SomethingAt(target)) return std::nullopt;  // else it was taken meanwhile
  }
  return std::nullopt;
}

InputOpen JobInputFile::Open(const std::string& path) {
  switch (file_.Open(path, /*alone=*/true)) {
    case FileOpen::Opened: return InputOpen::Opened;
    case FileOpen::Missing: return InputOpen::Missing;
    case FileOpen::Busy: return InputOpen::Busy;
    case FileOpen::NotRegular:
    case FileOpen::Unreadable: return InputOpen::Unreadable;
  }
  return InputOpen::Unreadable;
}

bool JobInputFile::ReadAll(std::string& bytes) {
  bytes.clear();
  if (!file_.Rewind()) return false;
  char chunk[4096];
  for (;;) {
    const int64_t got = file_.Read(chunk, sizeof chunk);
    if (got == 0) return true;
    if (got < 0) return false;
    bytes.append(chunk, static_cast<size_t>(got));
    if (static_cast<int64_t>(bytes.size()) > kMaxBytes) {
      bytes.clear();
      return false;
    }
  }
}

std::optional<FileIdentity> JobInputFile::Identity() const {
  return file_.Identity();
}

void JobInputFile::Close() {
  file_.Close();
}

}  // namespace kv
