#include "api/idempotency_store.h"

#include <sstream>

#include <nlohmann/json.hpp>

#include "base/file_system.h"
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
  return SaveFileAtomically(path_, text);
}

void IdempotencyStore::Load() {
  entries_.clear();
  std::string bytes;
  if (ReadSmallFile(path_, bytes, 16 * kSmallFileLimit) != SmallFileStatus::Read) return;
  std::istringstream lines(bytes);
  std::string line;
  while (std::getline(lines, line)) {
    const auto row = nlohmann::json::parse(line, nullptr, false);
    if (!row.is_array() || row.size() != 5 || !row[0].is_string() || !row[1].is_string() ||
        !row[2].is_number_integer() || !row[3].is_number_integer() || !row[4].is_string())
      continue;
    Entry e;
    e.hash = std::strtoull(row[1].get<std::string>().c_str(), nullptr, 10);
    e.time = row[2].get<int64_t>();
    e.status = row[3].get<int>();
    e.body = row[4].get<std::string>();
    if (e.status == 0) {
      e.status = kNotConfirmed;
      e.body = LostAnswer();
    }
    entries_[row[0].get<std::string>()] = e;
  }
  Prune();
}

}  // namespace kv
