#include "api/idempotency_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "base/small_file.h"

namespace kv {

namespace {

constexpr int kNotConfirmed = 502;

// The answer of a request whose outcome was lost with the program.
std::string LostAnswer() {
  return nlohmann::json{{"error",
                         {{"code", "not_confirmed"},
                          {"message",
                           "the program stopped while this request was served: the document "
                           "may or may not have printed"}}},
                        {"documentNumber", nullptr}}
      .dump();
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found &&
         !ec;
}

bool WriteDurably(const std::string& path, const std::string& text) {
  const std::string tmp = path + ".tmp";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  const bool ok = done == text.size() && ::fsync(fd) == 0;
  ::close(fd);
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

IdempotencyStore::IdempotencyStore(std::string path, std::function<int64_t()> now)
    : path_(std::move(path)), now_(std::move(now)) {
  Load();
}

bool IdempotencyStore::ValidKey(std::string_view key) {
  if (key.empty() || key.size() > 64) return false;
  for (const char c : key)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

uint64_t IdempotencyStore::RequestHash(std::string_view method, std::string_view path,
                                       std::string_view body) {
  // FNV-1a over the three parts, each ended by a zero byte.
  uint64_t hash = 14695981039346656037ull;
  for (const std::string_view part : {method, path, body}) {
    for (const char c : part) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::optional<IdempotencyStore::Entry> IdempotencyStore::Find(const std::string& key) const {
  const auto it = entries_.find(key);
  if (it == entries_.end() || now_() - it->second.time > kKeepSeconds) return std::nullopt;
  return it->second;
}

bool IdempotencyStore::Begin(const std::string& key, uint64_t hash) {
  Prune();
  entries_[key] = Entry{hash, now_(), 0, {}};
  if (Save()) return true;
  entries_.erase(key);
  return false;
}

bool IdempotencyStore::Finish(const std::string& key, int status, const std::string& body) {
  const auto it = entries_.find(key);
  if (it == entries_.end()) return false;
  it->second.status = status;
  it->second.body = body;
  return Save();
}

bool IdempotencyStore::Forget(const std::string& key) {
  entries_.erase(key);
  return Save();
}

void IdempotencyStore::Prune() {
  const int64_t now = now_();
  for (auto it = entries_.begin(); it != entries_.end();)
    it = now - it->second.time > kKeepSeconds ? entries_.erase(it) : std::next(it);
}

// One line per key: the key as a JSON string, the hash, the time, the status and the answer.
bool IdempotencyStore::Save() {
  std::string text;
  for (const auto& [key, e] : entries_) {
    nlohmann::json line = {key, std::to_string(e.hash), e.time, e.status, e.body};
    text += line.dump() + "\n";
  }
  return WriteDurably(path_, text);
}

void IdempotencyStore::Load() {
  entries_.clear();
  damage_.reset();
  std::string bytes;
  const SmallFileStatus read = ReadSmallFile(path_, bytes, kMaxFileBytes);
  if (read == SmallFileStatus::Missing && !Exists(path_)) return;
  if (read != SmallFileStatus::Read) return SetAside(read == SmallFileStatus::TooLarge
                                                         ? "over " + std::to_string(kMaxFileBytes) + " bytes"
                                                         : "not a readable file");
  size_t damaged = 0;
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = bytes.find('\n', start);
    if (end == std::string::npos) {  // a last line without its end: the file was cut short
      ++damaged;
      break;
    }
    if (!ParseRecord(std::string_view(bytes).substr(start, end - start))) ++damaged;
    start = end + 1;
  }
  Prune();
  if (damaged > 0) SetAside(std::to_string(damaged) + " damaged lines");
}

// Only a record in exactly the form Save writes is trusted.
bool IdempotencyStore::ParseRecord(std::string_view line) {
  const auto row = nlohmann::json::parse(line, nullptr, false);
  if (!row.is_array() || row.size() != 5 || !row[0].is_string() || !row[1].is_string() ||
      !row[2].is_number_integer() || !row[3].is_number_integer() || !row[4].is_string())
    return false;
  const std::string key = row[0].get<std::string>();
  const std::string hash = row[1].get<std::string>();
  Entry e;
  const auto [end, error] = std::from_chars(hash.data(), hash.data() + hash.size(), e.hash);
  e.time = row[2].get<int64_t>();
  e.status = row[3].get<int>();
  e.body = row[4].get<std::string>();
  if (!ValidKey(key) || hash.empty() || error != std::errc() || end != hash.data() + hash.size() ||
      (e.status != 0 && e.status != 200 && e.status != kNotConfirmed))
    return false;
  if (e.status == 0) {
    e.status = kNotConfirmed;
    e.body = LostAnswer();
  }
  entries_[key] = e;
  return true;
}

void IdempotencyStore::SetAside(const std::string& why) {
  aside_path_ = path_ + ".damaged";
  std::error_code ec;
  std::filesystem::remove(aside_path_, ec);  // an older one an operator left: this one counts
  std::filesystem::rename(path_, aside_path_, ec);
  moved_ = !ec;
  damage_ = path_ + ": " + why + (moved_ ? ", set aside as " + aside_path_ : ", cannot be moved");
}

std::optional<std::string> IdempotencyStore::Damage() {
  if (damage_ && !Exists(aside_path_) && (moved_ || !Exists(path_))) damage_.reset();
  return damage_;
}

}  // namespace kv
