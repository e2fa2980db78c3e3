#include "base/ini_file.h"

#include <dirent.h>

#include <cctype>
#include <charconv>

#include "base/file_system.h"
#include "base/small_file.h"
#include "base/system.h"

namespace kv {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// "[name]" -> name; anything else -> nullopt.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
  line = Trim(line);
  return !line.empty() && (line.front() == ';' || line.front() == '#');
}

// "key=value" -> key; anything else -> nullopt.
std::optional<std::string_view> KeyName(std::string_view line) {
  if (IsComment(line)) return std::nullopt;
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(0, eq));
}

}  // namespace

std::optional<int32_t> ParseInt32(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return value;
}

std::string IniFile::ResolvePath(const std::string& dir, const std::string& name) {
  const std::string base = dir.empty() ? std::string(".") : dir;
  const std::string joined = dir.empty() ? name : dir + "/" + name;
  if (SomethingAt(joined)) return joined;
  if (DIR* d = opendir(base.c_str())) {
    std::string found;
    while (dirent* entry = readdir(d)) {
      if (EqualNoCase(entry->d_name, name)) {
        found = entry->d_name;
        break;
      }
    }
    closedir(d);
    if (!found.empty()) return dir.empty() ? found : dir + "/" + found;
  }
  return joined;
}

IniFile::IniFile(std::string path) {
  const size_t slash = path.find_last_of('/');
  path_ = slash == std::string::npos
              ? ResolvePath("", path)
              : ResolvePath(path.substr(0, slash), path.substr(slash + 1));
  Reload();
}

IniFile IniFile::FromText(std::string_view content) {
  IniFile ini;
  ini.exists_ = true;
  ini.Parse(content);
  return ini;
}

void IniFile::Reload() {
  lines_.clear();
  eol_ = NativeLineEnd();
  std::string content;
  const SmallFileStatus status = ReadSmallFile(path_, content);
  exists_ = status == SmallFileStatus::Read;
  // Something that is there but was not read (a FIFO, a device, a huge file) is never replaced.
  refused_ = !exists_ && status != SmallFileStatus::Missing;
  if (exists_) Parse(content);
}

void IniFile::Parse(std::string_view content) {
  lines_.clear();
  eol_ = NativeLineEnd();
  size_t start = 0;
  bool eol_seen = false;
  while (start < content.size()) {
    size_t nl = content.find('\n', start);
    if (nl == std::string::npos) nl = content.size();
    Line line{std::string(content.substr(start, nl - start)), ""};
    const bool cr = !line.text.empty() && line.text.back() == '\r';
    if (cr) line.text.pop_back();
    // The last line may end in a CR without its LF; it keeps that CR as its own end.
    if (nl < content.size())
      line.end = cr ? "\r\n" : "\n";
    else if (cr)
      line.end = "\r";
    if (!eol_seen && nl < content.size()) {
      eol_ = line.end;
      eol_seen = true;
    }
    lines_.push_back(std::move(line));
    start = nl + 1;
  }
}

std::optional<IniFile::Location> IniFile::Find(std::string_view section,
                                               std::string_view key) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    auto name = SectionName(lines_[i].text);
    if (!name || !EqualNoCase(*name, section)) continue;
    Location loc{i, i + 1, std::nullopt};
    for (size_t j = i + 1; j < lines_.size() && !SectionName(lines_[j].text); ++j) {
      if (!Trim(lines_[j].text).empty()) loc.end = j + 1;
      auto k = KeyName(lines_[j].text);
      if (!loc.key_line && k && EqualNoCase(*k, key)) loc.key_line = j;
    }
    return loc;
  }
  return std::nullopt;
}

std::optional<std::string_view> IniFile::RawValue(std::string_view section,
                                                  std::string_view key) const {
  auto loc = Find(section, key);
  if (!loc || !loc->key_line) return std::nullopt;
  std::string_view line = lines_[*loc->key_line].text;
  std::string_view value = line.substr(line.find('=') + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  return value;
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
  return RawValue(section, key).has_value();
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  auto value = RawValue(section, key);
  return std::string(value ? *value : fallback);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t fallback) const {
  auto value = RawValue(section, key);
  if (!value) return fallback;
  return ParseInt32(*value).value_or(fallback);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool IniFile::WriteString(std::string_view section, std::string_view key,
                          std::string_view value) {
  std::string line = std::string(key) + "=" + std::string(value);
  auto loc = Find(section, key);
  if (!loc) {
    lines_.push_back({"[" + std::string(section) + "]", ""});
    lines_.push_back({std::move(line), ""});
  } else if (loc->key_line) {
    // Keep the key's own spelling; only the value changes.
    std::string& old = lines_[*loc->key_line].text;
    old = old.substr(0, old.find('=') + 1) + std::string(value);
  } else {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(loc->end),
                  Line{std::move(line), ""});
  }
  return batching_ || Save();
}

bool IniFile::CommitBatch() {
  batching_ = false;
  return Save();
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Text() const {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    text += line.text;
    // A CR alone ends only the file's last line; once lines follow it, it needs its LF.
    if (line.end == "\r" && i + 1 < lines_.size())
      text += "\r\n";
    else
      text += line.end.empty() ? eol_ : line.end;
  }
  return text;
}

bool IniFile::Save() {
  if (refused_ || path_.empty()) return false;
  if (!SaveFileAtomically(path_, Text())) return false;
  exists_ = true;
  return true;
}

}  // namespace kv
