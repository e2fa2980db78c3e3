#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// A Windows-style INI file: "[section]" lines and "key=value" lines. Section and key names
// match without regard to case, and so does the file name: an existing file whose name
// differs only in case is the same file. Values are bytes, taken up to the end of the line.
//
// Reads come from the file as loaded; every write goes to disk at once (to a temporary file
// renamed over the old one, so a crash never leaves half a file). A write changes only its own
// key's line, and every other line keeps its bytes and its own line end; a new key goes after
// the last line of its section, a new section at the end.
// Something in the file's place that is not a regular file, or is over 1 MiB, is not read (the
// file counts as missing) and writes never replace it.
class IniFile {
 public:
  explicit IniFile(std::string path);
  // A file's bytes that came from elsewhere, with no file behind them: reads work as usual,
  // writes change only the copy in memory (and return false).
  static IniFile FromText(std::string_view content);

  // The path actually used (the existing file matched without regard to case, if any).
  const std::string& path() const { return path_; }
  bool exists() const { return exists_; }
  // Re-reads the file from disk.
  void Reload();

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // A missing key or a value that is not a whole 32-bit number gives the fallback.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
  // Any non-zero number is true.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
  bool HasKey(std::string_view section, std::string_view key) const;

  // Returns false when the file cannot be written; the in-memory copy keeps the new value.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, int32_t value);
  bool WriteBool(std::string_view section, std::string_view key, bool value);

  // Between these two, writes change only the copy in memory and CommitBatch writes the file
  // once: a group of keys reaches the file whole or not at all. False when it could not be
  // written (the file is then as it was).
  void BeginBatch() { batching_ = true; }
  bool CommitBatch();
  // The bytes a save writes: every line with its line end.
  std::string Text() const;

  // Finds `name` in `dir` without regard to case; returns dir/name when nothing matches.
  static std::string ResolvePath(const std::string& dir, const std::string& name);

 private:
  struct Location {
    size_t section_line;  // the "[section]" line
    size_t end;           // one past the section's last non-blank line
    std::optional<size_t> key_line;
  };
  std::optional<Location> Find(std::string_view section, std::string_view key) const;
  IniFile() = default;
  std::optional<std::string_view> RawValue(std::string_view section, std::string_view key) const;
  void Parse(std::string_view content);
  bool Save();

  std::string path_;
  bool exists_ = false;
  bool refused_ = false;            // there is something at the path that was not read
  bool batching_ = false;
  struct Line {
    std::string text;
    std::string end;  // its own line end as the file held it; empty for a line added or the
                      // last line without one (both get eol_)
  };
  std::vector<Line> lines_;
  std::string eol_;  // the line end of the file's first line
};

// Parses a whole decimal number (optionally signed, blanks around it allowed) into 32 bits.
std::optional<int32_t> ParseInt32(std::string_view text);

}  // namespace kv
