#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// The answers of POST requests that carried an Idempotency-Key, kept in a small file so that a
// point-of-sale program may repeat a request after a time-out without printing twice. A key is
// recorded, with a hash of its request, before the first byte goes to the printer; the answer
// replaces the mark when it is known. Entries live at least `kKeepSeconds`.
//
// The file is written whole to a temporary file, flushed to disk and renamed over the old one,
// so a crash leaves either the old or the new file, never half of one. A key found marked but
// without an answer after a restart was being served when the program stopped: whether it
// printed is unknown, so it answers "not confirmed" and is never sent again.
class IdempotencyStore {
 public:
  static constexpr int64_t kKeepSeconds = 48 * 3600;
  static constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;

  // `now` gives the time in seconds since the epoch.
  IdempotencyStore(std::string path, std::function<int64_t()> now);

  // 1 to 64 printable ASCII characters.
  static bool ValidKey(std::string_view key);
  // The hash a request is known by: its method, path and body.
  static uint64_t RequestHash(std::string_view method, std::string_view path,
                              std::string_view body);

  struct Entry {
    uint64_t hash = 0;
    int64_t time = 0;
    int status = 0;    // 0: being served
    std::string body;  // the recorded answer
  };
  std::optional<Entry> Find(const std::string& key) const;

  // Marks the key as being served; false when the file could not be written (then nothing may
  // be sent).
  bool Begin(const std::string& key, uint64_t hash);
  // Records the answer of a key being served.
  bool Finish(const std::string& key, int status, const std::string& body);
  // Forgets a key whose request sent nothing, so that a retry may try again.
  bool Forget(const std::string& key);

  // Re-reads the file (start-up). A file that cannot be read, is too large or holds a line
  // that is not a whole record is set aside (renamed to `<path>.damaged`): its well-formed
  // records are kept, but keyed requests must not be served until an operator has looked.
  void Load();
  // Why the file was set aside (for the error file and the 503 answer), as long as the file
  // set aside (or, when it could not be moved, the damaged file) is still there.
  std::optional<std::string> Damage();

 private:
  bool Save();
  void Prune();
  bool ParseRecord(std::string_view line);
  void SetAside(const std::string& why);

  std::string path_;
  std::function<int64_t()> now_;
  std::map<std::string, Entry> entries_;
  std::optional<std::string> damage_;
  std::string aside_path_;
  bool moved_ = false;
};

}  // namespace kv
